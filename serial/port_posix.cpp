// The port layer over termios.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "line_settings.h"
#include "port.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest single sleep while the line is full. A wake-up that never
// comes then costs at most this much, not the whole limit.
constexpr int kPollSliceMs = 100;

std::string SystemReason(int error) {
    if (error == EWOULDBLOCK || error == EBUSY) return "port používá jiný program";
    return std::strerror(error);
}

bool MeansGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

PortCause CauseOf(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV: return PortCause::NoDevice;
        case EACCES:
        case EPERM: return PortCause::NoPermission;
        case EBUSY:
        case EWOULDBLOCK: return PortCause::InUse;
        default: return PortCause::Other;
    }
}

// Milliseconds left until `deadline`, at least 0, at most `cap`.
int MillisecondsLeft(Clock::time_point deadline, int cap) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > cap ? cap : static_cast<int>(left);
}

// Follows one write: how many bytes have left the port, as far as the
// device tells, and whether it is still there.
class Departures {
public:
    Departures(int fd, const std::function<void(std::size_t)>& progress) : fd_(fd), progress_(progress) {}

    // Asks the device; false once it failed, with the reason in `result`.
    bool Check(std::size_t accepted, WriteResult& result) {
        pollfd p{fd_, POLLOUT, 0};
        // Returns the count of ready descriptors, 0 if none, -1 with errno set.
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            return Fail(result, EIO);
        }
        int queued = 0;
        // Returns 0 upon success, -1 upon failure. Only a device that cannot
        // tell (ENOTTY, EINVAL) counts as having nothing queued.
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            if (errno != ENOTTY && errno != EINVAL) return Fail(result, errno);
            queued = 0;
        }
        const std::size_t pending = std::min(static_cast<std::size_t>(std::max(queued, 0)), accepted);
        // The device answered after the previous count: that count is sure.
        confirmed_ = left_;
        left_ = std::max(left_, accepted - pending);
        if (progress_ && left_ != reported_) {
            reported_ = left_;
            progress_(left_);
        }
        return true;
    }

    bool Fail(WriteResult& result, int error) {
        result.error = std::strerror(error);
        result.cause = MeansGone(error) ? PortCause::Gone : PortCause::Other;
        return false;
    }

    std::size_t Left() const { return left_; }
    std::size_t Confirmed() const { return confirmed_; }

private:
    int fd_;
    const std::function<void(std::size_t)>& progress_;
    std::size_t left_ = 0;
    std::size_t confirmed_ = 0;
    std::size_t reported_ = 0;
};

}  // namespace

bool PortHandle::IsOpen() const {
    return native_ >= 0;
}

void PortHandle::Close() noexcept {
    if (native_ < 0) return;
    // Clear the exclusive mode we set, which would otherwise outlive us on a
    // device that another process keeps open.
    if (exclusive_) ::ioctl(native_, TIOCNXCL);
    ::close(native_);  // also releases the flock
    native_ = -1;
    exclusive_ = false;
}

std::string PortDevice(int index) {
    if (index < 0 || index >= kPortCount) return {};
    const std::string variable = "KTQ51_COM" + std::to_string(index + 1);
    const char* mapped = std::getenv(variable.c_str());
    if (mapped != nullptr && *mapped != '\0') return mapped;
    return "/dev/ttyS" + std::to_string(index);
}

std::string PortPath(int index) {
    return PortDevice(index);
}

OpenResult OpenAndConfigure(int index, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts) {
    return OpenDevice(PortDevice(index), port, state, timeouts);
}

OpenResult OpenDevice(const std::string& device, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts) {
    OpenResult result;
    result.device = device;
    auto fail = [&](PortFailure failure, int error) {
        result.failure = failure;
        result.cause = CauseOf(error);
        result.reason = SystemReason(error);
        return result;
    };
    if (result.device.empty()) return fail(PortFailure::CannotOpen, ENOENT);

    // Non-blocking, so that the open returns at once without waiting for a
    // carrier; the write below waits in poll instead.
    // Returns the descriptor, or -1 with errno set.
    PortHandle opened(::open(result.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!opened.IsOpen()) return fail(PortFailure::CannotOpen, errno);
    const int fd = opened.Native();

    // Exclusive: another program that opened the line the same way is refused.
    // Returns 0 upon success, -1 upon failure.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(PortFailure::CannotOpen, errno);

    CommStateRecord settings{};
    // Returns 0 upon success, -1 upon failure.
    if (::tcgetattr(fd, &settings) != 0) return fail(PortFailure::LineError, errno);

    // Refuses later opens by other programs (root passes it; the flock holds then).
    // Returns 0 upon success, -1 upon failure.
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(PortFailure::CannotOpen, errno);
    opened.MarkExclusive();

    SetLineSettings(settings);
    // Returns 0 upon success (even if only some settings took), -1 upon failure.
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return fail(PortFailure::LineError, errno);
    // So read them back: every field we set must have taken.
    CommStateRecord actual{};
    if (::tcgetattr(fd, &actual) != 0) return fail(PortFailure::LineError, errno);
    if (const std::string_view field = MismatchedLineSetting(actual); !field.empty()) {
        result.failure = PortFailure::LineError;
        result.reason = "nastavení linky se neujalo (" + std::string(field) + ")";
        return result;
    }

    state = actual;
    timeouts = CommTimeouts{};
    port = std::move(opened);
    return result;
}

WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data,
                      std::chrono::milliseconds limit, const std::function<void(std::size_t)>& progress) {
    WriteResult result;
    const int fd = port.Native();
    const Clock::time_point deadline = Clock::now() + limit;
    Departures departures(fd, progress);
    std::size_t accepted = 0;
    bool failed = false;
    auto timedOut = [&] {
        result.error = "vypršel časový limit";
        result.cause = PortCause::TimedOut;
        failed = true;
    };

    while (!failed && accepted < data.size()) {
        // Returns the count written (possibly short), or -1 with errno set.
        const ssize_t n = ::write(fd, data.data() + accepted, data.size() - accepted);
        if (n > 0) {
            accepted += static_cast<std::size_t>(n);
            failed = !departures.Check(accepted, result);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            failed = !departures.Fail(result, errno);
            break;
        }
        // The output queue is full: sleep until there is room or time is up,
        // a slice at a time, then try the write again.
        const int wait = MillisecondsLeft(deadline, kPollSliceMs);
        if (wait == 0) {
            timedOut();
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        // Returns the count of ready descriptors, 0 on time-out, -1 with errno set.
        if (::poll(&p, 1, wait) < 0 && errno != EINTR) {
            failed = !departures.Fail(result, errno);
            break;
        }
        failed = !departures.Check(accepted, result);
    }

    // Wait until what was accepted has left the port, sleeping a few byte
    // times at a time (10 bit times at 19200 baud are about 0.52 ms). Done
    // when the device, asked once more, still says all has left.
    while (!failed) {
        if (!departures.Check(accepted, result)) break;
        if (departures.Confirmed() == data.size()) break;
        if (departures.Left() == data.size()) continue;
        const int wait = MillisecondsLeft(deadline, kPollSliceMs);
        if (wait == 0) {
            timedOut();
            break;
        }
        const std::size_t pending = accepted - departures.Left();
        ::poll(nullptr, 0, std::min<int>(wait, std::max<int>(1, static_cast<int>(pending / 2))));
    }

    if (result.error.empty()) {
        result.written = data.size();
        return result;
    }
    // Nothing of this stream may reach the line later, in front of the
    // next one. Returns 0 upon success, -1 upon failure (a vanished device).
    ::tcflush(fd, TCOFLUSH);
    result.written = result.cause == PortCause::Gone ? departures.Confirmed() : departures.Left();
    return result;
}
