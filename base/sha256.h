// SHA-256 of a block of bytes, as lowercase hexadecimal text: what a report
// records of the stream that went to a board, so that any sha256sum can
// check it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

std::string Sha256Hex(std::span<const std::uint8_t> data);
