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
    PortHandle(PortHandle&& other) noexcept : native_(other.Release()) {}
    PortHandle& operator=(PortHandle&& other) noexcept;
    PortHandle(const PortHandle&) = delete;
    PortHandle& operator=(const PortHandle&) = delete;
    ~PortHandle() { Close(); }

    bool IsOpen() const;
    NativeHandle Native() const { return native_; }
    void Close() noexcept;

private:
    NativeHandle Release() noexcept;
#ifdef _WIN32
    NativeHandle native_ = INVALID_HANDLE_VALUE;
#else
    NativeHandle native_ = -1;
#endif
};

// The two ways an open can fail, as the user is told of them.
enum class PortFailure {
    None,
    CannotOpen,   // no such device, no permission, held by another program
    LineError,    // opened, but its line settings cannot be read or set
};

struct OpenResult {
    PortFailure failure = PortFailure::None;
    std::string device;  // what COMn was mapped to
    std::string reason;  // the system's text for a failure
    bool ok() const { return failure == PortFailure::None; }
};

// The device that COM(index + 1) means on this system; empty for an index
// outside 0..4.
std::string PortDevice(int index);

// Opens COM(index + 1) for exclusive reading and writing without waiting for
// a carrier, and configures it: 19200 baud, 8 data bits, no parity, one stop
// bit, every byte passed unchanged, flow control as found. On success `port`
// holds the new handle, `state` the line settings as set and `timeouts` the
// four time-outs.
OpenResult OpenAndConfigure(int index, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts);

struct WriteResult {
    std::size_t written = 0;  // bytes that have left through the port
    std::string error;        // why the write stopped early; empty when all went
};

// Writes all of `data`, within `limit`, and waits (within the same limit)
// until the port's output queue has drained. `progress`, when given, is told
// the count accepted so far, from the writing thread.
WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data,
                      std::chrono::milliseconds limit,
                      const std::function<void(std::size_t)>& progress = {});
