// Listing the serial ports on Linux, from sysfs: every tty that has a device
// behind it (virtual terminals and pseudo-terminals have none), without the
// built-in UARTs of type 0, which have no hardware behind them. A USB
// adapter is recognised by the USB device among its parents, which gives its
// vendor and product, strings and serial number. Nothing is opened.
#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

#include "port_list.h"

namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute, or empty.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

// The USB device a tty belongs to: the nearest parent with a vendor and a
// product, below `devices`; empty for a port on no USB bus.
fs::path UsbDeviceOf(fs::path at, const fs::path& devices) {
    std::error_code error;
    for (; !at.empty() && at.string().starts_with(devices.string()) && at != devices; at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) return at;
    }
    return {};
}

// /dev/ttyUSB0 -> /dev/serial/by-id/usb-FTDI_..., from the links there.
std::map<std::string, std::string> StableNames(const fs::path& dev) {
    std::map<std::string, std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dev / "serial" / "by-id", error)) {
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (error) continue;
        names.emplace(target.filename().string(), entry.path().string());
    }
    return names;
}

}  // namespace

std::vector<PortInfo> ListPortsUnder(const fs::path& sys, const fs::path& dev) {
    std::vector<PortInfo> ports;
    const std::map<std::string, std::string> stable = StableNames(dev);
    const fs::path devices = fs::weakly_canonical(sys / "devices");
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sys / "class" / "tty", error)) {
        const std::string name = entry.path().filename().string();
        const fs::path device = entry.path() / "device";
        if (!fs::exists(device, error)) continue;                          // virtual
        if (Attribute(entry.path() / "type") == "0") continue;             // a UART with no hardware
        PortInfo port;
        port.name = port.device = (dev / name).string();
        if (const auto it = stable.find(name); it != stable.end()) port.stableName = it->second;
        if (const fs::path usb = UsbDeviceOf(fs::canonical(device, error), devices); !usb.empty()) {
            port.usb = true;
            port.description = Attribute(usb / "product");
            port.manufacturer = Attribute(usb / "manufacturer");
            port.vidPid = Attribute(usb / "idVendor") + ":" + Attribute(usb / "idProduct");
            port.serial = Attribute(usb / "serial");
        }
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(), ListedBefore);
    return ports;
}

std::vector<PortInfo> ListPorts() {
    return ListPortsUnder("/sys", "/dev");
}
