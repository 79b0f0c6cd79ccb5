// Listing the serial ports on Linux, from sysfs: every tty that has a device
// behind it (virtual terminals and pseudo-terminals have none), without the
// built-in UARTs that have no hardware behind them. A USB adapter is
// recognised by the USB device among its parents, which gives its vendor
// and product, strings and serial number; the USB interface between them
// tells the ports of an adapter with several apart. Nothing is opened.
#include <algorithm>
#include <cstdlib>
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

// The USB device a tty belongs to (the nearest parent with a vendor and a
// product, below `devices`), and the USB interface it hangs below (the
// nearest parent with an interface number); empty for a port on no USB bus.
struct UsbParents {
    fs::path device, interface;
};
UsbParents UsbParentsOf(fs::path at, const fs::path& devices) {
    std::error_code error;
    UsbParents found;
    for (; !at.empty() && at.string().starts_with(devices.string()) && at != devices; at = at.parent_path()) {
        if (found.interface.empty() && fs::exists(at / "bInterfaceNumber", error)) found.interface = at;
        if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) {
            found.device = at;
            return found;
        }
    }
    return {};
}

// A hexadecimal sysfs number ("02"), or -1.
int HexNumber(const std::string& text) {
    try {
        return text.empty() ? -1 : std::stoi(text, nullptr, 16);
    } catch (const std::exception&) {
        return -1;
    }
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
        if (!fs::exists(device, error)) continue;  // virtual
        if (UartWithoutHardware(sys, name)) continue;
        PortInfo port;
        port.name = port.device = (dev / name).string();
        if (const auto it = stable.find(name); it != stable.end()) port.stableName = it->second;
        if (const UsbParents usb = UsbParentsOf(fs::canonical(device, error), devices); !usb.device.empty()) {
            port.usb = true;
            port.description = Attribute(usb.device / "product");
            port.manufacturer = Attribute(usb.device / "manufacturer");
            port.vidPid = Attribute(usb.device / "idVendor") + ":" + Attribute(usb.device / "idProduct");
            port.serial = Attribute(usb.device / "serial");
            port.adapter = port.location = usb.device.filename().string();
            if (!usb.interface.empty()) {
                port.interfaceName = Attribute(usb.interface / "interface");
                port.interfaceNumber = HexNumber(Attribute(usb.interface / "bInterfaceNumber"));
            }
        } else {
            port.builtIn = true;
        }
        ports.push_back(std::move(port));
    }
    NameInterfaces(ports);
    std::sort(ports.begin(), ports.end(), ListedBefore);
    return ports;
}

bool UartWithoutHardware(const fs::path& sys, const std::string& name) {
    const fs::path tty = sys / "class" / "tty" / name;
    if (std::ifstream type(tty / "type"); type) {
        int code = -1;
        return (type >> code) && code == 0;  // 0: "unknown", no UART found
    }
    // Kernels before 5.7 let only root read the type. The ports without
    // hardware are then those of the legacy serial8250 platform device,
    // which the kernel makes whether or not a UART is there; ports on a
    // PCI, PNP or ACPI device have theirs.
    std::error_code error;
    return fs::canonical(tty / "device", error).filename() == "serial8250" && !error;
}

std::vector<PortInfo> ListPorts() {
    // A folder with a sys/ and a dev/ of a machine with other adapters, for
    // screenshots and demonstrations (scripts/screenshot.sh); its ports are
    // named as that machine names them.
    if (const char* root = std::getenv("KTQ51_LIST_ROOT"); root != nullptr && *root != '\0') {
        const std::string folder = fs::path(root).lexically_normal().string();
        std::vector<PortInfo> ports = ListPortsUnder(fs::path(folder) / "sys", fs::path(folder) / "dev");
        for (PortInfo& port : ports) {
            for (std::string* name : {&port.name, &port.device, &port.stableName}) {
                if (name->starts_with(folder)) name->erase(0, folder.size());
            }
        }
        return ports;
    }
    return ListPortsUnder("/sys", "/dev");
}
