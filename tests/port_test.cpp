// The port layer on real pseudo-terminals.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <thread>

#include "line_checks.h"
#include "line_settings.h"
#include "port.h"
#include "pty_pair.h"
#include "transfer.h"

namespace {

using namespace std::chrono_literals;

class PortTest : public testing::Test {
protected:
    void SetUp() override {
        // Every COM number points somewhere harmless: no test may reach a
        // default device such as the machine's console line.
        for (int n = 1; n <= kPortCount; ++n) {
            ::setenv(("KTQ51_COM" + std::to_string(n)).c_str(), "/nonexistent/ktq51-test-port", 1);
        }
        pty.MapAs(1);
    }

    OpenResult Open(int index = 0) { return OpenAndConfigure(index, port, state, timeouts); }

    PtyPair pty;
    PortHandle port;
    CommStateRecord state{};
    CommTimeouts timeouts{};
};

TEST(PortNames, EnvironmentMapsEachComNumber) {
    ::setenv("KTQ51_COM2", "/dev/ttyUSB0", 1);
    EXPECT_EQ(PortDevice(1), "/dev/ttyUSB0");
    ::setenv("KTQ51_COM2", "", 1);  // set but empty: the default device
    EXPECT_EQ(PortDevice(1), "/dev/ttyS1");
    ::unsetenv("KTQ51_COM5");
    EXPECT_EQ(PortDevice(4), "/dev/ttyS4");
    EXPECT_EQ(PortDevice(5), "");
    EXPECT_EQ(PortDevice(-1), "");
}

TEST(PortLimits, TenMillisecondsPerBytePlusTen) {
    EXPECT_EQ(WriteLimit(CommTimeouts{}, 16384), 163850ms);
    EXPECT_EQ(WriteLimit(CommTimeouts{}, 0), 10ms);
    EXPECT_EQ(WriteLimit(CommTimeouts{0, 0, 0, 300}, 16384), 300ms);
}

TEST_F(PortTest, LineIsSetTo19200EightNoneOneRaw) {
    ASSERT_TRUE(Open().ok()) << Open().reason;
    const termios t = pty.SlaveSettings();
    EXPECT_TRUE(Is19200EightNoneOneRaw(t));
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_lflag & ISIG);
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_EQ(std::memcmp(&t, &state, sizeof t), 0) << "ComState holds the settings as set";
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 10u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 10u);

    // What is read back after setting is checked field by field.
    EXPECT_EQ(MismatchedLineSetting(t), "");
    const struct {
        tcflag_t termios::*flags;
        tcflag_t set, clear;
        const char* field;
    } changes[] = {
        {&termios::c_cflag, CS7, CSIZE, "CSIZE"},   {&termios::c_cflag, PARENB, 0, "PARENB"},
        {&termios::c_cflag, CSTOPB, 0, "CSTOPB"},   {&termios::c_cflag, 0, CLOCAL, "CLOCAL"},
        {&termios::c_cflag, 0, CREAD, "CREAD"},     {&termios::c_oflag, OPOST, 0, "OPOST"},
        {&termios::c_lflag, ICANON, 0, "ICANON"},   {&termios::c_lflag, ECHO, 0, "ECHO"},
        {&termios::c_lflag, ISIG, 0, "ISIG"},
    };
    for (const auto& change : changes) {
        termios partly = t;
        partly.*change.flags = (partly.*change.flags & ~change.clear) | change.set;
        EXPECT_EQ(MismatchedLineSetting(partly), change.field);
    }
    termios slow = t;
    cfsetospeed(&slow, B9600);
    EXPECT_EQ(MismatchedLineSetting(slow), "rychlost");
}

TEST_F(PortTest, FlowControlIsLeftAsFound) {
    termios t = pty.SlaveSettings();
    t.c_cflag |= CRTSCTS;
    t.c_iflag |= IXON | IXOFF | IXANY;
    pty.SetSlaveSettings(t);
    ASSERT_TRUE(Open().ok());
    t = pty.SlaveSettings();
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_TRUE(t.c_iflag & IXANY);
    port.Close();

    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    pty.SetSlaveSettings(t);
    ASSERT_TRUE(Open().ok());
    t = pty.SlaveSettings();
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY));
}

TEST_F(PortTest, SecondOpenerIsRefused) {
    ASSERT_TRUE(Open().ok());
    PortHandle second;
    const OpenResult r = OpenAndConfigure(0, second, state, timeouts);
    EXPECT_EQ(r.failure, PortFailure::CannotOpen);
    EXPECT_EQ(r.cause, PortCause::InUse);
    EXPECT_EQ(r.device, pty.path());
    EXPECT_EQ(r.reason, "port používá jiný program");
    EXPECT_FALSE(second.IsOpen());
    // The refused opener (root passes the exclusive mode and fails on the
    // flock) must not have released the first holder's exclusive mode.
    int exclusive = 0;
    ASSERT_EQ(::ioctl(port.Native(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    // Once closed, the port can be opened again.
    port.Close();
    EXPECT_TRUE(Open().ok());
}

TEST_F(PortTest, DeviceHeldByAnotherProgramIsRefused) {
    const int other = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Open().failure, PortFailure::CannotOpen);
    ::close(other);
}

TEST_F(PortTest, MissingDeviceAndNonTerminal) {
    ::setenv("KTQ51_COM2", "/nonexistent/ttyUSB9", 1);
    OpenResult r = Open(1);
    EXPECT_EQ(r.failure, PortFailure::CannotOpen);
    EXPECT_EQ(r.cause, PortCause::NoDevice);
    EXPECT_EQ(r.device, "/nonexistent/ttyUSB9");
    EXPECT_EQ(r.reason, std::strerror(ENOENT));
    ::setenv("KTQ51_COM3", "/dev/null", 1);
    r = Open(2);
    EXPECT_EQ(r.failure, PortFailure::LineError);
    EXPECT_EQ(r.reason, std::strerror(ENOTTY));
    EXPECT_EQ(Open(5).failure, PortFailure::CannotOpen);
}

TEST_F(PortTest, EveryByteArrivesUnchanged) {
    ASSERT_TRUE(Open().ok());
    // All 256 byte values, line ends and flow-control characters among them.
    std::vector<std::uint8_t> data(16384);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    std::vector<std::uint8_t> received;
    std::thread reader([&] { received = pty.Read(data.size()); });
    std::size_t lastProgress = 0;
    const WriteResult r = WritePort(port, data, WriteLimit(timeouts, data.size()),
                                    [&](std::size_t n) { lastProgress = n; });
    reader.join();
    EXPECT_EQ(r.written, data.size());
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(lastProgress, data.size());
    EXPECT_EQ(received, data);
}

// A write that times out must not leave its tail queued: once the line is
// released, that tail would go out in front of the retry's stream.
TEST_F(PortTest, TimedOutWriteLeavesNothingForTheRetry) {
    ASSERT_TRUE(Open().ok());
    ASSERT_GT(pty.Stall(), 0u);
    ASSERT_EQ(pty.Read(2048).size(), 2048u);  // room for part of the stream only
    const std::vector<std::uint8_t> failing(16384, 0xAB);
    const auto start = std::chrono::steady_clock::now();
    const WriteResult r = WritePort(port, failing, 300ms);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(r.written, failing.size());
    EXPECT_EQ(r.error, "vypršel časový limit");
    EXPECT_EQ(r.cause, PortCause::TimedOut);
    EXPECT_GE(took, 300ms);  // it waited for the line, as long as allowed
    EXPECT_LT(took, 2s);

    const std::vector<std::uint8_t> before = pty.Read(1 << 20, 200ms);
    EXPECT_EQ(std::count(before.begin(), before.end(), 0xAB), 0) << "the failed write's tail reached the line";
    std::vector<std::uint8_t> retry(16384);
    std::iota(retry.begin(), retry.end(), 0);
    std::vector<std::uint8_t> received;
    std::thread reader([&] { received = pty.Read(retry.size() + 1, 500ms); });
    const WriteResult again = WritePort(port, retry, 10s);
    reader.join();
    EXPECT_TRUE(again.error.empty()) << again.error;
    EXPECT_EQ(received, retry);
}

TEST_F(PortTest, VanishedDeviceEndsTheWriteWithTheCountSoFar) {
    ASSERT_TRUE(Open().ok());
    pty.Stall();
    const std::vector<std::uint8_t> data(16384, 0x11);
    std::thread vanish([&] {
        std::this_thread::sleep_for(100ms);
        pty.CloseMaster();  // the far end goes away mid-write
    });
    const WriteResult r = WritePort(port, data, 10s);
    vanish.join();
    EXPECT_LT(r.written, data.size());
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.DeviceGone());
}

// All bytes accepted and none reported queued, then the device goes: the
// transfer has not succeeded, and its count says so.
TEST_F(PortTest, DeviceVanishingAsTheLastByteLeavesIsNoSuccess) {
    ASSERT_TRUE(Open().ok());
    const std::vector<std::uint8_t> data(4096, 0x22);  // the line's buffer takes it all
    const WriteResult r = WritePort(port, data, 10s, [&](std::size_t left) {
        if (left == data.size()) pty.CloseMaster();
    });
    EXPECT_LT(r.written, data.size());
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.DeviceGone());
}

TEST(ProgrammingStreamTest, EachCellAsLittleEndian32Bits) {
    auto image = std::make_unique<ImageCells>(ErasedImage());
    (*image)[0x3001] = 0xAB;
    (*image)[0x3FFF] = 0x00;
    (*image)[0x2FFF] = 0x12;  // below the window: not sent
    const ProgrammingStream s = MakeProgrammingStream(*image);
    ASSERT_EQ(s.size(), 16384u);
    EXPECT_EQ((std::vector<std::uint8_t>(s.begin(), s.begin() + 8)),
              (std::vector<std::uint8_t>{0xFF, 0, 0, 0, 0xAB, 0, 0, 0}));
    EXPECT_EQ((std::vector<std::uint8_t>(s.end() - 4, s.end())), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    (*image)[0x3000] = 799;  // a value above a byte goes out as its four bytes
    EXPECT_EQ(MakeProgrammingStream(*image)[1], 0x03);
}

}  // namespace
