// Opening a HEX file for reading: one implementation per platform.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The open file, positioned at its start; or nullptr with the reason (the
// system's text, or that it is no regular file or too large). Never waits:
// a FIFO without a writer or a terminal is refused at once.
std::FILE* OpenHexFile(const std::filesystem::path& path, std::string& reason);

inline const char* const kNotARegularFile = "není to běžný soubor";
inline const char* const kTooLarge = "soubor je větší než 64 MiB, a tak to není soubor HEX pro tuto desku";
