// The Intel HEX reader over files: the reader of hex_reader.h reading a
// file a block at a time.
#pragma once

#include <cstdint>
#include <filesystem>

#include "hex_reader.h"
#include "memimage.h"

// A HEX file for a 16 KiB memory is far smaller; anything larger is refused.
inline constexpr std::uintmax_t kMaxHexFileBytes = 64u << 20;

// Loads the file into `image`. Cells the file does not name keep their
// values. On any failure `image` is left exactly as it was. Only a regular
// file of at most kMaxHexFileBytes is read: a FIFO, a terminal or a folder
// is refused at once, without waiting for it.
HexResult LoadHexFile(const std::filesystem::path& path, ImageCells& image);

// Loads the file as the program loads every file: erase, then load. On
// success `image` holds the file's bytes and 255 in every cell the file does
// not name; on any failure it is left exactly as it was.
HexResult EraseAndLoadHexFile(const std::filesystem::path& path, ImageCells& image);

