// The far end of the line behind a test port: what a board would see. The
// port layer's tests and the window's transfer tests speak to it the same
// way on both platforms: on Linux it is a pseudo-terminal in the test
// process (test_ports_posix.cpp); under Wine it is a pseudo-terminal held by
// the Linux harness, reached over a local socket (wine/far_end_remote.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "line_checks.h"
#include "port_name.h"

class FarEnd {
public:
    virtual ~FarEnd() = default;

    // The line as the program left it.
    using Line = LineSettings;
    virtual Line Settings() = 0;
    // Turns both kinds of flow control on or off, as another program might
    // have left the line.
    virtual void SetFlowControl(bool on) = 0;

    // Reads from now on, while the test writes, until `count` bytes came or
    // nothing came for `quiet`; Received waits for that and returns them.
    virtual void StartReading(std::size_t count, std::chrono::milliseconds quiet) = 0;
    virtual std::vector<std::uint8_t> Received() = 0;
    std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds quiet) {
        StartReading(count, quiet);
        return Received();
    }

    // Fills the line's buffers with kStallByte and then takes `room` of
    // them back, so that a writer stalls once it has sent `room` bytes.
    virtual void Stall(std::size_t room) = 0;
    static constexpr std::uint8_t kStallByte = 0x55;

    // The device goes away, as an unplugged adapter does; PlugIn puts a new
    // one under the same name, as the adapter plugged in again.
    virtual void Vanish() = 0;
    virtual void PlugIn() = 0;
};

// The far end of the test port that COM`number` is mapped to; a line left
// vanished by an earlier test is plugged in again first.
FarEnd& TestLine(int number);

// A test line behind none of COM1..COM5, as an adapter that the menu's
// COM numbers do not reach: its far end, and the device the program opens
// for it (a pseudo-terminal on Linux, COM12 under Wine).
FarEnd& OtherLine();
std::string OtherLineDevice();

// A port that names no device on this system.
PortName MissingPort();

// Whether the tests run under Wine, which differs from Windows in places.
bool UnderWine();
