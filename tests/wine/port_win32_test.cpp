// The Win32 port layer, run under Wine by the Linux harness (wine_harness),
// which maps COM1..COM5 to pseudo-terminals and checks from the Linux side
// what arrives and how the line is set. Each test here is one step the
// harness runs on its own.
#include "port.h"  // first: it includes <windows.h> the way we want it

#include <gtest/gtest.h>

#include <chrono>

#include "pattern.h"
#include "transfer.h"

namespace {

using namespace std::chrono_literals;

class Win32Port : public testing::Test {
protected:
    OpenResult Open(int index = 0) { return OpenAndConfigure(index, port, state, timeouts); }
    PortHandle port;
    CommStateRecord state{};
    CommTimeouts timeouts;
};

TEST_F(Win32Port, OpenSetsTheLineFormatAndTimeouts) {
    const OpenResult r = Open();
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.device, "COM1");
    DCB now{};
    now.DCBlength = sizeof now;
    ASSERT_TRUE(::GetCommState(port.Native(), &now));
    EXPECT_EQ(now.BaudRate, 19200u);
    EXPECT_EQ(now.ByteSize, 8);
    EXPECT_EQ(now.Parity, NOPARITY);
    EXPECT_EQ(now.StopBits, ONESTOPBIT);
    // The flow-control fields are what the port reported before the open set
    // anything: ComState keeps them as read.
    EXPECT_EQ(now.fOutxCtsFlow, state.fOutxCtsFlow);
    EXPECT_EQ(now.fOutX, state.fOutX);
    EXPECT_EQ(now.fInX, state.fInX);
    COMMTIMEOUTS t{};
    ASSERT_TRUE(::GetCommTimeouts(port.Native(), &t));
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 10u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 10u);
    EXPECT_EQ(WriteLimit(timeouts, kStreamBytes), 163850ms);
}

TEST_F(Win32Port, WritesTheWholeStream) {
    ASSERT_TRUE(Open().ok());
    const std::vector<std::uint8_t> data = WineTestPattern();
    std::vector<std::size_t> reported;
    const WriteResult w = WritePort(port, data, WriteLimit(timeouts, data.size()),
                                    [&](std::size_t n) { reported.push_back(n); });
    EXPECT_EQ(w.written, data.size());
    EXPECT_TRUE(w.error.empty()) << w.error;
    // Sent a kilobyte at a time, so the progress box moves on Windows too.
    ASSERT_GE(reported.size(), data.size() / 1024);
    EXPECT_EQ(reported.back(), data.size());
    std::size_t previous = 0;
    for (const std::size_t n : reported) {
        EXPECT_GT(n, previous);
        EXPECT_LE(n - previous, 1024u);
        previous = n;
    }
}

// The harness has filled the line's buffer but for 2 KB, and reads nothing;
// afterwards it checks that nothing of this write stayed queued.
TEST_F(Win32Port, StalledLineGivesAShortCountWithinTheLimit) {
    ASSERT_TRUE(Open().ok());
    const std::vector<std::uint8_t> data = WineTestPattern();
    const auto start = std::chrono::steady_clock::now();
    const WriteResult w = WritePort(port, data, 1000ms);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(w.written, data.size());
    EXPECT_EQ(w.cause, PortCause::TimedOut) << w.error;
    EXPECT_LT(took, 10s) << "the write must end near its limit, not hang";
    // The time-outs of the open are back in force after the bounded write.
    COMMTIMEOUTS t{};
    ASSERT_TRUE(::GetCommTimeouts(port.Native(), &t));
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 10u);
}

// The harness points COM2 at a port number nothing maps.
TEST_F(Win32Port, UnmappedPortCannotBeOpened) {
    const OpenResult r = Open(1);
    EXPECT_EQ(r.failure, PortFailure::CannotOpen);
    EXPECT_EQ(r.device, kUnmappedPort);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(Open(5).failure, PortFailure::CannotOpen);  // no COM6 in the menu
}

// Windows refuses a second open, since the port is opened without sharing;
// Wine lets it through, so there the check cannot be made.
TEST_F(Win32Port, SecondOpenIsRefused) {
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr) {
        GTEST_SKIP() << "Wine does not refuse a second open of a serial port";
    }
    ASSERT_TRUE(Open().ok());
    PortHandle second;
    CommStateRecord s{};
    CommTimeouts t;
    EXPECT_EQ(OpenAndConfigure(0, second, s, t).failure, PortFailure::CannotOpen);
}

}  // namespace
