// The port layer over termios.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "port.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string SystemReason(int error) {
    if (error == EWOULDBLOCK || error == EBUSY) return "port používá jiný program";
    return std::strerror(error);
}

// Milliseconds left until `deadline`, at least 0, at most what poll takes.
int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > 60'000 ? 60'000 : static_cast<int>(left);
}

// Bytes written but still in the output queue, or 0 where the device cannot say.
std::size_t Pending(int fd) {
    int pending = 0;
    // Returns 0 upon success, -1 upon failure.
    if (::ioctl(fd, TIOCOUTQ, &pending) != 0 || pending < 0) return 0;
    return static_cast<std::size_t>(pending);
}

}  // namespace

bool PortHandle::IsOpen() const {
    return native_ >= 0;
}

void PortHandle::Close() noexcept {
    if (native_ < 0) return;
    // Give the line back for others: clear the exclusive mode, which would
    // otherwise outlive us on a device that another process keeps open.
    ::ioctl(native_, TIOCNXCL);
    ::close(native_);  // also releases the flock
    native_ = -1;
}

NativeHandle PortHandle::Release() noexcept {
    const int fd = native_;
    native_ = -1;
    return fd;
}

std::string PortDevice(int index) {
    if (index < 0 || index >= kPortCount) return {};
    const std::string variable = "KTQ51_COM" + std::to_string(index + 1);
    const char* mapped = std::getenv(variable.c_str());
    if (mapped != nullptr && *mapped != '\0') return mapped;
    return "/dev/ttyS" + std::to_string(index);
}

OpenResult OpenAndConfigure(int index, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts) {
    OpenResult result;
    result.device = PortDevice(index);
    auto fail = [&](PortFailure failure, int error) {
        result.failure = failure;
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

    // 19200 baud in and out, 8 data bits, no parity, one stop bit, receiver
    // on, modem lines ignored.
    ::cfsetispeed(&settings, B19200);
    ::cfsetospeed(&settings, B19200);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    // Raw: every byte reaches the line unchanged and arrives unchanged. The
    // flow-control bits (CRTSCTS, IXON, IXOFF, IXANY) are not touched.
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    // Returns 0 upon success (even if only some settings took), -1 upon failure.
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return fail(PortFailure::LineError, errno);

    state = settings;
    timeouts = CommTimeouts{};
    port = std::move(opened);
    return result;
}

WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data,
                      std::chrono::milliseconds limit, const std::function<void(std::size_t)>& progress) {
    WriteResult result;
    const int fd = port.Native();
    const Clock::time_point deadline = Clock::now() + limit;
    std::size_t accepted = 0;

    while (accepted < data.size()) {
        // Returns the count written (possibly short), or -1 with errno set.
        const ssize_t n = ::write(fd, data.data() + accepted, data.size() - accepted);
        if (n > 0) {
            accepted += static_cast<std::size_t>(n);
            if (progress) progress(accepted);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            result.error = std::strerror(errno);  // EIO: the device went away
            break;
        }
        // The output queue is full: sleep until there is room or time is up.
        const int wait = MillisecondsLeft(deadline);
        if (wait == 0) {
            result.error = "vypršel časový limit";
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        // Returns the count of ready descriptors, 0 on time-out, -1 with errno set.
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno != EINTR) {
            result.error = std::strerror(errno);
            break;
        }
        if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
            result.error = std::strerror(EIO);
            break;
        }
    }

    // Wait until what was accepted has left the port, sleeping a byte time's
    // worth at a time. Only what has left counts as written.
    std::size_t pending = Pending(fd);
    while (pending > 0) {
        const int wait = MillisecondsLeft(deadline);
        if (wait == 0) {
            if (result.error.empty()) result.error = "vypršel časový limit";
            break;
        }
        // 10 bit times per byte at 19200 baud is about 0.52 ms.
        const int nap = std::min<int>(wait, std::max<int>(1, static_cast<int>(pending / 2)));
        ::poll(nullptr, 0, std::min(nap, 50));
        pending = Pending(fd);
    }
    result.written = accepted > pending ? accepted - pending : 0;
    return result;
}
