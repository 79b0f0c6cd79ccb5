// The programming transfer: the one open port and the stream it carries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "memimage.h"
#include "port.h"

// The port in use, from start to the end of the process: COM1 at start,
// afterwards the last one chosen. With its line settings and time-outs.
extern PortHandle ComHandle;
extern CommStateRecord ComState;
extern CommTimeouts ComTimeouts;

// The stream the board expects: every cell of the memory window
// 0x3000-0x3FFF in ascending order as a 32-bit little-endian integer, so a
// byte v goes out as v 00 00 00. No header, no length, no checksum.
inline constexpr std::size_t kStreamBytes = kWindowCells * sizeof(Cell);
using ProgrammingStream = std::array<std::uint8_t, kStreamBytes>;

ProgrammingStream MakeProgrammingStream(const ImageCells& image);

// Whole seconds the line needs for `bytes`, rounded up: each byte takes 10
// bit times (start, 8 data, stop) at 19200 baud.
constexpr std::size_t LineSeconds(std::size_t bytes) {
    return (bytes * 10 + kBaudRate - 1) / kBaudRate;
}
