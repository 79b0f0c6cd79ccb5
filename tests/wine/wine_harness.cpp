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
// Needs: KTQ51_WIN_TESTS (the cross-built test program), WINEPREFIX, and a
// running wineserver; scripts/windows-check.sh provides all three.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "../line_checks.h"
#include "../pty_pair.h"
#include "pattern.h"

namespace {

using namespace std::chrono_literals;

std::array<std::unique_ptr<PtyPair>, 5> ports;

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs one test of the Windows program; true when it passed.
bool RunWindowsStep(const std::string& test, const std::string& environment = "") {
    const char* program = std::getenv("KTQ51_WIN_TESTS");
    if (program == nullptr) return false;
    return Run(environment + " wine '" + program + "' --gtest_filter=Win32Port." + test) == 0;
}

// Maps COM1..COM5 to fresh raw pseudo-terminals; false when Wine refused.
bool MapPorts() {
    for (int n = 1; n <= 5; ++n) {
        ports[n - 1] = std::make_unique<PtyPair>();
        termios t = ports[n - 1]->SlaveSettings();
        ::cfmakeraw(&t);
        ports[n - 1]->SetSlaveSettings(t);
        if (Run("wine reg add 'HKLM\\Software\\Wine\\Ports' /v COM" + std::to_string(n) + " /d " +
                ports[n - 1]->path() + " /f </dev/null >/dev/null 2>&1") != 0) {
            return false;
        }
    }
    // The mapping takes effect when wineserver starts again. Wine's services
    // start with it; they must not inherit this program's output, which ctest
    // waits on.
    return Run("(wineserver -k; wineserver -p; wine cmd /c exit) </dev/null >/dev/null 2>&1") == 0;
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

TEST_F(WineHarness, StalledLineGivesAShortCount) {
    ASSERT_GT(com1().Stall(), 0u);
    EXPECT_TRUE(RunWindowsStep("StalledLineGivesAShortCountWithinTheLimit"));
}

TEST_F(WineHarness, UnmappedPortNumberCannotBeOpened) {
    EXPECT_TRUE(RunWindowsStep("UnmappedPortCannotBeOpened", std::string("KTQ51_COM2=") + kUnmappedPort));
}

TEST_F(WineHarness, SecondOpenStep) {
    EXPECT_TRUE(RunWindowsStep("SecondOpenIsRefused"));
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (const char* needed : {"KTQ51_WIN_TESTS", "WINEPREFIX"}) {
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
