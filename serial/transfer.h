// The programming transfer: the stream a port carries to the board.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "memimage.h"
#include "port.h"

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
