// The port layer over termios.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "departures.h"
#include "line_settings.h"
#include "native.h"
#include "port_list.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest single sleep while the line is full. A wake-up that never
// comes then costs at most this much, not the whole limit.
constexpr std::chrono::milliseconds kPollSlice{100};

// Whether `device` is a built-in UART that the kernel lists with no
// hardware behind it: such a port opens, and then every call fails with
// EIO. Read from sysfs; the device is not touched.
bool DeviceWithoutHardware(const std::string& device) {
    std::error_code error;
    const std::string name = std::filesystem::canonical(device, error).filename().string();
    return !error && name.starts_with("ttyS") && UartWithoutHardware("/sys", name);
}

PortCause OpenCauseOf(int error) {
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

// Errors that mean the device is gone, once it was open.
PortCause WriteCauseOf(int error) {
    return error == EIO || error == ENXIO || error == ENODEV ? PortCause::Gone : PortCause::Other;
}

// Whether the descriptor hung up: its device is gone.
bool HungUp(int fd) {
    pollfd p{fd, POLLOUT, 0};
    // Returns the count of ready descriptors, 0 if none, -1 with errno set.
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// Ends `result` with the system's error.
void Fail(WriteResult& result, int error) {
    result.cause = WriteCauseOf(error);
    result.reason = std::strerror(error);
}

// Asks the device how much it still queues and tells `departures`, and
// `progress` when the count that has left changed. False once the device
// failed (hung up, gone), with the reason in `result`.
bool AskQueued(int fd, Departures& departures, WriteResult& result, const WriteProgress& progress) {
    if (HungUp(fd)) {
        Fail(result, EIO);
        return false;
    }
    int queued = 0;
    // Returns 0 upon success, -1 upon failure. Only a device that cannot
    // tell (ENOTTY, EINVAL) counts as having nothing queued.
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0) {
        if (errno != ENOTTY && errno != EINVAL) {
            Fail(result, errno);
            return false;
        }
        queued = 0;
    }
    if (departures.Queued(static_cast<std::size_t>(std::max(queued, 0))) && progress) progress(departures.Left());
    return true;
}

void Ignore(int) {}

}  // namespace

void CloseTtyNow(int fd) {
    int queued = 0;
    // Returns 0 upon success, -1 upon failure. Nothing queued: a plain
    // close, which leaves alone what has left (a pseudo-terminal's far end
    // may not have read it yet, and discarding would throw that away).
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
        ::close(fd);
        return;
    }
    // The driver still holds bytes that the line does not take (URBs in
    // flight, a buffer that flow control holds): they will never be wanted,
    // as every write either waited until its bytes had left or gave them
    // up. The last close of a tty waits for them up to the driver's
    // closing_wait, 30 s by default, which only root may shorten; the wait
    // gives up on a signal. So the queue is discarded, and a timer sends
    // this thread a signal that does nothing, every 10 ms, while close
    // runs. Raw system calls only: this runs in the interrupt handler of the
    // command line too. Each returns 0 upon success, -1 upon failure.
    ::tcflush(fd, TCOFLUSH);
    const int signal = SIGRTMIN + 3;
    struct sigaction wake {};
    wake.sa_handler = Ignore;  // no SA_RESTART: the wait must end
    ::sigemptyset(&wake.sa_mask);
    ::sigaction(signal, &wake, nullptr);
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = signal;
    event._sigev_un._tid = static_cast<pid_t>(::syscall(SYS_gettid));  // glibc 2.36 has no sigev_notify_thread_id
    int timer = -1;
    if (::syscall(SYS_timer_create, CLOCK_MONOTONIC, &event, &timer) != 0) {
        ::close(fd);
        return;
    }
    const itimerspec every10ms{{0, 10'000'000}, {0, 1'000'000}};
    ::syscall(SYS_timer_settime, timer, 0, &every10ms, nullptr);
    ::close(fd);
    ::syscall(SYS_timer_delete, timer);
}

void AbandonPort(PortHandle::Native native) noexcept {
    const int fd = static_cast<int>(native);
    ::tcflush(fd, TCOFLUSH);
    CloseTtyNow(fd);
}

void PortHandle::Close() noexcept {
    if (native_ == kNone) return;
    const int fd = static_cast<int>(native_);
    // Clear the exclusive mode we set, which would otherwise outlive us on a
    // device that another process keeps open.
    if (exclusive_) ::ioctl(fd, TIOCNXCL);
    CloseTtyNow(fd);  // also releases the flock
    native_ = kNone;
    exclusive_ = false;
}

bool PortGone(const PortHandle& port) {
    return HungUp(Descriptor(port));
}

std::string DefaultComDevice(int number) {
    return "/dev/ttyS" + std::to_string(number - 1);
}

std::string SystemPath(const std::string& device) {
    return device;
}

bool DeviceExists(const std::string& device) {
    std::error_code error;
    return !device.empty() && std::filesystem::exists(device, error);
}

std::string OtherHolder(const std::string& device) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(device, error);
    if (error || target.string().starts_with("/dev/pts/")) return {};
    const std::vector<std::string> holders = ScanProcesses(target).holders;
    return holders.empty() ? std::string() : holders.front();
}

bool SameDevice(const std::string& a, const std::string& b) {
    if (a == b) return !a.empty();
    std::error_code errorA, errorB;
    const std::filesystem::path targetA = std::filesystem::canonical(a, errorA);
    const std::filesystem::path targetB = std::filesystem::canonical(b, errorB);
    return !errorA && !errorB && targetA == targetB;
}

OpenStatus OpenDevice(const std::string& device, PortHandle& opened, CommStateRecord& state) {
    auto fail = [&device](PortFailure failure, int error) {
        // EIO from the open itself: a built-in port without a UART, or an
        // adapter whose driver could not start it.
        const PortCause cause = error != EIO                   ? OpenCauseOf(error)
                                : DeviceWithoutHardware(device) ? PortCause::NoHardware
                                : failure == PortFailure::CannotOpen ? PortCause::Refused
                                                                      : PortCause::Other;
        OpenStatus status{failure, cause, {}, std::strerror(error), {}};
        // Held exclusively or locked by another program: named where it can be seen.
        if (cause == PortCause::InUse) status.holder = OtherHolder(device);
        return status;
    };
    if (device.empty()) return fail(PortFailure::CannotOpen, ENOENT);

    // Non-blocking, so that the open returns at once without waiting for a
    // carrier; the write waits in poll instead.
    // Returns the descriptor, or -1 with errno set.
    opened = PortHandle(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!opened.IsOpen()) return fail(PortFailure::CannotOpen, errno);
    const int fd = Descriptor(opened);

    // Exclusive: another program that opened the line the same way is refused.
    // Returns 0 upon success, -1 upon failure.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(PortFailure::CannotOpen, errno);

    // Held exclusively already: by another program, which let only root
    // through. Returns 0 upon success, -1 upon failure (a kernel before
    // 3.8 cannot tell).
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) return fail(PortFailure::CannotOpen, EBUSY);
    // Refuses later opens by other programs (root passes it; the flock holds then).
    // Returns 0 upon success, -1 upon failure.
    if (::ioctl(fd, TIOCEXCL) != 0) {
        // A device that is no terminal has no line to set up.
        return fail(errno == ENOTTY ? PortFailure::LineError : PortFailure::CannotOpen, errno);
    }
    opened.MarkExclusive();

    // A program that has the line open without a lock (cat, a serial
    // monitor) or that root let through: the port is not ours, and its
    // settings stay exactly as that program set them.
    if (std::string holder = OtherHolder(device); !holder.empty()) {
        return OpenStatus{PortFailure::CannotOpen, PortCause::InUse, {}, {}, {}, std::move(holder)};
    }

    // Returns 0 upon success, -1 upon failure.
    if (::tcgetattr(fd, &state) != 0) return fail(PortFailure::LineError, errno);
    SetLineSettings(state);
    // Returns 0 upon success (even if only some settings took), -1 upon failure.
    if (::tcsetattr(fd, TCSANOW, &state) != 0) return fail(PortFailure::LineError, errno);
    // So read them back: every field we set must have taken.
    if (::tcgetattr(fd, &state) != 0) return fail(PortFailure::LineError, errno);
    if (const std::string_view field = MismatchedLineSetting(state); !field.empty()) {
        return OpenStatus{PortFailure::LineError, PortCause::Other, {}, {}, std::string(field)};
    }
    return {};
}

void SendAndDrain(const PortHandle& port, std::span<const std::uint8_t> data, Departures& departures,
                  WriteResult& result, const WriteProgress& progress) {
    const int fd = Descriptor(port);

    while (result.ok() && !departures.AllTaken()) {
        const std::size_t from = departures.Accepted();
        // Returns the count written (possibly short), or -1 with errno set.
        const ssize_t n = ::write(fd, data.data() + from, data.size() - from);
        if (n > 0) {
            departures.Took(static_cast<std::size_t>(n));
            AskQueued(fd, departures, result, progress);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            Fail(result, errno);
            break;
        }
        // The output queue is full: sleep until there is room or time is up,
        // a slice at a time, then try the write again.
        const auto wait = departures.TimeLeft(Clock::now(), kPollSlice);
        if (wait.count() == 0) {
            result.cause = PortCause::TimedOut;
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        // Returns the count of ready descriptors, 0 on time-out, -1 with errno set.
        if (::poll(&p, 1, static_cast<int>(wait.count())) < 0 && errno != EINTR) {
            Fail(result, errno);
            break;
        }
        AskQueued(fd, departures, result, progress);
    }

    // Sleeps a few byte times at a time while the line drains (10 bit times
    // at 19200 baud are about 0.52 ms). Discarding returns 0 upon success,
    // -1 upon failure (a vanished device).
    FinishWrite(
        departures, result, kPollSlice, [&] { return AskQueued(fd, departures, result, progress); },
        [](std::chrono::milliseconds wait, std::size_t pending) {
            const int byteTimes = std::max(1, static_cast<int>(pending / 2));
            ::poll(nullptr, 0, std::min(static_cast<int>(wait.count()), byteTimes));
        },
        [&] { ::tcflush(fd, TCOFLUSH); });
}
