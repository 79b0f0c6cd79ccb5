// The system's own words for a file that does not exist, as the program
// reports them: the C library's on POSIX, FormatMessageW's on Windows.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>

#include "system_text_win32.h"

inline std::string NoSuchFileText() {
    return SystemText(ERROR_FILE_NOT_FOUND);
}
#else
#include <cerrno>
#include <cstring>

inline std::string NoSuchFileText() {
    return std::strerror(ENOENT);
}
#endif
