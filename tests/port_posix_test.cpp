// What only the termios layer does, on real pseudo-terminals: the exclusive
// hold of root, the lock another program holds, a device that is no serial
// line, every line setting read back, and a device that vanishes as its
// last byte leaves.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "line_settings.h"
#include "port_fixture.h"
#include "test_ports.h"

namespace {

using namespace std::chrono_literals;

class PortPosix : public PortFixture {
protected:
    PtyPair& Pty() { return TestPort(1); }
};

TEST_F(PortPosix, SettingsAreReadBackFieldByField) {
    ASSERT_TRUE(Open().ok());
    const termios t = Pty().SlaveSettings();
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_EQ(std::memcmp(&t, static_cast<const termios*>(&state), sizeof t), 0)
        << "ComState holds the settings as set";

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
    EXPECT_EQ(MismatchedLineSetting(slow), "speed");
}

// Root passes the exclusive mode, so the lock refuses it; the refused opener
// must not have released the first holder's exclusive mode.
TEST_F(PortPosix, RefusedOpenerLeavesTheHoldersExclusiveMode) {
    ASSERT_TRUE(Open().ok());
    PortHandle second;
    const OpenResult r = OpenSecond(second);
    EXPECT_EQ(r.cause, PortCause::InUse);
    EXPECT_EQ(r.device, Pty().path());
    int exclusive = 0;
    ASSERT_EQ(::ioctl(Descriptor(handle), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
}

TEST_F(PortPosix, DeviceLockedByAnotherProgramIsRefused) {
    const int other = ::open(Pty().path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    const OpenResult r = Open();
    EXPECT_EQ(r.failure, PortFailure::CannotOpen);
    EXPECT_EQ(r.cause, PortCause::InUse);
    ::close(other);
}

TEST_F(PortPosix, DeviceThatIsNoTerminalIsALineError) {
    const OpenResult r = Open(PortName::Device("/dev/null"));
    EXPECT_EQ(r.failure, PortFailure::LineError);
    EXPECT_EQ(r.reason, std::strerror(ENOTTY));
    EXPECT_EQ(Open(MissingPort()).reason, std::strerror(ENOENT));
}

TEST_F(PortPosix, VanishedDeviceIsGoneAndCountsOnlyWhatWasConfirmed) {
    ASSERT_TRUE(Open().ok());
    TestPort(1).Stall();
    const std::vector<std::uint8_t> data(16384, 0x11);
    std::thread vanish([] {
        std::this_thread::sleep_for(100ms);
        TestLine(1).Vanish();
    });
    const WriteResult mid = WritePort(handle, data, 10s);
    vanish.join();
    EXPECT_TRUE(mid.DeviceGone()) << mid.reason;

    // All bytes taken and none reported queued, then the device goes: the
    // transfer has not succeeded, and its count says so.
    handle.Close();
    TestLine(1).PlugIn();
    ASSERT_TRUE(Open().ok());
    const std::vector<std::uint8_t> small(4096, 0x22);  // the line's buffer takes it all
    const WriteResult last = WritePort(handle, small, 10s, [&](std::size_t left) {
        if (left == small.size()) TestLine(1).Vanish();
    });
    EXPECT_TRUE(last.DeviceGone());
    EXPECT_LT(last.written, small.size());
}

}  // namespace
