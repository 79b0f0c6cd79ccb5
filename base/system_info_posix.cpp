#include <sys/utsname.h>

#include <fstream>

#include "system_info.h"

std::string SystemDescription() {
    utsname name{};
    // Returns 0 upon success, -1 upon failure.
    std::string text = ::uname(&name) == 0 ? std::string(name.sysname) + " " + name.release + " (" + name.machine + ")"
                                           : std::string("POSIX");
    // The distribution, as /etc/os-release names it.
    std::ifstream release("/etc/os-release");
    for (std::string line; std::getline(release, line);) {
        if (!line.starts_with("PRETTY_NAME=")) continue;
        std::string pretty = line.substr(12);
        if (pretty.size() >= 2 && pretty.front() == '"' && pretty.back() == '"') pretty = pretty.substr(1, pretty.size() - 2);
        text += ", " + pretty;
    }
    return text;
}
