// The Intel HEX reader over files: the reader of hex_reader.h reading a
// file a block at a time.
#pragma once

#include <filesystem>

#include "hex_reader.h"
#include "memimage.h"

// Loads the file into `image`. Cells the file does not name keep their
// values. On any failure `image` is left exactly as it was. Only a regular
// file of at most kMaxHexFileBytes is read: a FIFO, a terminal or a folder
// is refused at once, without waiting for it.
HexResult LoadHexFile(const std::filesystem::path& path, ImageCells& image);

// Loads the file as the program loads every file: erase, then load. On
// success `image` holds the file's bytes and 255 in every cell the file does
// not name; on any failure it is left exactly as it was.
HexResult EraseAndLoadHexFile(const std::filesystem::path& path, ImageCells& image);

