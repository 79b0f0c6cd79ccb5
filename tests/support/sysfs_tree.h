// A machine's sysfs, /dev and /proc as a folder of files and links, rebuilt
// from a listing (tests/data/sysfs): for the port listing's tests and the
// benchmarks.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

// Rebuilds the entries of `listing` ("path|link|target" or "path|file|text"
// a line; paths that begin with / go below `root` as they are, /dev/ and
// /proc/ among them; the others below `root`/sys).
inline void RebuildTree(const std::filesystem::path& listing, const std::filesystem::path& root) {
    std::ifstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t a = line.find('|'), b = line.find('|', a + 1);
        const std::string path = line.substr(0, a), kind = line.substr(a + 1, b - a - 1), value = line.substr(b + 1);
        const std::filesystem::path at = path.starts_with("/") ? root / path.substr(1) : root / "sys" / path;
        std::filesystem::create_directories(at.parent_path());
        if (kind == "link") {
            std::filesystem::create_symlink(value, at);
        } else {
            std::ofstream(at) << value << '\n';
        }
    }
}
