// Nástroje > Programuj and the port menu in the real window, against the far
// ends of the test ports: on Linux over pseudo-terminals, on Windows under
// Wine over the pseudo-terminals of the Linux harness.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <cstdlib>
#include <iostream>
#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "ClassSetDialog.h"
#ifndef _WIN32
#include "board_simulator.h"
#endif
#include "GridModel.h"
#include "grid_layout.h"
#include "hexfile.h"
#include "Programator.h"
#include "fake_toolkit.h"
#include "memimage.h"
#include "messages.h"
#include "QtText.h"
#include "report.h"
#include "sha256.h"
#include "scoped_variable.h"
#include "test_data.h"
#include "test_ports.h"
#include "transfer.h"
#include "window_send.h"

namespace {

using namespace std::chrono_literals;

// Pulls the line's device out after `delay`, as a cable pulled mid-transfer.
std::thread PullOutAfter(FarEnd& line, std::chrono::milliseconds delay) {
    return std::thread([&line, delay] {
        std::this_thread::sleep_for(delay);
        line.Vanish();
    });
}

std::vector<std::uint8_t> Stream(const ImageCells& image) {
    const ProgrammingStream s = MakeProgrammingStream(image);
    return {s.begin(), s.end()};
}

class ProgramTest : public testing::Test {
protected:
    // Each test starts with an erased image and a new device behind every
    // COM number: nothing left by another test.
    void SetUp() override {
        MemImage = ErasedImage();
        for (int n = 1; n <= kMenuPorts; ++n) TestLine(n).PlugIn();
    }
    void TearDown() override { MemImage = ErasedImage(); }

    // Runs Programuj with `answer` to the question; returns what COM`port` received.
    std::vector<std::uint8_t> Program(TForm1& form, ModalResult answer, int port = 1) {
        return ProgramAndRead(form, toolkit, TestLine(port), answer);
    }

    ScriptedToolkit toolkit;
};

TEST_F(ProgramTest, AnsweringNoSendsNothing) {
    TForm1 form(toolkit);
    QString labelDuringQuestion;
    toolkit.onBox = [&](const ShownBox&) { labelDuringQuestion = form.Informace->text(); };
    for (ModalResult answer : {ModalResult::No, ModalResult::Cancel}) {
        toolkit.boxes.clear();
        EXPECT_TRUE(Program(form, answer).empty());
        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].text, "Opravdu chcete přeprogramovat KTQ - 51?");
        EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Warning);
        EXPECT_EQ(toolkit.boxes[0].buttons, mbYes | mbNo);
        EXPECT_EQ(labelDuringQuestion, "Programuji... (cca 10s)");
        EXPECT_EQ(form.Informace->text(), "Programování zrušeno");
        EXPECT_EQ(toolkit.transfers, 0);
    }
}

TEST_F(ProgramTest, BeforeAnyLoadTheErasedWindowIsSent) {
    TForm1 form(toolkit);
    const std::vector<std::uint8_t> received = Program(form, ModalResult::Yes);
    ASSERT_EQ(received.size(), 16384u);
    for (std::size_t i = 0; i < received.size(); i += 4) {
        ASSERT_EQ(received[i], 0xFF) << i;
        ASSERT_EQ(received[i + 1] | received[i + 2] | received[i + 3], 0) << i;
    }
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[1].text, "Programovani proběhlo v pořádku");
    EXPECT_EQ(toolkit.boxes[1].kind, MsgKind::Information);
    EXPECT_EQ(toolkit.boxes[1].buttons, mbOK);
    EXPECT_TRUE(form.Informace->text().isEmpty());
    EXPECT_EQ(toolkit.progressTotal, 16384u);
    EXPECT_EQ(toolkit.lastProgress, 16384u);
}

TEST_F(ProgramTest, ExactlyTheWindowGoesOut) {
    TForm1 form(toolkit);
    MemImage[0x3001] = 0xAB;
    MemImage[0x3FFF] = 0x5A;
    const std::vector<std::uint8_t> received = Program(form, ModalResult::Yes);
    ASSERT_EQ(received.size(), 16384u);
    EXPECT_EQ((std::vector<std::uint8_t>(received.begin() + 4, received.begin() + 8)),
              (std::vector<std::uint8_t>{0xAB, 0, 0, 0}));
    EXPECT_EQ(received[16380], 0x5A);
    EXPECT_EQ(received, Stream(MemImage));
}

TEST_F(ProgramTest, AfterAFailedLoadThePreviousImageIsSent) {
    TForm1 form(toolkit);
    toolkit.files = {kData + "/srec_full.hex", kData + "/bad/checksum_middle.hex"};
    form.Otev1->trigger();
    const ImageCells loaded = MemImage;
    toolkit.answers = {ModalResult::Yes};
    form.Otev1->trigger();
    toolkit.boxes.clear();
    EXPECT_EQ(Program(form, ModalResult::Yes), Stream(loaded));
}

TEST_F(ProgramTest, StalledPeerGivesAnErrorAndAClearedLabel) {
    TForm1 form(toolkit);
    form.ComHandle.Timeouts().WriteTotalTimeoutMultiplier = 0;  // a short limit, so the test takes a moment
    form.ComHandle.Timeouts().WriteTotalTimeoutConstant = 300;
    TestLine(1).Stall(0);
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_TRUE(toolkit.boxes[1].text.startsWith("Chyba pri odesílání\n")) << toolkit.boxes[1].text.toStdString();
    EXPECT_EQ(toolkit.boxes[1].kind, MsgKind::Error);
    EXPECT_EQ(toolkit.boxes[1].buttons, mbOK);
    EXPECT_TRUE(form.Informace->text().isEmpty());
}

TEST_F(ProgramTest, WindowCannotBeClosedMidTransfer) {
    TForm1 form(toolkit);
    form.show();
    bool visibleAfterClose = false;
    toolkit.onTransfer = [&] {
        form.close();
        visibleAfterClose = form.isVisible();
    };
    EXPECT_EQ(Program(form, ModalResult::Yes).size(), 16384u);
    EXPECT_TRUE(visibleAfterClose);
    form.close();  // once the transfer is over, it closes as usual
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProgramTest, VanishedDeviceGivesAnErrorAndTheProgramGoesOn) {
    TForm1 form(toolkit);
    form.show();
    TestLine(1).Stall(0);
    std::thread vanish = PullOutAfter(TestLine(1), 100ms);
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    vanish.join();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_TRUE(toolkit.boxes[1].text.startsWith("Chyba pri odesílání\n"));
    EXPECT_TRUE(form.isVisible());
    form.Vytvoil1->trigger();  // the next command runs as usual
    EXPECT_EQ(toolkit.boxes.size(), 3u);
}

// A USB adapter pulled mid-transfer and plugged in again under the same
// name: the error comes, the port is given back, and the next Programuj
// reaches the new device without a restart. Many times over.
TEST_F(ProgramTest, UnpluggedAdapterIsReopenedByTheNextTransfer) {
    FarEnd& line = TestLine(1);
    TForm1 form(toolkit);
    MemImage[0x3456] = 0x42;
    const std::vector<std::uint8_t> expected = Stream(MemImage);

    int errors = 0, exact = 0;
    const int cycles = UnderWine() ? 10 : 100;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        // A board that holds the line, then the cable is pulled.
        line.Stall(0);
        std::thread pull = PullOutAfter(line, 20ms);
        toolkit.boxes.clear();
        toolkit.answers = {ModalResult::Yes, ModalResult::OK};
        form.Programuj1->trigger();
        pull.join();
        ASSERT_EQ(toolkit.boxes.size(), 2u);
        errors += toolkit.boxes[1].text.startsWith("Chyba pri odesílání\n");

        // The adapter is back under the same name; the next transfer reaches it.
        line.PlugIn();
        toolkit.boxes.clear();
        const std::vector<std::uint8_t> received = ProgramAndRead(form, toolkit, line);
        ASSERT_EQ(toolkit.boxes.size(), 2u);
        exact += toolkit.boxes[1].text == "Programovani proběhlo v pořádku" && received == expected;
        EXPECT_FALSE(form.port1->isEnabled()) << "COM1 stays the selected port";
    }
    std::cerr << "unplug cycles: " << cycles << ", error boxes: " << errors << ", exact retries: " << exact
              << std::endl;
    EXPECT_EQ(errors, cycles);
    EXPECT_EQ(exact, cycles);
}

// The adapter pulled out while the window is idle, and plugged in again under
// the same name: the window lets go of the dead device at once, and the first
// Programuj afterwards reaches the new one exactly.
TEST_F(ProgramTest, AdapterPulledOutWhileIdleIsLetGoAndTheNextProgramujIsExact) {
    FarEnd& line = TestLine(1);
    TForm1 form(toolkit);
    MemImage[0x3123] = 0x5A;
    line.Vanish();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.ComHandle.IsOpen(); }, 5000)) << "the dead device was kept";
    line.PlugIn();
    const std::vector<std::uint8_t> received = ProgramAndRead(form, toolkit, line);
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[1].text, "Programovani proběhlo v pořádku");
    EXPECT_EQ(received, Stream(MemImage));
}

// Gone for good: the reopen fails, the user is told, the program goes on.
TEST_F(ProgramTest, ReopenThatFailsIsReportedAndTheProgramGoesOn) {
    TForm1 form(toolkit);
    TestLine(1).Stall(0);
    std::thread pull = PullOutAfter(TestLine(1), 20ms);
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    pull.join();
    toolkit.boxes.clear();
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    // Wine opens a mapped port whose device is missing, and fails on the
    // first communications call: a line error there.
    const QString& box = toolkit.boxes[1].text;
    EXPECT_TRUE(box.startsWith("COM nelze otevřít\n") || (UnderWine() && box.startsWith("Chyba linky\n")))
        << box.toStdString();
    EXPECT_EQ(toolkit.boxes[1].kind, MsgKind::Error);
    EXPECT_EQ(toolkit.boxes[1].buttons, mbOK);
    EXPECT_TRUE(form.Informace->text().isEmpty());
    EXPECT_FALSE(form.port1->isEnabled());
}

TEST_F(ProgramTest, ChoosingCom3SwitchesTheLineAndTheMenu) {
    TForm1 form(toolkit);
    form.port3->trigger();
    EXPECT_TRUE(form.port1->isEnabled());
    EXPECT_TRUE(form.port2->isEnabled());
    EXPECT_FALSE(form.port3->isEnabled());
    EXPECT_TRUE(form.port4->isEnabled());
    EXPECT_TRUE(form.port5->isEnabled());
    const FarEnd::Line line = TestLine(3).Settings();
    EXPECT_EQ(line.baud, 19200u);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_FALSE(line.parity);
    EXPECT_FALSE(line.twoStopBits);
    // COM1 is free again, and the data now goes to COM3.
    EXPECT_TRUE(OpenPort(PortName::Com(1)).ok());
    EXPECT_EQ(Program(form, ModalResult::Yes, 3).size(), 16384u);
    form.port1->trigger();
    EXPECT_FALSE(form.port1->isEnabled());
    EXPECT_TRUE(form.port3->isEnabled());
}

// A USB adapter behind none of COM1..COM5, as the listing would give it.
PortInfo OtherAdapter() {
    return PortInfo{OtherLineDevice(), OtherLineDevice(), "FT232R USB UART", "FTDI", "0403:6001", "A50285BI", "", true};
}

// The adapter is offered below the COM items; chosen, it is the port in use,
// greyed, with the same line settings, and the stream reaches it exactly.
// Pulled out, its item stays while it is in use; COM2 chosen, it is offered
// again.
TEST_F(ProgramTest, OtherPortIsOfferedAndChosenLikeACom) {
    OtherLine().PlugIn();
    std::vector<PortInfo> listed{OtherAdapter()};
    TForm1 form(toolkit, [&] { return listed; });
    MemImage[0x3010] = 0x77;
    emit form.Nastaven1->aboutToShow();
    ASSERT_EQ(form.Ports->OtherItems().size(), 1);
    EXPECT_EQ(form.Ports->OtherItems()[0]->text().toStdString(), PortLabel(OtherAdapter()));
    form.Ports->OtherItems()[0]->trigger();
    EXPECT_FALSE(form.Ports->OtherItems()[0]->isEnabled());
    for (QAction* com : {form.port1, form.port2, form.port3, form.port4, form.port5}) EXPECT_TRUE(com->isEnabled());
    const FarEnd::Line line = OtherLine().Settings();
    EXPECT_EQ(line.baud, 19200u);
    EXPECT_EQ(line.dataBits, 8);
    EXPECT_EQ(ProgramAndRead(form, toolkit, OtherLine()), Stream(MemImage));
    EXPECT_EQ(toolkit.progressHeading.toStdString(), "Port: " + PortLabel(OtherAdapter()));

    listed.clear();  // pulled out: the item of the port in use stays
    emit form.Nastaven1->aboutToShow();
    ASSERT_EQ(form.Ports->OtherItems().size(), 1);
    listed = {OtherAdapter()};
    form.port2->trigger();
    emit form.Nastaven1->aboutToShow();
    ASSERT_EQ(form.Ports->OtherItems().size(), 1);
    EXPECT_TRUE(form.Ports->OtherItems()[0]->isEnabled());
    EXPECT_FALSE(form.port2->isEnabled());
}

// An offered port that cannot be opened: the box says why, and the port in
// use stays open and selected.
TEST_F(ProgramTest, OtherPortThatFailsKeepsThePortInUse) {
    PortInfo missing = OtherAdapter();
    missing.name = missing.device = MissingPort().Device();
    TForm1 form(toolkit, [&] { return std::vector<PortInfo>{missing}; });
    emit form.Nastaven1->aboutToShow();
    ASSERT_EQ(form.Ports->OtherItems().size(), 1);
    form.Ports->OtherItems()[0]->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_TRUE(toolkit.boxes[0].text.startsWith("COM nelze otevřít\n")) << toolkit.boxes[0].text.toStdString();
    EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Error);
    EXPECT_FALSE(form.port1->isEnabled()) << "COM1 stays the port in use";
    EXPECT_TRUE(form.Ports->OtherItems()[0]->isEnabled());
    toolkit.boxes.clear();
    EXPECT_EQ(Program(form, ModalResult::Yes).size(), kStreamBytes);
}

// No COM1 at start, but a USB adapter: the box offers it, and Ano starts the
// program on it; on its COM item, when it is behind one of COM2..COM5.
TEST_F(ProgramTest, StartWithoutCom1OffersTheAdapter) {
    const ScopedVariable noCom1("KTQ51_COM1", MissingPort().Device());
    OtherLine().PlugIn();
    PortInfo behindCom2 = OtherAdapter();
    behindCom2.name = behindCom2.device = PortName::Com(2).Device();
    for (const auto& [adapter, line] : {std::pair{OtherAdapter(), &OtherLine()}, std::pair{behindCom2, &TestLine(2)}}) {
        toolkit.boxes.clear();
        toolkit.answers = {ModalResult::Yes};
        TForm1 form(toolkit, [&] { return std::vector<PortInfo>{adapter}; });
        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_TRUE(toolkit.boxes[0].text.startsWith("COM nelze otevřít\n")) << toolkit.boxes[0].text.toStdString();
        const QString offer = QStringLiteral("\n") + QString::fromStdString(UseAdapterInstead(adapter));
        EXPECT_TRUE(toolkit.boxes[0].text.endsWith(offer)) << toolkit.boxes[0].text.toStdString();
        EXPECT_EQ(toolkit.boxes[0].buttons, mbYes | mbNo);
        EXPECT_EQ(form.port2->isEnabled(), line != &TestLine(2)) << "the adapter behind COM2 is COM2's item";
        toolkit.boxes.clear();
        EXPECT_EQ(ProgramAndRead(form, toolkit, *line), Stream(MemImage));
    }
}

// Every board at once: the window's COM1 through its own connection, and
// COM2 and an adapter found beside them each through one of their own. COM1
// holds its line: only its row fails, and the others are exact. Freed,
// "Opakovat chybné" runs only that row. The report has a row per board and
// run.
TEST_F(ProgramTest, ClassSetProgramsEveryBoardAtOnceAndRetriesOnlyTheFailedOne) {
    OtherLine().PlugIn();
    TForm1 form(toolkit, [] { return std::vector<PortInfo>{OtherAdapter()}; });
    form.ComHandle.Timeouts().WriteTotalTimeoutMultiplier = 0;  // COM1 fails soon
    form.ComHandle.Timeouts().WriteTotalTimeoutConstant = 300;
    MemImage[0x3042] = 0x42;
    const std::vector<std::uint8_t> expected = Stream(MemImage);
    const QTemporaryDir folder;
    const std::string report = folder.filePath(QStringLiteral("class-set.csv")).toStdString();
    FarEnd& com1 = TestLine(1);
    FarEnd& com2 = TestLine(2);
    FarEnd& adapter = OtherLine();
    toolkit.onDialogShown = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<ClassSetDialog&>(shown);
        auto row = [&](const QString& start) {
            for (int r = 0; r < dialog.Rows->rowCount(); ++r) {
                if (dialog.Rows->item(r, ClassSetDialog::kPortColumn)->text().startsWith(start)) return r;
            }
            return -1;
        };
        auto cell = [&](int r, int column) { return dialog.Rows->item(r, column); };
        const int r1 = row("COM1:"), r2 = row("COM2:"), rAdapter = row(QString::fromStdString(PortLabel(OtherAdapter())));
        ASSERT_TRUE(r1 >= 0 && r2 >= 0 && rAdapter >= 0);
        EXPECT_EQ(cell(r1, 0)->checkState(), Qt::Checked) << "the window's port";
        EXPECT_EQ(cell(r2, 0)->checkState(), Qt::Unchecked) << "a COM item";
        EXPECT_EQ(cell(rAdapter, 0)->checkState(), Qt::Checked) << "a USB adapter";
        cell(r2, 0)->setCheckState(Qt::Checked);

        com1.Stall(0);
        com2.StartReading(kStreamBytes, 2s);
        adapter.StartReading(kStreamBytes, 2s);
        toolkit.answers = {ModalResult::Yes};
        dialog.ProgramButton->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.Running(); }, 20000));
        EXPECT_EQ(com2.Received(), expected);
        EXPECT_EQ(adapter.Received(), expected);
        EXPECT_TRUE(cell(r1, ClassSetDialog::kResultColumn)->text().startsWith("Chyba pri odesílání"));
        EXPECT_EQ(cell(r2, ClassSetDialog::kResultColumn)->text(), "Programovani proběhlo v pořádku");
        EXPECT_EQ(dialog.Summary->text(), "Naprogramováno 2 z 3 desek");

        // Saved now, and again after the retry: each run's rows once.
        toolkit.files = {QString::fromStdString(report)};
        dialog.SaveButton->click();

        // The file was loaded again meanwhile: the retry sends the build the
        // others got, and the question says so.
        MemImage[0x3042] = 0x43;
        com1.PlugIn();
        com1.StartReading(kStreamBytes, 2s);
        toolkit.answers = {ModalResult::Yes};
        dialog.RetryButton->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.Running(); }, 20000));
        EXPECT_EQ(com1.Received(), expected);
        EXPECT_TRUE(adapter.Read(1, 300ms).empty()) << "the retry ran a row that had not failed";
        EXPECT_EQ(dialog.Summary->text(), "Naprogramováno 1 z 1 desky");

        toolkit.files = {QString::fromStdString(report)};
        dialog.SaveButton->click();
        dialog.CloseButton->click();
    };
    toolkit.boxes.clear();
    form.Programujvechnydesky1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[0].text, "Opravdu chcete přeprogramovat 3 desky KTQ - 51?");
    EXPECT_EQ(toolkit.boxes[1].text, "Opravdu chcete přeprogramovat 1 desku KTQ - 51?\n" + Q(Text().kRetrySameBuild));

    std::istringstream rows(ReadWholeFile(report));
    std::vector<std::string> lines;
    for (std::string line; std::getline(rows, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u) << "a header and a row per board and run";
    EXPECT_EQ(lines[0], "\xEF\xBB\xBF" + std::string(kReportHeader) + "\r");
    EXPECT_EQ(std::count_if(lines.begin() + 1, lines.end(), [](const std::string& l) { return l.find(";ok;") != std::string::npos; }), 3);
    EXPECT_NE(lines[1].find(";failed;Chyba pri odesílání / Odesláno "), std::string::npos) << lines[1];
    const std::string sha256 = Sha256Hex(expected);
    EXPECT_EQ(std::count_if(lines.begin() + 1, lines.end(), [&](const std::string& l) { return l.find(sha256) != std::string::npos; }), 4)
        << "every row, the retry's too, has the one build's SHA-256";
}

// The window follows the file it loaded as the compiler rewrites it: in two
// pieces (the first without its end record), renamed over it, broken,
// deleted, during a transfer, and with its folder removed and made again
// (make clean). Given an unfinished build, the window and --watch agree.
TEST_F(ProgramTest, LoadedFileIsFollowed) {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.filePath(QStringLiteral("build")).toStdString();
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "blink.hex").string();
    auto build = [](const char* name) { return ReadWholeFile(kTestData + "/" + name); };
    // Written beside the file and renamed over it, or in place (`inPlace`).
    auto write = [&](const std::string& text, std::optional<std::ios::openmode> inPlace = std::nullopt) {
        const std::string target = inPlace ? file : file + ".new";
        std::ofstream(target, std::ios::binary | inPlace.value_or(std::ios::trunc)) << text;
        if (!inPlace) std::filesystem::rename(target, file);
    };
    write(build("sdcc_blink.hex"));
    TForm1 form(toolkit);
    form.OpenFile(QString::fromStdString(file));
    auto shows = [&](const char* name) {  // in the image and the grid
        ImageCells image;
        EraseAndLoadHexFile(kTestData + "/" + name, image);
        return MemImage == image && form.SDataCells->Cell(1, 0) == QString::asprintf("%02X", image[kWindowBase]);
    };
    auto reloaded = [&] {
        return QTest::qWaitFor([&] { return form.Informace->text() == "Načteno znovu: blink.hex"; }, 5000);
    };
    QSignalSpy refreshed(form.SDataCells, &GridModel::dataChanged);
    const std::string next = build("srec_default.hex");
    write(next.substr(0, next.find(":00000001FF")), std::ios::trunc);
    QTest::qWait(700);  // settled, and found without its end record
    write(next.substr(next.find(":00000001FF")), std::ios::app);
    ASSERT_TRUE(reloaded());
    QTest::qWait(700);
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_TRUE(shows("srec_default.hex"));
    EXPECT_EQ(Program(form, ModalResult::Yes), Stream(MemImage));

    write(build("objcopy.hex"));
    ASSERT_TRUE(reloaded());
    EXPECT_TRUE(shows("objcopy.hex"));
    toolkit.boxes.clear();
    write(build("bad/letter_g.hex"), std::ios::trunc);
    QTest::qWait(1000);
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_TRUE(toolkit.boxes[0].text.startsWith("Neplatný znak „G“ v záznamu na řádku 5"));
    form.SetStatus(QString());
    std::filesystem::remove(file);
    QTest::qWait(700);
    EXPECT_TRUE(shows("objcopy.hex"));

    write(build("objcopy.hex"));
    ASSERT_TRUE(reloaded());  // it came back
    const std::vector<std::uint8_t> shown = Stream(MemImage);
    bool keptDuring = false;  // the grid shows what is being sent
    toolkit.onTransfer = [&] {
        write(build("sdcc_blink.hex"));
        QTest::qWait(700);
        keptDuring = shows("objcopy.hex");
    };
    EXPECT_EQ(ProgramAndRead(form, toolkit, TestLine(1), ModalResult::Yes, 1500ms), shown);
    EXPECT_TRUE(keptDuring);
    EXPECT_TRUE(shows("sdcc_blink.hex"));  // loaded once the transfer ended
    toolkit.onTransfer = nullptr;

    form.SetStatus(QString());
    std::filesystem::remove_all(folder);
    QTest::qWait(300);
    std::filesystem::create_directories(folder);
    write(build("objcopy.hex"));
    ASSERT_TRUE(reloaded()) << "the build after make clean was not followed";
    EXPECT_TRUE(shows("objcopy.hex"));

#ifndef _WIN32
    // An unfinished build (the end record missing) for both: neither takes
    // it at first; once it has stayed so, both take it as it is.
    BoardSimulator board(KTQ_SIMULATOR, false);
    QProcess watch;
    watch.setProcessChannelMode(QProcess::MergedChannels);
    watch.start(QStringLiteral(KTQ_FLASH), {"--watch", "--yes", "--port", QString::fromStdString(board.device()),
                                             QString::fromStdString(file)});
    QString said;
    auto watchSays = [&](const char* text, int times) {
        return QTest::qWaitFor([&] {
            said += QString::fromUtf8(watch.readAll());
            return said.count(text) >= times;
        }, 5000);
    };
    ASSERT_TRUE(watchSays("Programovani proběhlo v pořádku", 1)) << said.toStdString();
    form.SetStatus(QString());
    write(next.substr(0, next.find(":00000001FF")), std::ios::trunc);
    ASSERT_TRUE(watchSays("chybí koncový záznam", 1)) << said.toStdString();
    EXPECT_TRUE(shows("objcopy.hex")) << "the window took the unfinished build at once";
    EXPECT_EQ(said.count("Programovani proběhlo v pořádku"), 1) << "--watch sent the unfinished build at once";
    ASSERT_TRUE(reloaded());
    EXPECT_TRUE(shows("srec_default.hex"));
    ASSERT_TRUE(watchSays("Programovani proběhlo v pořádku", 2)) << said.toStdString();
    watch.kill();
    watch.waitForFinished();
    EXPECT_TRUE(board.ReceivedInTurn({kTestData + "/objcopy.window.bin", kTestData + "/srec_default.window.bin"}));
#endif
}

}  // namespace
