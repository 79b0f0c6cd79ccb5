// What the listing of ports does alike on every platform.
#include <cctype>
#include <system_error>

#include "port_list.h"

namespace {

// Compares names as a person reads them: COM2 before COM10.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA]))) ++endA;
            while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB]))) ++endB;
            const unsigned long x = std::stoul(a.substr(i, endA - i)), y = std::stoul(b.substr(j, endB - j));
            if (x != y) return x < y;
            i = endA;
            j = endB;
            continue;
        }
        const int x = std::toupper(static_cast<unsigned char>(a[i])), y = std::toupper(static_cast<unsigned char>(b[j]));
        if (x != y) return x < y;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ListedBefore(const PortInfo& a, const PortInfo& b) {
    if (a.usb != b.usb) return a.usb;
    return NaturalLess(a.name, b.name);
}

const PortInfo* FindPort(const std::vector<PortInfo>& ports, const std::string& device) {
    namespace fs = std::filesystem;
    // Only a path can be a link to a port; a bare name (COM7) is compared by
    // name alone, with no file system call.
    std::error_code targetError;
    const bool isPath = device.find_first_of("/\\") != std::string::npos;
    const fs::path target = isPath ? fs::canonical(device, targetError) : fs::path();
    for (const PortInfo& port : ports) {
        if (SameName(port.device, device) || (!port.stableName.empty() && port.stableName == device)) return &port;
        if (!isPath || targetError) continue;  // no path, or none that exists
        std::error_code portError;
        const fs::path resolved = fs::canonical(port.device, portError);
        if (!portError && resolved == target) return &port;
    }
    return nullptr;
}
