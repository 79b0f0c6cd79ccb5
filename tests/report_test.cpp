// The programming report: its rows as a spreadsheet and a CSV reader take
// them, in every locale, and its file, which never keeps half a row and
// never takes rows under another report's header.
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "report.h"
#include "run_result.h"
#include "sha256.h"
#include "texts.h"
#include "test_data.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "czech_locale.h"
#include "scoped_variable.h"
#endif

namespace {

namespace fs = std::filesystem;

// The row of a board whose transfer took `ms` milliseconds.
BoardOutcome Board(const std::string& serial, std::chrono::milliseconds ms) {
    PortInfo listed;
    listed.name = listed.device = "/dev/ttyUSB3";
    listed.location = "1-1.4";
    listed.vidPid = "1a86:7523";
    listed.serial = serial;
    BoardResult result;
    result.written.written = 16384;
    result.took = ms;
    return {{PortName::Device("/dev/ttyUSB3"), listed}, result};
}

// The cells of `row` (without its line end), split at the separators
// outside quotes, quotes kept.
std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (const char c : row.substr(0, row.size() - 2)) {
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

TEST(Report, CellsAreQuotedDisarmedAndInOneLine) {
    const struct {
        std::string serial, cell;
    } cases[] = {
        {"A50285BI", "A50285BI"},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},  // a formula: disarmed, and quoted for its quotes
        {"+1", "'+1"},
        {"-2", "'-2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"a;b", "\"a;b\""},
        {"tab\tin", "tab\tin"},
    };
    const RunFacts facts = {"blink.hex", "c92a"};
    for (const auto& c : cases) {
        const std::string row = ReportRow(Board(c.serial, std::chrono::milliseconds(8610)), facts, "x");
        ASSERT_TRUE(row.ends_with("\r\n")) << row;
        const std::vector<std::string> cells = Cells(row);
        ASSERT_EQ(cells.size(), 11u) << row;
        EXPECT_EQ(cells[4], c.cell) << c.serial;
    }
    // The message in one line, whatever its line ends or control characters.
    const std::string row =
        ReportRow(Board("s", std::chrono::milliseconds(1)), facts, "Chyba pri odesílání\r\nOdesláno 0\rZ\nK\x07");
    EXPECT_EQ(Cells(row)[10], "Chyba pri odesílání / Odesláno 0 / Z / K ");
    EXPECT_EQ(row.find('\r'), row.size() - 2) << "only the row's own line end";
}

TEST(Report, NumbersAreTheSameInEveryLocale) {
#ifndef _WIN32
    const fs::path dir = fs::temp_directory_path() / ("ktq51-locale-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_TRUE(MakeCzechLocale(dir.string())) << "the Czech locale could not be made (package locales)";
    const ScopedVariable locpath("LOCPATH", dir.string());
    ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr);
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
#endif
    const std::vector<std::string> cells =
        Cells(ReportRow(Board("s", std::chrono::milliseconds(8610)), {"blink.hex", "c92a"}, "x"));
    std::setlocale(LC_ALL, "C");
#ifndef _WIN32
    fs::remove_all(dir);
#endif
    EXPECT_EQ(cells[7], "16384");
    EXPECT_EQ(cells[8], "8610");
    EXPECT_EQ(cells[0].size(), 25u) << cells[0];  // 2026-12-08T09:15:02+01:00
    EXPECT_EQ(cells[0].find_first_not_of("0123456789-T:+"), std::string::npos) << cells[0];
}

// The one result of a run: each board in the words of a single board, a
// port that could not be opened worded with the ports the machine has, and
// the status a failed transfer decides.
TEST(Report, RunIsSummarisedWithThePortsThereAre) {
    BoardOutcome missing = Board("s", std::chrono::milliseconds(1)), stalled = missing, done = missing;
    missing.board.port = PortName::Device("/dev/ttyUSB9");
    missing.result->opened = {PortFailure::CannotOpen, PortCause::NoDevice, "/dev/ttyUSB9", "No such file or directory", {}};
    stalled.result->written.cause = PortCause::TimedOut;
    const std::vector<PortInfo> ports = {*done.board.listed};
    RunResult run = SummariseRun({missing, done}, {"blink.hex", "c92a"}, ports);
    EXPECT_EQ(run.status, kPortFailed);
    EXPECT_NE(run.messages[0].find("/dev/ttyUSB3"), std::string::npos) << "the machine's ports are not named:\n"
                                                                       << run.messages[0];
    EXPECT_EQ(run.messages[1], "Programovani proběhlo v pořádku");
    EXPECT_EQ(run.total, "Naprogramováno 1 z 2 desek");
    EXPECT_EQ(run.rows.size(), 2u);
    run = SummariseRun({missing, stalled, {missing.board, std::nullopt}}, {"blink.hex", "c92a"}, ports);
    EXPECT_EQ(run.status, kTransferFailed);
    EXPECT_EQ(run.boards, 2u) << "a board still running is no result";
}

TEST(Report, KnownAnswersOfSha256) {
    auto sha = [](const std::string& text) {
        return Sha256Hex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    };
    EXPECT_EQ(sha(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks: the padding spills over.
    EXPECT_EQ(sha("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Report, FileGetsItsHeaderOnceAndRefusesAnotherReport) {
    const fs::path file = fs::temp_directory_path() / ("ktq51-report-" + std::to_string(std::rand()) + ".csv");
    fs::remove(file);
    const std::string row = ReportRow(Board("s", std::chrono::milliseconds(1)), {"blink.hex", "c92a"}, "ok");
    std::string error;
    for (int run = 0; run < 2; ++run) {
        std::optional<ReportFile> report = ReportFile::Open(file, "protokol.csv", error);
        ASSERT_TRUE(report) << error;
        ASSERT_TRUE(report->Append(row, error)) << error;
    }
    EXPECT_EQ(ReadWholeFile(file.string()), "\xEF\xBB\xBF" + std::string(kReportHeader) + "\r\n" + row + row);

    // The report of an earlier version, or another CSV file: no rows go under its header.
    std::FILE* other = std::fopen(file.string().c_str(), "wb");
    std::fputs("time,port,location,vid_pid,serial,file,sha256,bytes_sent,seconds,result,message\r\n", other);
    std::fclose(other);
    EXPECT_FALSE(ReportFile::Open(file, "protokol.csv", error));
    EXPECT_EQ(error, "Protokol protokol.csv nelze zapsat: " + std::string(Text().kOtherReport));
    fs::remove(file);
}

#ifndef _WIN32
TEST(Report, FailedWriteIsSaidAndLeavesNoHalfRow) {
    std::string error;
    // A full disk, as /dev/full is to anyone.
    EXPECT_FALSE(ReportFile::Open("/dev/full", "/dev/full", error));
    EXPECT_EQ(error, "Protokol /dev/full nelze zapsat: " + std::string(std::strerror(ENOSPC)));

    // A disk that takes only part of a row: the file may grow to the
    // header and half a row. The half is taken back, and a row written
    // after it starts on a line of its own.
    const fs::path file = fs::temp_directory_path() / ("ktq51-full-" + std::to_string(::getpid()) + ".csv");
    fs::remove(file);
    const std::string row = ReportRow(Board("s", std::chrono::milliseconds(1)), {"blink.hex", "c92a"}, "ok");
    std::optional<ReportFile> report = ReportFile::Open(file, "p.csv", error);
    ASSERT_TRUE(report) << error;
    const std::uintmax_t header = fs::file_size(file);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = header + row.size() / 2;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool appended = report->Append(row, error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(appended);
    EXPECT_EQ(error, "Protokol p.csv nelze zapsat: " + std::string(std::strerror(EFBIG)));
    EXPECT_EQ(fs::file_size(file), header) << "half a row was left";
    // Something else left a row unfinished: ours starts on a line of its own.
    {
        std::FILE* out = std::fopen(file.string().c_str(), "ab");
        std::fputs("2026-12-08T09:15:02+01:00;/dev/ttyUSB0", out);
        std::fclose(out);
    }
    ASSERT_TRUE(report->Append(row, error)) << error;
    EXPECT_TRUE(ReadWholeFile(file.string()).ends_with("/dev/ttyUSB0\r\n" + row));
    fs::remove(file);
}
#endif

}  // namespace
