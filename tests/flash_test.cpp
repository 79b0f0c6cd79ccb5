// ktq51-flash, the command-line programmer, run as a user runs it: with the
// board simulator or a stalled pseudo-terminal at the other end.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <fstream>
#include <iterator>
#include <thread>

#include "Programator.h"
#include "board_simulator.h"
#include "czech_locale.h"
#include "fake_toolkit.h"
#include "hexfile.h"
#include "memimage.h"
#include "scoped_variable.h"
#include "test_data.h"
#include "test_ports.h"
#include "transfer.h"
#include "window_send.h"

namespace {

using namespace std::chrono_literals;

struct Outcome {
    int status = -1;  // -1: ended by a signal, or not within the limit
    QString out, err;
};

// Runs ktq51-flash with stdin closed (not a terminal), within `limit`, with
// `environment` added to this process's.
Outcome Flash(const QStringList& arguments, std::chrono::milliseconds limit = 20s,
              const QStringList& environment = {}, const QString& program = QStringLiteral(KTQ_FLASH)) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment) env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    Outcome run;
    if (!process.waitForFinished(static_cast<int>(limit.count()))) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("(did not end within the limit)");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The Czech locale, which puts a decimal comma, for a child: LOCPATH and
// LC_ALL; empty when it cannot be made.
QStringList CzechLocale(const QTemporaryDir& dir) {
    if (!MakeCzechLocale(dir.path().toStdString())) return {};
    return {"LOCPATH=" + dir.path(), QStringLiteral("LC_ALL=cs_CZ.UTF-8")};
}

TEST(Flash, SdccFileReachesTheSimulatorExactly) {
    BoardSimulator board(KTQ_SIMULATOR);
    const QString device = QString::fromStdString(board.device());
    const Outcome run = Flash({"--port", device, "--yes", kData + "/sdcc_blink.hex"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Programovani proběhlo v pořádku"));
    // Not a terminal: one line at the start, one at the end.
    EXPECT_TRUE(run.err.startsWith("Odesílám 16384 bajtů na " + device)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Odesláno 16384 z 16384 bajtů")) << run.err.toStdString();
    EXPECT_TRUE(board.HoldsExactly(KTQ_TEST_DATA_DIR "/sdcc_blink.window.bin"));

    // In English (KTQ51_LANG, --lang over it) every line is English; the
    // report's row stays as it is in Czech, for the scripts that read it.
    BoardSimulator second(KTQ_SIMULATOR);
    const QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("r.csv"));
    const Outcome english = Flash({"--lang", "en", "--port", QString::fromStdString(second.device()), "--yes",
                                   "--report", report, kData + "/sdcc_blink.hex"},
                                  20s, {QStringLiteral("KTQ51_LANG=cs")});
    EXPECT_EQ(english.status, 0) << english.err.toStdString();
    EXPECT_TRUE(english.out.contains("Programming finished successfully")) << english.out.toStdString();
    EXPECT_TRUE(english.err.startsWith("Sending 16384 bytes to ")) << english.err.toStdString();
    EXPECT_FALSE(QString(english.out + english.err).contains(QRegularExpression("[áčďéěíňóřšťúůýž]")));
    std::ifstream rows(report.toStdString());
    const std::string rowsText((std::istreambuf_iterator<char>(rows)), std::istreambuf_iterator<char>());
    EXPECT_NE(rowsText.find(";ok;Programovani proběhlo v pořádku"), std::string::npos) << rowsText;
    EXPECT_TRUE(second.HoldsExactly(KTQ_TEST_DATA_DIR "/sdcc_blink.window.bin"));
}

TEST(Flash, EachFailureHasItsStatusAndMessage) {
    // A refused file: status 1, and no port was tried (a missing one would give 2).
    Outcome run = Flash({"--port", "/nonexistent/ttyUSB9", "--yes", kData + "/bad/letter_g.hex"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, kData + "/bad/letter_g.hex: Neplatný znak „G“ v záznamu na řádku 5\nSoubor je poškozen\n");

    // A missing device: status 2 and the window's message.
    run = Flash({"--port", "/nonexistent/ttyUSB9", "--yes", kData + "/sdcc_blink.hex"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.startsWith("COM nelze otevřít\n/nonexistent/ttyUSB9: ")) << run.err.toStdString();

    // COMn means what the window's COMn means.
    {
        const ScopedVariable com3("KTQ51_COM3", "/nonexistent/ttyACM3");
        run = Flash({"--port", "COM3", "--yes", kData + "/sdcc_blink.hex"});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.startsWith("COM nelze otevřít\n/nonexistent/ttyACM3: ")) << run.err.toStdString();
    }

    // Nobody to confirm and no --yes: nothing is sent.
    run = Flash({"--port", QString::fromStdString(TestPort(2).path()), kData + "/sdcc_blink.hex"});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(TestPort(2).Read(1, 200ms).empty()) << "bytes were sent without a confirmation";

    // The limit is read alike whatever the locale's decimal separator. One
    // shorter than the line needs for the stream is refused, naming the
    // shortest, before anything is sent; a stalled line ends with status 3
    // within the limit given.
    PtyPair stalled;
    stalled.Stall();
    QTemporaryDir locales;
    const QStringList czech = CzechLocale(locales);
    ASSERT_FALSE(czech.isEmpty()) << "the Czech locale could not be made (package locales)";
    const QString line2 = QString::fromStdString(TestPort(2).path());
    run = Flash({"--port", line2, "--yes", "--timeout", "0,5", kData + "/sdcc_blink.hex"}, 10s, czech);
    EXPECT_EQ(run.status, 4) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Zadejte aspoň 9 s.")) << run.err.toStdString();
    EXPECT_TRUE(TestPort(2).Read(1, 200ms).empty()) << "a limit too short to succeed sent bytes";
    std::thread drain([] { TestPort(2).Read(kStreamBytes); });
    run = Flash({"--port", line2, "--yes", "--timeout", "9,5", kData + "/sdcc_blink.hex"}, 10s, czech);
    drain.join();
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const auto start = std::chrono::steady_clock::now();
    run = Flash({"--port", QString::fromStdString(stalled.path()), "--yes", "--timeout", "9.5",
                 kData + "/sdcc_blink.hex"},
                20s, czech);
    EXPECT_EQ(run.status, 3) << run.err.toStdString();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 13s);
    EXPECT_TRUE(run.err.contains("Chyba pri odesílání\nOdesláno ")) << run.err.toStdString();

    // A file that puts nothing into 0x3000-0x3FFF is not sent: it says where
    // its data lies. --erase sends the erased window on purpose.
    run = Flash({"--port", QString::fromStdString(TestPort(2).path()), "--yes", kData + "/sdcc_blink_at_0.hex"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Jeho data leží na 0x0000–")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("--code-loc 0x3000")) << run.err.toStdString();
    EXPECT_TRUE(TestPort(2).Read(1, 200ms).empty()) << "a file with nothing in the window was sent";
    std::vector<std::uint8_t> erased;
    std::thread reader([&] { erased = TestPort(2).Read(kStreamBytes); });
    run = Flash({"--port", QString::fromStdString(TestPort(2).path()), "--yes", "--erase"});
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const ProgrammingStream blank = MakeProgrammingStream(ErasedImage());
    EXPECT_EQ(erased, (std::vector<std::uint8_t>(blank.begin(), blank.end())));

    // A report that cannot be written: its own status, the reason, and
    // nothing sent, as it is known before the first byte.
    run = Flash({"--port", QString::fromStdString(TestPort(2).path()), "--yes", "--report", "/dev/full",
                 kData + "/sdcc_blink.hex"});
    EXPECT_EQ(run.status, 5);
    EXPECT_TRUE(run.err.contains("Protokol /dev/full nelze zapsat: ")) << run.err.toStdString();
    EXPECT_TRUE(TestPort(2).Read(1, 200ms).empty()) << "bytes were sent, though the report could not be written";
    // The same past the file size limit, which would otherwise end the
    // program; the file it could not write is not left behind.
    const QTemporaryDir limited;
    const QString capped = limited.filePath(QStringLiteral("r.csv"));
    // (In English: the system's reason is the C library's own, whatever
    // locales the machine has.)
    run = Flash({"-c", "ulimit -f 0; exec \"$0\" \"$@\"", QStringLiteral(KTQ_FLASH), "--lang", "en", "--port",
                 QString::fromStdString(TestPort(2).path()), "--yes", "--report", capped, kData + "/sdcc_blink.hex"},
                20s, {}, QStringLiteral("/bin/sh"));
    EXPECT_EQ(run.status, 5) << run.err.toStdString();
    const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    EXPECT_TRUE(run.err.contains(::strerror_l(EFBIG, c))) << run.err.toStdString();
    ::freelocale(c);
    EXPECT_FALSE(QFileInfo::exists(capped));

    // Usage.
    EXPECT_EQ(Flash({"--frobnicate", kData + "/sdcc_blink.hex"}).status, 4);
    EXPECT_EQ(Flash({}).status, 4);
    run = Flash({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains(KTQ_VERSION));
}

// Ctrl+C on a stalled line: the process ends at once, by SIGINT, as a shell
// loop over several boards expects.
TEST(Flash, InterruptEndsTheProcessBySigint) {
    PtyPair stalled;
    stalled.Stall();
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(KTQ_FLASH), {"--port", QString::fromStdString(stalled.path()), "--yes",
                                               kData + "/sdcc_blink.hex"});
    ASSERT_TRUE(process.waitForStarted());
    // Sending has begun once the first progress line is out.
    for (int i = 0; i < 100 && !process.readAllStandardError().contains("Odesílám"); ++i) {
        process.waitForReadyRead(100);
    }
    const auto start = std::chrono::steady_clock::now();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "it ended by exit " << process.exitCode();
    EXPECT_EQ(process.exitCode(), SIGINT) << "ended by another signal";
}

// Ctrl+C during a set: COM1 has ended, COM2 and COM3 take part of the
// stream and then nothing. The process ends by SIGINT, saying so; neither
// line gets the tail that was queued for it; the report keeps the row of
// the board that had ended.
TEST(Flash, InterruptedSetLetsGoOfEveryPortAndKeepsTheRowsThatEnded) {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("set.csv"));
    for (int n = 1; n <= 3; ++n) TestLine(n).PlugIn();
    TestLine(2).Stall(4096);
    TestLine(3).Stall(4096);
    TestLine(1).StartReading(kStreamBytes, 2s);
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    QStringList arguments{"--yes", "--report", report};
    for (int n = 1; n <= 3; ++n) arguments << "--port" << QString::fromStdString(TestPort(n).path());
    process.start(QStringLiteral(KTQ_FLASH), arguments << kData + "/sdcc_blink.hex");
    ASSERT_TRUE(process.waitForStarted());
    QString err;
    const QString com1Done = QString::fromStdString(TestPort(1).path()) + ": Programovani proběhlo v pořádku";
    for (int i = 0; i < 100 && !(err.count("Odesílám") == 3 && err.contains(com1Done)); ++i) {
        process.waitForReadyRead(100);
        err += QString::fromUtf8(process.readAllStandardError());
    }
    ASSERT_EQ(err.count("Odesílám"), 3) << err.toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    err += QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(process.exitCode(), SIGINT);
    EXPECT_TRUE(err.contains("Přerušeno.")) << err.toStdString();
    EXPECT_EQ(TestLine(1).Received().size(), kStreamBytes);
    for (int n = 2; n <= 3; ++n) {
        const std::vector<std::uint8_t> tail = TestPort(n).Read(kStreamBytes, 300ms);
        EXPECT_EQ(std::count_if(tail.begin(), tail.end(), [](std::uint8_t b) { return b != PtyPair::kStallByte; }), 0)
            << "COM" << n << " got the stream's tail after the interrupt";
        TestLine(n).PlugIn();
    }
    const std::string rows = ReadWholeFile(report.toStdString());
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 2) << "the header and the row of the board that ended:\n" << rows;
    EXPECT_NE(rows.find(TestPort(1).path() + ";"), std::string::npos) << rows;
}

// At a terminal the question comes before any port is opened: a "no"
// leaves the line exactly as it was.
TEST(Flash, NoAtTheTerminalLeavesTheLineAsItWas) {
    PtyPair terminal;
    termios slow = TestPort(2).SlaveSettings();
    ::cfsetospeed(&slow, B9600);
    slow.c_lflag |= ICANON | ECHO;
    TestPort(2).SetSlaveSettings(slow);
    const termios before = TestPort(2).SlaveSettings();
    QProcess process;
    process.setStandardInputFile(QString::fromStdString(terminal.path()));
    process.start(QStringLiteral(KTQ_FLASH), {"--port", QString::fromStdString(TestPort(2).path()),
                                               kData + "/sdcc_blink.hex"});
    ASSERT_TRUE(process.waitForStarted());
    for (int i = 0; i < 50 && !process.readAllStandardError().contains("[a/N]"); ++i) process.waitForReadyRead(100);
    ASSERT_EQ(::write(terminal.master(), "n\n", 2), 2);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 4);
    const termios after = TestPort(2).SlaveSettings();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "the port was set up before the question";
    TestLine(2).PlugIn();
}

// --watch: the file at start, then each complete build; one still without
// its end record and a broken one send nothing; Ctrl+C ends it by SIGINT.
TEST(Flash, WatchSendsEachCompleteBuildUntilInterrupted) {
    BoardSimulator board(KTQ_SIMULATOR, false);
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("blink.hex")).toStdString();
    std::ofstream(file, std::ios::binary) << ReadWholeFile(kTestData + "/sdcc_blink.hex");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(KTQ_FLASH), {"--watch", "--yes", "--port", QString::fromStdString(board.device()),
                                               QString::fromStdString(file)});
    // What is written (appended, or over the file), and what the output then shows.
    const std::string next = ReadWholeFile(kTestData + "/srec_default.hex");
    const std::size_t end = next.find(":00000001FF");
    const struct { std::string text; std::ios::openmode mode; const char* shows; int times; } steps[] = {
        {"", std::ios::app, "Programovani proběhlo v pořádku", 1},
        {next.substr(0, end), std::ios::trunc, "chybí koncový záznam", 1},
        {next.substr(end), std::ios::app, "Programovani proběhlo v pořádku", 2},
        {ReadWholeFile(kTestData + "/bad/letter_g.hex"), std::ios::trunc, "Neplatný znak „G“ v záznamu na řádku 5", 1},
        {ReadWholeFile(kTestData + "/objcopy.hex"), std::ios::trunc, "Programovani proběhlo v pořádku", 3}};
    QString output;
    for (const auto& step : steps) {
        if (!step.text.empty()) std::ofstream(file, std::ios::binary | step.mode) << step.text;
        for (int i = 0; i < 150 && output.count(step.shows) < step.times; ++i) {
            process.waitForReadyRead(100);
            output += QString::fromUtf8(process.readAll());
        }
        ASSERT_EQ(output.count(step.shows), step.times) << output.toStdString();
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(process.exitCode(), SIGINT);
    EXPECT_TRUE(board.ReceivedInTurn({kTestData + "/sdcc_blink.window.bin", kTestData + "/srec_default.window.bin",
                                      kTestData + "/objcopy.window.bin"}));
}

TEST(Flash, CheckTellsWhatTheFileHolds) {
    Outcome run = Flash({"--check", kData + "/srec_all_cells.hex"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("data: 0x0000–0x3FFF, 16384 bajtů, z toho v okně 0x3000–0x3FFF 4096 bajtů"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("mimo okno 0x3000–0x3FFF: 12288 bajtů")) << run.out.toStdString();
    run = Flash({"--check", kData + "/sdcc_blink.hex"});
    EXPECT_TRUE(run.out.contains("17× data (00), 1× konec souboru (01)")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("mimo okno"));
    EXPECT_TRUE(run.out.contains("169 bajtů jiných než FF")) << run.out.toStdString();
}

// --stream-out writes exactly what the window sends for the same file.
TEST(Flash, StreamOutEqualsWhatTheWindowSends) {
    QTemporaryDir dir;
    ScriptedToolkit toolkit;
    MemImage = ErasedImage();
    TForm1 form(toolkit);
    const QStringList files = QDir(kData).entryList({"*.hex", "*.ihx"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 15);
    for (const QString& name : files) {
        toolkit.files = {kData + "/" + name};
        form.Otev1->trigger();
        const std::vector<std::uint8_t> sent = ProgramAndRead(form, toolkit, TestLine(1), ModalResult::Yes, 1000ms);
        ASSERT_EQ(sent.size(), kStreamBytes) << name.toStdString();

        const QString out = dir.filePath(name + ".bin");
        const Outcome run = Flash({"--stream-out", out, kData + "/" + name});
        ASSERT_EQ(run.status, 0) << name.toStdString() << run.err.toStdString();
        const std::vector<unsigned char> written = ReadFileBytes(out.toStdString());
        EXPECT_TRUE(std::equal(sent.begin(), sent.end(), written.begin(), written.end())) << name.toStdString();
    }
    MemImage = ErasedImage();
}

}  // namespace
