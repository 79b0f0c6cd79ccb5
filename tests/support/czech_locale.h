// The Czech locale, which puts a decimal comma, compiled into a folder of
// the test's own by glibc's localedef (no root needed).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// Makes cs_CZ.UTF-8 in `dir`; true when it is there, to be used with
// LOCPATH=`dir` and LC_ALL=cs_CZ.UTF-8 (package locales).
inline bool MakeCzechLocale(const std::string& dir) {
    const std::string command = "localedef -i cs_CZ -f UTF-8 '" + dir + "/cs_CZ.UTF-8' >/dev/null 2>&1";
    // localedef may warn, and say so in its status, while still writing the locale.
    [[maybe_unused]] const int status = std::system(command.c_str());
    return std::filesystem::exists(std::filesystem::path(dir) / "cs_CZ.UTF-8" / "LC_NUMERIC");
}
