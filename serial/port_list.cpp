// What the listing of ports does alike on every platform.
#include <algorithm>
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
        if (port.UsbAdapter() && !port.adapter.empty()) byAdapter[port.adapter].push_back(&port);
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

std::span<const SerialChips> SerialChipTable() {
    // The USB IDs that the Linux drivers ftdi_sio, ch341, cp210x and pl2303
    // and their Windows counterparts serve for the chips of common adapters
    // and boards; 0403:0000 is an FTDI clone whose ID a Windows driver
    // erased.
    static const SerialChips kChips[] = {
        {ChipMaker::Ftdi, "0403", "FTDI", "ftdi_sio", {{"6001"}, {"6010"}, {"6011"}, {"6014"}, {"6015"}, {"0000"}}},
        {ChipMaker::Wch, "1a86", "CH34x", "ch341",
         {{"7523", "CH340"}, {"7522"}, {"5523", "CH341"}, {"55d2"}, {"55d3"}, {"55d4"}, {"55d5"}}},
        {ChipMaker::SiliconLabs, "10c4", "CP210x", "cp210x",
         {{"ea60"}, {"ea61"}, {"ea63"}, {"ea70"}, {"ea71"}, {"ea80"}}},
        {ChipMaker::Prolific, "067b", "PL2303", "pl2303",
         {{"2303"}, {"2304"}, {"23a3"}, {"23b3"}, {"23c3"}, {"23d3"}, {"23e3"}, {"23f3"}}},
    };
    return kChips;
}

const SerialChips* ChipsOf(const std::string& vidPid) {
    const std::string_view vendor = std::string_view(vidPid).substr(0, vidPid.find(':'));
    for (const SerialChips& chips : SerialChipTable()) {
        if (chips.vendor == vendor) return &chips;
    }
    return nullptr;
}

const std::vector<std::string_view>& CdcBoardVendors() {
    static const std::vector<std::string_view> kVendors = {"2341", "2a03", "2e8a", "303a", "0483",
                                                           "04d8", "239a", "2886", "1b4f", "16c0"};
    return kVendors;
}

namespace {

// `vidPid`'s product among its maker's known ones, or null.
const SerialChips::Product* ProductOf(const SerialChips& chips, const std::string& vidPid) {
    const std::size_t colon = vidPid.find(':');
    if (colon == std::string::npos) return nullptr;
    const std::string_view id = std::string_view(vidPid).substr(colon + 1);
    for (const SerialChips::Product& product : chips.products) {
        if (product.id == id) return &product;
    }
    return nullptr;
}

}  // namespace

std::string ChipName(const std::string& vidPid) {
    const SerialChips* chips = ChipsOf(vidPid);
    if (chips == nullptr) return {};
    const SerialChips::Product* product = ProductOf(*chips, vidPid);
    return std::string(product != nullptr && !product->model.empty() ? product->model : chips->family);
}

bool KnownSerialChip(const std::string& vidPid) {
    const SerialChips* chips = ChipsOf(vidPid);
    return chips != nullptr && ProductOf(*chips, vidPid) != nullptr;
}

bool CdcAcmInterface(const std::vector<std::string>& compatibleIds) {
    return std::any_of(compatibleIds.begin(), compatibleIds.end(), [](const std::string& id) {
        std::string upper = id;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        return upper.find("CLASS_02&SUBCLASS_02") != std::string::npos;
    });
}

std::array<ComPort, kMenuPorts> ComPorts(const std::vector<PortInfo>& ports) {
    std::array<ComPort, kMenuPorts> com;
    for (int n = 1; n <= kMenuPorts; ++n) {
        ComPort& slot = com[static_cast<std::size_t>(n - 1)];
        slot.port = PortName::Com(n);
        slot.device = slot.port.Device();
        slot.listed = FindPort(ports, slot.device);
        slot.exists = slot.listed != nullptr || DeviceExists(slot.device);
    }
    return com;
}

std::vector<const PortInfo*> PortsBesideCom(const std::vector<PortInfo>& ports,
                                            const std::array<ComPort, kMenuPorts>& com) {
    std::vector<const PortInfo*> beside;
    for (const PortInfo& port : ports) {
        const bool behindCom =
            std::any_of(com.begin(), com.end(), [&](const ComPort& slot) { return slot.listed == &port; });
        if (port.HasPort() && !behindCom) beside.push_back(&port);
    }
    return beside;
}

std::size_t CountAdapters(const std::vector<PortInfo>& ports) {
    std::set<std::string> adapters;
    std::size_t withoutIdentity = 0;
    for (const PortInfo& port : ports) {
        if (!port.UsbAdapter()) continue;
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
