// What the Windows port tests and their Linux harness agree on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The bytes the Windows side sends: every byte value, line ends and
// flow-control characters among them, in a known order.
inline std::vector<std::uint8_t> WineTestPattern() {
    std::vector<std::uint8_t> data(16384);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return data;
}

// A COM number that nothing maps: above every number Wine gives the serial
// devices it finds by itself.
inline constexpr const char* kUnmappedPort = "COM250";
