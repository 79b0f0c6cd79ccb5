// The serial port layer: which device each COM number means, opening it
// exclusively, setting the line to 19200 baud 8N1 raw with flow control left
// as found, and one bounded blocking write. One implementation per platform,
// chosen by the build; callers see only this header.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX  // keep std::min and std::max usable
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
using CommStateRecord = DCB;
using NativeHandle = HANDLE;
#else
#include <termios.h>
using CommStateRecord = termios;
using NativeHandle = int;
#endif

inline constexpr int kPortCount = 5;  // COM1 .. COM5
inline constexpr std::uint32_t kBaudRate = 19200;

// The four time-outs of the line, in milliseconds. Nothing is ever read; the
// write limit is WriteTotalTimeoutMultiplier per byte plus the constant.
struct CommTimeouts {
    std::uint32_t ReadTotalTimeoutMultiplier = 10;
    std::uint32_t ReadTotalTimeoutConstant = 10;
    std::uint32_t WriteTotalTimeoutMultiplier = 10;
    std::uint32_t WriteTotalTimeoutConstant = 10;
};

// How long a write of `bytes` may take.
std::chrono::milliseconds WriteLimit(const CommTimeouts& timeouts, std::size_t bytes);

// An open port. Closes itself; moves, never copies.
class PortHandle {
public:
    PortHandle() = default;
    explicit PortHandle(NativeHandle native) : native_(native) {}
    PortHandle(PortHandle&& other) noexcept { TakeFrom(other); }
    PortHandle& operator=(PortHandle&& other) noexcept;
    PortHandle(const PortHandle&) = delete;
    PortHandle& operator=(const PortHandle&) = delete;
    ~PortHandle() { Close(); }

    bool IsOpen() const;
    NativeHandle Native() const { return native_; }
    // Gives the port back: its exclusive hold is released only where this
    // handle set it, so a failed open never frees another program's port.
    void Close() noexcept;
    // Records that this handle made the port exclusive (TIOCEXCL; Windows
    // needs nothing: its no-sharing open ends with the handle).
    void MarkExclusive() { exclusive_ = true; }

private:
    void TakeFrom(PortHandle& other) noexcept;
#ifdef _WIN32
    inline static const NativeHandle kNone = INVALID_HANDLE_VALUE;
#else
    static constexpr NativeHandle kNone = -1;
#endif
    NativeHandle native_ = kNone;
    bool exclusive_ = false;
};

// The two ways an open can fail, as the user is told of them.
enum class PortFailure {
    None,
    CannotOpen,   // no such device, no permission, held by another program
    LineError,    // opened, but its line settings cannot be read or set
};

// What lies behind a port error, as far as the user can do something about it.
enum class PortCause {
    Other,
    NoDevice,      // no such device or port
    NoPermission,  // the user may not open it
    InUse,         // another program holds it
    Gone,          // the device vanished (unplugged) after it was open
    TimedOut,      // the line took no more within the limit
};

struct OpenResult {
    PortFailure failure = PortFailure::None;
    PortCause cause = PortCause::Other;
    std::string device;  // what COMn was mapped to
    std::string reason;  // the system's text for a failure
    bool ok() const { return failure == PortFailure::None; }
};

// The device that COM(index + 1) means on this system; empty for an index
// outside 0..4. Read from the environment each time.
std::string PortDevice(int index);

// The name the system opens for COM(index + 1): the device path on Linux,
// \\.\COMn on Windows; empty for an index outside 0..4.
std::string PortPath(int index);

// Opens COM(index + 1) for exclusive reading and writing without waiting for
// a carrier, and configures it: 19200 baud, 8 data bits, no parity, one stop
// bit, every byte passed unchanged, flow control as found. On success `port`
// holds the new handle, `state` the line settings as set and `timeouts` the
// four time-outs.
OpenResult OpenAndConfigure(int index, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts);

// The same for a device named directly: a path on Linux (/dev/ttyUSB0), a
// port name on Windows (COM7).
OpenResult OpenDevice(const std::string& device, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts);

struct WriteResult {
    std::size_t written = 0;             // bytes known to have left through the port
    std::string error;                   // why the write stopped early; empty when all went
    PortCause cause = PortCause::Other;  // for an error: Gone means the handle is useless now
    bool DeviceGone() const { return !error.empty() && cause == PortCause::Gone; }
};

// Writes all of `data`, within `limit`, and waits (within the same limit)
// until the port's output queue has drained. `progress`, when given, is told
// from the writing thread how many bytes have left the port so far
// (accepted minus still queued). A write that ends without all bytes having
// left discards what is still queued, so that nothing of it reaches the line
// later, in front of the next transfer. When the device vanishes, the bytes
// of the last interval are not counted: they may still have been in the
// adapter itself, where no query sees them.
WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data,
                      std::chrono::milliseconds limit,
                      const std::function<void(std::size_t)>& progress = {});
