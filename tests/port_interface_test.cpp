// The port layer's interface, the same tests against each platform's
// implementation: termios on Linux, over pseudo-terminals; the Windows
// communications API under Wine, over pseudo-terminals that the Linux
// harness holds. What arrives and how the line is set is seen from the far
// end, as a board would see it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <numeric>
#include <thread>
#include <vector>

#include "board_run.h"
#include "port_connection.h"
#include "port_fixture.h"
#include "transfer.h"

namespace {

using namespace std::chrono_literals;

// Every byte value, line ends and flow-control characters among them.
std::vector<std::uint8_t> Pattern() {
    std::vector<std::uint8_t> data(kStreamBytes);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return data;
}

using PortInterface = PortFixture;

TEST_F(PortInterface, OpensAt19200EightNoneOneWithFlowControlAsFound) {
    for (const bool flow : {true, false}) {
        Line().SetFlowControl(flow);
        const OpenResult r = Open();
        ASSERT_TRUE(r.ok()) << r.reason;
        const FarEnd::Line line = Line().Settings();
        EXPECT_EQ(line.baud, 19200u);
        EXPECT_EQ(line.dataBits, 8);
        EXPECT_FALSE(line.parity);
        EXPECT_FALSE(line.twoStopBits);
        EXPECT_EQ(line.rtsCts, flow) << "hardware flow control must stay as it was";
        EXPECT_EQ(line.xonXoff, flow) << "software flow control must stay as it was";
        EXPECT_EQ(WriteLimit(timeouts, kStreamBytes), 163850ms);
        EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 10u);
        EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 10u);
        handle.Close();
    }
}

TEST_F(PortInterface, EveryByteArrivesUnchangedAndProgressCountsUp) {
    ASSERT_TRUE(Open().ok());
    const std::vector<std::uint8_t> data = Pattern();
    std::vector<std::size_t> reported;
    Line().StartReading(data.size(), 5s);
    const WriteResult w =
        WritePort(handle, data, WriteLimit(timeouts, data.size()), [&](std::size_t n) { reported.push_back(n); });
    EXPECT_TRUE(w.ok()) << w.reason;
    EXPECT_EQ(w.written, data.size());
    EXPECT_EQ(Line().Received(), data);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), data.size());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
#ifdef _WIN32
    // Sent a kilobyte at a time, so that the progress box moves on Windows too.
    EXPECT_GE(reported.size(), data.size() / 1024);
#endif
}

// A write that times out gives a short count within its limit and leaves
// nothing queued: that tail would go out in front of the retry's stream.
TEST_F(PortInterface, StalledLineTimesOutAndLeavesNothingForTheRetry) {
    ASSERT_TRUE(Open().ok());
    Line().Stall(2048);  // room for part of the stream only
    const std::vector<std::uint8_t> failing(kStreamBytes, 0xAB);
    const auto start = std::chrono::steady_clock::now();
    const WriteResult w = WritePort(handle, failing, 500ms);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(w.cause, PortCause::TimedOut) << w.reason;
    EXPECT_LT(w.written, failing.size());
    EXPECT_GE(took, 450ms) << "it waited for the line, as long as allowed";
    EXPECT_LT(took, 5s) << "it ended near its limit";

    const std::vector<std::uint8_t> after = Line().Read(1 << 20, 300ms);
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [](std::uint8_t b) { return b != FarEnd::kStallByte; }), 0)
        << "bytes of the timed-out write reached the line after it failed";
    std::vector<std::uint8_t> retry(kStreamBytes);
    std::iota(retry.begin(), retry.end(), 0);
    Line().StartReading(retry.size() + 1, 1s);
    const WriteResult again = WritePort(handle, retry, 10s);
    EXPECT_TRUE(again.ok()) << again.reason;
    EXPECT_EQ(Line().Received(), retry);
}

TEST_F(PortInterface, MissingDeviceIsRefused) {
    const OpenResult r = Open(MissingPort());
    EXPECT_EQ(r.failure, PortFailure::CannotOpen);
    EXPECT_EQ(r.cause, PortCause::NoDevice);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(Open(PortName::Com(6)).failure, PortFailure::CannotOpen) << "the menu has no COM6";
}

TEST_F(PortInterface, SecondOpenerIsRefused) {
    if (UnderWine()) GTEST_SKIP() << "Wine does not refuse a second open of a serial port";
    ASSERT_TRUE(Open().ok());
    PortHandle second;
    const OpenResult r = OpenSecond(second);
    EXPECT_EQ(r.failure, PortFailure::CannotOpen);
    EXPECT_EQ(r.cause, PortCause::InUse);
    EXPECT_FALSE(second.IsOpen());
    handle.Close();
    EXPECT_TRUE(Open().ok()) << "once closed, the port can be opened again";
}

// The far end goes away mid-write: the write ends with the count so far,
// and that is no success.
TEST_F(PortInterface, VanishedDeviceEndsTheWrite) {
    ASSERT_TRUE(Open().ok());
    Line().Stall(0);
    const std::vector<std::uint8_t> data(kStreamBytes, 0x11);
    std::thread vanish([&] {
        std::this_thread::sleep_for(100ms);
        Line().Vanish();
    });
    const WriteResult w = WritePort(handle, data, 10s);
    vanish.join();
    EXPECT_FALSE(w.ok());
    EXPECT_NE(w.cause, PortCause::TimedOut) << "a vanished device is no time-out";
    EXPECT_LT(w.written, data.size());
}

// The port in use lives in one connection. A switch opens the new port
// first and keeps the old one when that fails; a device that vanished is
// let go of and opened again; two connections send at once, each on a
// thread of its own, each exactly to its own line.
TEST_F(PortInterface, ConnectionsSwitchReopenAndSendSideBySide) {
    PortConnection first, second(PortName::Com(2));
    ASSERT_TRUE(first.EnsureOpen().ok());
    EXPECT_FALSE(first.SwitchTo(MissingPort()).ok());
    EXPECT_TRUE(first.IsOpen()) << "the port in use was given up for one that cannot be opened";
    EXPECT_EQ(first.Port(), PortName::Com(1));

    Line().Vanish();
    bool letGo = false;
    for (int i = 0; i < 100 && !letGo; ++i, std::this_thread::sleep_for(50ms)) letGo = first.LetGoIfGone();
    EXPECT_TRUE(letGo) << "the vanished device was kept";
    Line().PlugIn();
    ASSERT_TRUE(first.EnsureOpen().ok()) << "the device plugged in again was not opened";

    ASSERT_TRUE(second.EnsureOpen().ok());
    const std::vector<std::uint8_t> one = Pattern();
    const std::vector<std::uint8_t> two(one.rbegin(), one.rend());
    // Both far ends first: under Wine they share the harness's one socket.
    FarEnd& lineOne = Line();
    FarEnd& lineTwo = TestLine(2);
    lineOne.StartReading(one.size(), 5s);
    lineTwo.StartReading(two.size(), 5s);
    WriteResult sentOne, sentTwo;
    std::thread other([&] { sentTwo = second.Send(two, 10s); });
    sentOne = first.Send(one, 10s);
    other.join();
    EXPECT_TRUE(sentOne.ok()) << sentOne.reason;
    EXPECT_TRUE(sentTwo.ok()) << sentTwo.reason;
    EXPECT_EQ(lineOne.Received(), one);
    EXPECT_EQ(lineTwo.Received(), two);
}

// A board run: three boards at once, each on its own connection and
// thread, the last added while the others run. COM1, through a connection
// lent to the run, gets exactly the run's stream; COM2 takes nothing and
// times out; COM3 is pulled out mid-way. Each board is told opened, then
// its progress, then its end; the run's own connections give their ports
// back, the lent one stays open.
TEST_F(PortInterface, BoardRunProgramsEachBoardOnItsOwnAndTellsAsItGoes) {
    struct Told : RunObserver {
        std::mutex mutex;
        std::vector<std::vector<std::string>> events = std::vector<std::vector<std::string>>(3);
        void Opened(std::size_t board, const PortHandle& port) override {
            const std::lock_guard lock(mutex);
            events[board].push_back(port.IsOpen() ? "opened" : "opened, not open");
        }
        void Progressed(std::size_t board, std::size_t) override {
            const std::lock_guard lock(mutex);
            if (events[board].back() != "progress") events[board].push_back("progress");
        }
        void Ended(std::size_t board, const BoardResult&) override {
            const std::lock_guard lock(mutex);
            events[board].push_back("ended");
        }
    } told;
    ProgrammingStream stream{};
    const std::vector<std::uint8_t> pattern = Pattern();
    std::copy(pattern.begin(), pattern.end(), stream.begin());
    PortConnection lent;
    ASSERT_TRUE(lent.EnsureOpen().ok());
    FarEnd& exact = Line();
    FarEnd& stalled = TestLine(2);
    FarEnd& pulled = TestLine(3);
    stalled.Stall(0);
    pulled.Stall(2048);
    BoardRun run(stream, 1500ms, &told);
    run.Add({PortName::Com(2)});
    run.Add({PortName::Com(3)});
    std::this_thread::sleep_for(300ms);
    pulled.Vanish();
    // Read last: under Wine the far ends share one socket, which a read holds.
    exact.StartReading(kStreamBytes, 5s);
    stream[0] ^= 0xFF;  // the run sends its own copy, taken when it began
    run.Add({PortName::Com(1), std::nullopt, &lent});
    run.Wait();
    const std::vector<BoardOutcome> outcomes = run.Outcomes();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].result->written.cause, PortCause::TimedOut);
    EXPECT_TRUE(outcomes[1].result->written.DeviceGone()) << outcomes[1].result->written.reason;
    EXPECT_TRUE(outcomes[2].result->ok()) << outcomes[2].result->written.reason;
    EXPECT_EQ(exact.Received(), pattern);
    EXPECT_EQ(told.events[2], (std::vector<std::string>{"opened", "progress", "ended"}));
    for (std::vector<std::string> events : told.events) {
        std::erase(events, "progress");  // a line that takes nothing has none
        EXPECT_EQ(events, (std::vector<std::string>{"opened", "ended"}));
    }
    EXPECT_TRUE(lent.IsOpen()) << "the run closed a connection lent to it";
    EXPECT_TRUE(PortConnection(PortName::Com(2)).EnsureOpen().ok()) << "the run kept a port of its own";
    stalled.PlugIn();
    pulled.PlugIn();
}

}  // namespace
