// Runs the Win32 port tests under Wine against pseudo-terminals and checks,
// from the Linux side, what Wine's serial layer did to the line.
//
// Wine maps COM ports reliably only through the registry key
// HKLM\Software\Wine\Ports, read when wineserver starts, and it gives every
// serial device it finds by itself (this machine's /dev/ttyS0 is its
// console) the next free COM numbers. So all of COM1..COM5 are mapped here,
// and no step opens a port that Wine found by itself.
//
// Known differences from Windows that these checks allow for:
// - a second open of a COM port succeeds under Wine;
// - a mapped port whose device is missing opens, and fails on the first
//   communications call;
// - modem-line calls fail on pseudo-terminals;
// - a pseudo-terminal that is not raw reports IXON as fOutX = 1, so the
//   terminals are made raw first, and flow control is then set on purpose.
//
// It also runs the cross-built window tests and programator.exe itself
// (headless, Qt's offscreen platform), and the whole job end to end: the
// window under Wine sends an SDCC-made file to the board simulator on a
// pseudo-terminal, and the harness compares what the board received.
//
// Needs: KTQ51_WIN_TESTS, KTQ51_WIN_WINDOW_TESTS, KTQ51_WIN_PROGRAMATOR and
// KTQ51_WIN_FLASH (the cross-built programs), WINEPREFIX, and a running
// wineserver;
// scripts/windows-check.sh provides them all.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "../board_simulator.h"
#include "../line_checks.h"
#include "../pty_pair.h"
#include "pattern.h"

namespace {

using namespace std::chrono_literals;

std::array<std::unique_ptr<PtyPair>, 5> ports;

int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs one test of the Windows program; true when it passed.
bool RunWindowsStep(const std::string& test, const std::string& environment = "") {
    const char* program = std::getenv("KTQ51_WIN_TESTS");
    if (program == nullptr) return false;
    return RunShell(environment + " wine '" + program + "' --gtest_filter=Win32Port." + test) == 0;
}

// The environment of a window program under Wine: the ports are mapped,
// Qt draws offscreen with the host's DejaVu fonts. Wine drops variables that
// begin with QT_; WINEQT_X reaches the program as QT_X.
const std::string kWindowEnvironment =
    "KTQ51_WINE_PORTS=mapped WINEQT_QPA_PLATFORM=offscreen "
    "WINEQT_QPA_FONTDIR='Z:\\usr\\share\\fonts\\truetype\\dejavu'";

// Maps COM1..COM5 to fresh raw pseudo-terminals, or COM1 to `com1` when
// given; false when Wine refused.
bool MapPorts(const std::string& com1 = "") {
    for (int n = 1; n <= 5; ++n) {
        ports[n - 1] = std::make_unique<PtyPair>();
        termios t = ports[n - 1]->SlaveSettings();
        ::cfmakeraw(&t);
        ports[n - 1]->SetSlaveSettings(t);
        const std::string device = n == 1 && !com1.empty() ? com1 : ports[n - 1]->path();
        if (RunShell("wine reg add 'HKLM\\Software\\Wine\\Ports' /v COM" + std::to_string(n) + " /d " + device +
                " /f </dev/null >/dev/null 2>&1") != 0) {
            return false;
        }
    }
    // The mapping takes effect when wineserver starts again. Wine's services
    // start with it; they must not inherit this program's output, which ctest
    // waits on.
    return RunShell("(wineserver -k; wineserver -p; wine cmd /c exit) </dev/null >/dev/null 2>&1") == 0;
}

class WineHarness : public testing::Test {
protected:
    void SetUp() override { com1().Read(1 << 20, 50ms); }  // nothing left from an earlier step
    PtyPair& com1() { return *ports[0]; }
};

TEST_F(WineHarness, LineIsSetTo19200EightNoneOneRaw) {
    ASSERT_TRUE(RunWindowsStep("OpenSetsTheLineFormatAndTimeouts"));
    EXPECT_TRUE(Is19200EightNoneOneRaw(com1().SlaveSettings()));
}

TEST_F(WineHarness, FlowControlIsLeftAsRead) {
    termios t = com1().SlaveSettings();
    t.c_cflag |= CRTSCTS;
    t.c_iflag |= IXON | IXOFF;
    com1().SetSlaveSettings(t);
    ASSERT_TRUE(RunWindowsStep("OpenSetsTheLineFormatAndTimeouts"));
    t = com1().SlaveSettings();
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);

    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF);
    com1().SetSlaveSettings(t);
    ASSERT_TRUE(RunWindowsStep("OpenSetsTheLineFormatAndTimeouts"));
    t = com1().SlaveSettings();
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
}

TEST_F(WineHarness, TheExactStreamArrives) {
    std::vector<std::uint8_t> received;
    std::thread reader([&] { received = com1().Read(16384, 10s); });
    const bool passed = RunWindowsStep("WritesTheWholeStream");
    reader.join();
    EXPECT_TRUE(passed);
    EXPECT_EQ(received, WineTestPattern());
}

TEST_F(WineHarness, StalledLineGivesAShortCountAndLeavesNothingQueued) {
    ASSERT_GT(com1().Stall(), 0u);
    ASSERT_EQ(com1().Read(2048).size(), 2048u);  // room for part of the stream
    EXPECT_TRUE(RunWindowsStep("StalledLineGivesAShortCountWithinTheLimit"));
    // The line's buffer still holds the filler it had; what the timed-out
    // write had queued behind it was purged, so none of its bytes come.
    const std::vector<std::uint8_t> after = com1().Read(1 << 20, 300ms);
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [](std::uint8_t b) { return b != PtyPair::kStallByte; }), 0)
        << "bytes of the timed-out write reached the line after it failed";
}

TEST_F(WineHarness, UnmappedPortNumberCannotBeOpened) {
    EXPECT_TRUE(RunWindowsStep("UnmappedPortCannotBeOpened", std::string("KTQ51_COM2=") + kUnmappedPort));
}

TEST_F(WineHarness, SecondOpenStep) {
    EXPECT_TRUE(RunWindowsStep("SecondOpenIsRefused"));
}

// The window and the whole program, cross-built, under Wine.
class WineWindow : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_ = ::mkdtemp(dirTemplate_)) << "mkdtemp"; }
    void TearDown() override { RunShell(std::string("rm -rf '") + dirTemplate_ + "'"); }
    std::string File(const char* name) const { return std::string(dirTemplate_) + "/" + name; }

    static std::string Program(const char* variable) {
        const char* path = std::getenv(variable);
        return path != nullptr ? path : "";
    }

private:
    char dirTemplate_[32] = "/tmp/ktq51-wine-XXXXXX";
    char* dir_ = nullptr;
};

TEST_F(WineWindow, WindowTestsPass) {
    const std::string tests = Program("KTQ51_WIN_WINDOW_TESTS");
    ASSERT_FALSE(tests.empty());
    EXPECT_EQ(RunShell(kWindowEnvironment + " wine '" + tests + "' --gtest_filter=-WindowsEndToEnd.*"), 0);
}

TEST_F(WineWindow, ProgramatorExeStartsAndPaints) {
    const std::string exe = Program("KTQ51_WIN_PROGRAMATOR");
    ASSERT_FALSE(exe.empty());
    // The start-up probe reports the first paint of the grid, then quits.
    EXPECT_EQ(RunShell(kWindowEnvironment + " KTQ51_STARTUP_PROBE=1 wine '" + exe + "' 2>'" + File("err") + "'"), 0);
    const std::string err = BoardSimulator::Slurp(File("err"));
    EXPECT_NE(err.find("probe first_paint_since_main_us="), std::string::npos) << err;
}

// The board simulator on a pseudo-terminal mapped as COM1; `send` runs the
// Windows side, which must deliver sdcc_blink.hex exactly.
void ExpectTheSimulatorGetsTheSdccFile(const std::function<int()>& send) {
    BoardSimulator board(KTQ_SIMULATOR);
    ASSERT_TRUE(MapPorts(board.device()));
    EXPECT_EQ(send(), 0);
    EXPECT_TRUE(board.HoldsExactly(KTQ_TEST_DATA_DIR "/sdcc_blink.window.bin"));
}

TEST_F(WineWindow, EndToEndThroughTheWindowToTheSimulator) {
    const std::string tests = Program("KTQ51_WIN_WINDOW_TESTS");
    ASSERT_FALSE(tests.empty());
    ExpectTheSimulatorGetsTheSdccFile([&] {
        return RunShell(kWindowEnvironment + " wine '" + tests +
                        "' --gtest_filter=WindowsEndToEnd.LoadsAndProgramsTheSdccFile");
    });
}

TEST_F(WineWindow, FlashExeProgramsTheSimulator) {
    const std::string flash = Program("KTQ51_WIN_FLASH");
    ASSERT_FALSE(flash.empty());
    ExpectTheSimulatorGetsTheSdccFile([&] {
        const std::string out = File("flash.out"), err = File("flash.err");
        const int status = RunShell("wine '" + flash + "' --port COM1 --yes '" KTQ_TEST_DATA_DIR
                                    "/sdcc_blink.hex' </dev/null >'" + out + "' 2>'" + err + "'");
        const std::string said = BoardSimulator::Slurp(out);
        std::fprintf(stderr, "ktq51-flash.exe said:\n%s%s", said.c_str(), BoardSimulator::Slurp(err).c_str());
        EXPECT_NE(said.find("Programovani proběhlo v pořádku"), std::string::npos);
        return status;
    });
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (const char* needed :
         {"KTQ51_WIN_TESTS", "KTQ51_WIN_WINDOW_TESTS", "KTQ51_WIN_PROGRAMATOR", "KTQ51_WIN_FLASH", "WINEPREFIX"}) {
        if (std::getenv(needed) == nullptr) {
            std::fprintf(stderr, "wine_harness: %s is not set (run scripts/windows-check.sh)\n", needed);
            return 1;
        }
    }
    if (!MapPorts()) {
        std::fprintf(stderr, "wine_harness: Wine did not take the COM port mapping\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
