// The serial port layer: opening a port exclusively, setting the line to
// 19200 baud 8N1 raw with flow control left as found, and one bounded
// blocking write. One implementation per platform (port_posix.cpp over
// termios, port_win32.cpp over the Windows communications API), chosen by
// the build; the native details live in native_posix.h and native_win32.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "port_name.h"

inline constexpr std::uint32_t kBaudRate = 19200;

// The line settings as the system keeps them (a termios or a DCB), defined in
// the native header of each platform.
struct CommStateRecord;

// The four time-outs of the line, in milliseconds. Nothing is ever read; the
// write limit is WriteTotalTimeoutMultiplier per byte plus the constant.
struct CommTimeouts {
    std::uint32_t ReadTotalTimeoutMultiplier = 10;
    std::uint32_t ReadTotalTimeoutConstant = 10;
    std::uint32_t WriteTotalTimeoutMultiplier = 10;
    std::uint32_t WriteTotalTimeoutConstant = 10;
};

// How long a write of `bytes` may take.
constexpr std::chrono::milliseconds WriteLimit(const CommTimeouts& timeouts, std::size_t bytes) {
    return std::chrono::milliseconds(static_cast<std::int64_t>(timeouts.WriteTotalTimeoutMultiplier) *
                                         static_cast<std::int64_t>(bytes) +
                                     timeouts.WriteTotalTimeoutConstant);
}

// An open port. Closes itself; moves, never copies.
class PortHandle {
public:
    // A descriptor or a HANDLE, as the system gives it; -1 is neither.
    using Native = std::intptr_t;
    static constexpr Native kNone = -1;

    PortHandle() = default;
    explicit PortHandle(Native native) : native_(native) {}
    PortHandle(PortHandle&& other) noexcept { TakeFrom(other); }
    PortHandle& operator=(PortHandle&& other) noexcept;
    PortHandle(const PortHandle&) = delete;
    PortHandle& operator=(const PortHandle&) = delete;
    ~PortHandle() { Close(); }

    bool IsOpen() const { return native_ != kNone; }
    Native native() const { return native_; }
    // Gives the port back: its exclusive hold is released only where this
    // handle set it, so a failed open never frees another program's port.
    void Close() noexcept;
    // Records that this handle made the port exclusive (TIOCEXCL; Windows
    // needs nothing: its no-sharing open ends with the handle).
    void MarkExclusive() { exclusive_ = true; }

private:
    void TakeFrom(PortHandle& other) noexcept;
    Native native_ = kNone;
    bool exclusive_ = false;
};

// The two ways an open can fail, as the user is told of them.
enum class PortFailure {
    None,
    CannotOpen,  // no such device, no permission, held by another program
    LineError,   // opened, but its line settings cannot be read or set
};

// What lies behind a port error, as far as the user can do something about it.
enum class PortCause {
    None,          // no error
    Other,
    NoDevice,      // no such device or port
    NoHardware,    // a built-in port the system lists, with no UART behind it
    NoPermission,  // the user may not open it
    InUse,         // another program holds it
    Gone,          // the device vanished (unplugged) after it was open
    Refused,       // the adapter's driver refused to open it (a chip it cannot drive)
    TimedOut,      // the line took no more within the limit
    Probed,        // a program that tries each new port as a modem may write to it (ModemManager)
};

// What an open came to, without the port itself: copied into results and
// messages.
struct OpenStatus {
    PortFailure failure = PortFailure::None;
    PortCause cause = PortCause::None;
    std::string device;   // what was opened
    std::string reason;   // the system's text for a failure, where it has one
    std::string setting;  // a line setting that did not take, by its name
    std::string holder = {};  // another program that has the port open: "cat (PID 1234)"
    bool ok() const { return failure == PortFailure::None; }
};

struct OpenResult : OpenStatus {
    // On success: the open port, its line settings as set, and its time-outs.
    PortHandle handle = {};
    std::shared_ptr<const CommStateRecord> state = {};
    CommTimeouts timeouts = {};
};

// Opens `port` for exclusive reading and writing without waiting for a
// carrier, and configures it: 19200 baud, 8 data bits, no parity, one stop
// bit, every byte passed unchanged, flow control as found. The settings are
// read back, and one that did not take is a line error naming it. A port
// that another program has open too is refused, naming that program where
// the system tells (OtherHolder): the board's stream never shares its line.
OpenResult OpenPort(const PortName& port);

// Another program that has `device` open, as "cat (PID 1234)"; empty when
// none can be seen. On Linux from /proc: a user sees only their own
// processes there (a terminal, a second copy, a serial monitor: the usual
// holders), root all of them; a pseudo-terminal is not asked, as the
// program that made it holds it by design. On Windows the exclusive open
// refuses a second program itself, and this says nothing.
std::string OtherHolder(const std::string& device);

struct WriteResult {
    std::size_t written = 0;              // bytes known to have left through the port
    std::size_t taken = 0;                // bytes the port took; 0: the board got nothing
    PortCause cause = PortCause::None;    // why the write stopped early
    std::string reason;                   // the system's text for that, where it has one
    bool ok() const { return cause == PortCause::None; }
    bool DeviceGone() const { return cause == PortCause::Gone; }
};

// Whether the device behind an open port has gone, as an unplugged adapter
// does: its descriptor hung up (POSIX), or it answers no communications
// call (Windows). Asks the device without waiting and changes nothing.
bool PortGone(const PortHandle& port);

// For an interrupt handler: discards what the port `native` still queues,
// so that no tail of the stream reaches the line later. On POSIX it also
// lets go of the port at once, even on a line that takes nothing, and is
// safe in a signal handler; on Windows the caller first ends the write that
// waits on the port.
void AbandonPort(PortHandle::Native native) noexcept;

// Told from the writing thread how many bytes have left the port so far.
using WriteProgress = std::function<void(std::size_t)>;

// Writes all of `data`, within `limit`, and waits (within the same limit)
// until the port's output queue has drained. `progress`, when given, is told
// how many bytes have left the port so far (taken minus still queued). A
// write that ends without all bytes having left discards what is still
// queued, so that nothing of it reaches the line later, in front of the next
// transfer. When the device vanishes, the bytes of the last interval are not
// counted as written.
WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data, std::chrono::milliseconds limit,
                      const WriteProgress& progress = {});
