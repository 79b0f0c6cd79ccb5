// Opening a HEX file for reading: one implementation per platform.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "hexfile.h"

// The open file, positioned at its start; or nullptr with why not in
// `status` (OpenFailed with the system's text in `reason`, NotARegularFile
// or TooLarge). Never waits: a FIFO without a writer or a terminal is
// refused at once.
std::FILE* OpenHexFile(const std::filesystem::path& path, HexStatus& status, std::string& reason);
