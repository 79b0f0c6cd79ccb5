// What the listing of ports does alike on every platform.
#include <cctype>
#include <map>
#include <set>
#include <system_error>

#include "port_list.h"
#include "port_name.h"

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The run of digits at `at`, without its leading zeros; `at` moves past it.
std::string_view DigitRun(const std::string& text, std::size_t& at) {
    while (at + 1 < text.size() && text[at] == '0' && IsDigit(text[at + 1])) ++at;
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return std::string_view(text).substr(start, at - start);
}

// Compares names as a person reads them: COM2 before COM10. Runs of digits
// are compared as numbers of any length, without converting them.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string_view x = DigitRun(a, i), y = DigitRun(b, j);
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            continue;
        }
        const int x = std::toupper(static_cast<unsigned char>(a[i])), y = std::toupper(static_cast<unsigned char>(b[j]));
        if (x != y) return x < y;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

void NameInterfaces(std::vector<PortInfo>& ports) {
    std::map<std::string, std::vector<PortInfo*>> byAdapter;
    for (PortInfo& port : ports) {
        if (port.usb && port.HasPort() && !port.adapter.empty()) byAdapter[port.adapter].push_back(&port);
    }
    for (PortInfo& port : ports) {
        const auto it = byAdapter.find(port.adapter);
        if (!port.usb || it == byAdapter.end() || it->second.size() < 2) {
            port.interfaceName.clear();
            port.interfaceNumber = -1;
        }
    }
    // The interfaces' own names tell the ports apart only where each port has
    // one and no two are the same; otherwise their numbers do.
    for (auto& [adapter, group] : byAdapter) {
        if (group.size() < 2) continue;
        std::set<std::string> names;
        for (const PortInfo* port : group) {
            if (!port->interfaceName.empty()) names.insert(port->interfaceName);
        }
        if (names.size() == group.size()) continue;
        for (PortInfo* port : group) port->interfaceName.clear();
    }
}

bool KnownSerialChip(const std::string& vidPid) {
    // The USB IDs that the Linux drivers ftdi_sio, ch341, cp210x and pl2303
    // and their Windows counterparts serve for the chips of common adapters
    // and boards; 0403:0000 is an FTDI clone whose ID a Windows driver
    // erased.
    static const std::set<std::string> known = {
        "0403:6001", "0403:6010", "0403:6011", "0403:6014", "0403:6015", "0403:0000",
        "1a86:7523", "1a86:7522", "1a86:5523", "1a86:55d2", "1a86:55d3", "1a86:55d4", "1a86:55d5",
        "10c4:ea60", "10c4:ea61", "10c4:ea63", "10c4:ea70", "10c4:ea71", "10c4:ea80",
        "067b:2303", "067b:2304", "067b:23a3", "067b:23b3", "067b:23c3", "067b:23d3", "067b:23e3", "067b:23f3",
    };
    return known.contains(vidPid);
}

std::size_t CountAdapters(const std::vector<PortInfo>& ports) {
    std::set<std::string> adapters;
    std::size_t withoutIdentity = 0;
    for (const PortInfo& port : ports) {
        if (!port.usb || !port.HasPort()) continue;
        if (port.adapter.empty()) {
            ++withoutIdentity;
        } else {
            adapters.insert(port.adapter);
        }
    }
    return adapters.size() + withoutIdentity;
}

bool ListedBefore(const PortInfo& a, const PortInfo& b) {
    if (a.usb != b.usb) return a.usb;
    return NaturalLess(a.name, b.name);
}

const PortInfo* FindPort(const std::vector<PortInfo>& ports, const std::string& device) {
    for (const PortInfo& port : ports) {
        if (SameDevice(port.device, device) || (!port.stableName.empty() && SameDevice(port.stableName, device))) {
            return &port;
        }
    }
    return nullptr;
}
