// Listing the serial ports on Linux, from sysfs: every tty that has a device
// behind it (virtual terminals and pseudo-terminals have none), without the
// built-in UARTs that have no hardware behind them. A USB adapter is
// recognised by the USB device among its parents, which gives its vendor
// and product, strings and serial number; the USB interface between them
// tells the ports of an adapter with several apart. A USB device that looks
// like a serial adapter but has no tty is listed too, with what sysfs and
// /proc tell of why. Nothing is opened.
#include <fcntl.h>
#include <limits.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <system_error>
#include <thread>

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

// The name of the driver a sysfs device is bound to, or empty.
std::string DriverOf(const fs::path& device) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    return error ? std::string() : driver.filename().string();
}

// The Linux driver that serves a chip, by its vendor: FTDI, WCH, Silicon
// Labs, Prolific; a CDC-ACM interface is cdc_acm's.
std::string WantedDriver(const std::string& vidPid, bool cdcAcm) {
    if (const SerialChips* chips = ChipsOf(vidPid)) return std::string(chips->linuxDriver);
    return cdcAcm ? "cdc_acm" : std::string();
}

// The USB devices of `sys` that look like serial adapters but whose names
// are not in `withPort` (the USB devices that have a port), each with why
// it may have none: the driver its interfaces are bound to instead, the one
// that should serve it and whether that one is loaded, and the program that
// holds it through usbfs.
std::vector<PortInfo> AdaptersWithoutPort(const fs::path& sys, const fs::path& proc,
                                          const std::set<std::string>& withPort) {
    std::vector<PortInfo> found;
    std::error_code error;
    const fs::path usb = sys / "bus" / "usb" / "devices";
    for (const auto& entry : fs::directory_iterator(usb, error)) {
        const std::string name = entry.path().filename().string();
        if (name.find(':') != std::string::npos || name.starts_with("usb") || withPort.contains(name)) continue;
        if (!fs::exists(entry.path() / "idVendor", error)) continue;
        const std::string vidPid = Attribute(entry.path() / "idVendor") + ":" + Attribute(entry.path() / "idProduct");
        bool cdcAcm = false;
        std::string bound;
        for (const auto& interface : fs::directory_iterator(usb, error)) {
            const std::string id = interface.path().filename().string();
            if (!id.starts_with(name + ":")) continue;
            cdcAcm = cdcAcm || (Attribute(interface.path() / "bInterfaceClass") == "02" &&
                                Attribute(interface.path() / "bInterfaceSubClass") == "02");
            if (const std::string driver = DriverOf(interface.path()); bound.empty()) bound = driver;
        }
        if (!KnownSerialChip(vidPid) && !cdcAcm) continue;
        PortInfo adapter;
        adapter.usb = true;
        adapter.vidPid = vidPid;
        adapter.description = Attribute(entry.path() / "product");
        adapter.manufacturer = Attribute(entry.path() / "manufacturer");
        adapter.serial = Attribute(entry.path() / "serial");
        adapter.revision = Attribute(entry.path() / "bcdDevice");
        adapter.adapter = adapter.location = name;
        adapter.driver = bound;
        adapter.trouble.boundDriver = bound;
        adapter.trouble.wantedDriver = WantedDriver(vidPid, cdcAcm);
        adapter.trouble.wantedLoaded = !adapter.trouble.wantedDriver.empty() &&
                                       fs::exists(sys / "bus" / "usb" / "drivers" / adapter.trouble.wantedDriver, error);
        if (bound == "usbfs") {
            // A program holds it through /dev/bus/usb/BBB/DDD (libusb).
            char node[32];
            std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", std::atoi(Attribute(entry.path() / "busnum").c_str()),
                          std::atoi(Attribute(entry.path() / "devnum").c_str()));
            const ProcessScan scan = ScanProcesses(node, proc);
            // Another user's process cannot be seen holding it; brltty,
            // which takes such adapters, can be seen by its name.
            adapter.trouble.holder =
                !scan.holders.empty() ? scan.holders.front() : ProcessNamed(scan.unseen, "brltty", proc);
        }
        found.push_back(std::move(adapter));
    }
    std::sort(found.begin(), found.end(), [](const PortInfo& a, const PortInfo& b) { return a.location < b.location; });
    return found;
}

}  // namespace

namespace {

// The entries of a /proc folder, by getdents64 straight into a buffer.
struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// Calls `each` with the name of every entry of the open folder `fd`.
template <typename Each>
void ForEachEntry(int fd, std::vector<char>& buffer, Each each) {
    for (;;) {
        // Returns the bytes of entries read, 0 at the end, or -1 with errno set.
        const long n = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
        if (n <= 0) return;
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer.data() + at);
            at += entry->d_reclen;
            if (entry->d_name[0] != '.') each(entry->d_name);
        }
        // /proc fills the buffer while entries fit: room left means no more.
        if (n < static_cast<long>(buffer.size()) - 512) return;
    }
}

// Scans the processes `pids` of the /proc open as `procFd` for `target`.
void ScanSome(int procFd, const std::string& target, const int* pids, std::size_t count, std::vector<int>& holding,
              std::vector<int>& unseen) {
    std::vector<char> buffer(1 << 15);
    char path[32], link[PATH_MAX];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(path, sizeof path, "%d/fd", pids[i]);
        // Returns a descriptor, or -1 with errno set: another user's process,
        // whose open files cannot be seen, or one that has just ended.
        const int fds = ::openat(procFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fds < 0) {
            unseen.push_back(pids[i]);
            continue;
        }
        bool holds = false;
        ForEachEntry(fds, buffer, [&](const char* fd) {
            if (holds) return;
            // Returns the length of the link's text (not terminated), or -1 with errno set.
            const ssize_t n = ::readlinkat(fds, fd, link, sizeof link);
            holds = n > 0 && static_cast<std::size_t>(n) == target.size() && target.compare(0, target.size(), link, n) == 0;
        });
        ::close(fds);
        if (holds) holding.push_back(pids[i]);
    }
}

}  // namespace

ProcessScan ScanProcesses(const fs::path& device, const fs::path& proc) {
    // Raw calls, and the processes split among a few threads: with
    // thousands of processes the calls are the whole cost, and root sees
    // every process's open files.
    ProcessScan scan;
    const int self = static_cast<int>(::getpid());
    // Returns a descriptor, or -1 with errno set.
    const int procFd = ::open(proc.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return scan;
    std::vector<int> pids;
    std::vector<char> buffer(1 << 16);
    ForEachEntry(procFd, buffer, [&](const char* name) {
        int pid = 0;
        const auto [end, error] = std::from_chars(name, name + std::strlen(name), pid);
        if (error == std::errc() && *end == '\0' && pid != self) pids.push_back(pid);
    });
    constexpr std::size_t kPerThread = 256;
    const std::size_t threads = std::clamp<std::size_t>(pids.size() / kPerThread, 1, 4);
    std::vector<std::vector<int>> holding(threads), unseen(threads);
    std::vector<std::thread> workers;
    const std::size_t share = (pids.size() + threads - 1) / threads;
    for (std::size_t t = 0; t < threads; ++t) {
        const std::size_t from = std::min(pids.size(), t * share), to = std::min(pids.size(), from + share);
        auto work = [&, t, from, to] { ScanSome(procFd, device.string(), pids.data() + from, to - from, holding[t], unseen[t]); };
        if (t + 1 < threads) {
            workers.emplace_back(work);
        } else {
            work();
        }
    }
    for (std::thread& worker : workers) worker.join();
    ::close(procFd);
    for (std::size_t t = 0; t < threads; ++t) {
        for (const int pid : holding[t]) {
            scan.holders.push_back(Attribute(proc / std::to_string(pid) / "comm") + " (PID " + std::to_string(pid) + ")");
        }
        scan.unseen.insert(scan.unseen.end(), unseen[t].begin(), unseen[t].end());
    }
    return scan;
}

std::string ProcessNamed(const std::vector<int>& pids, std::string_view name, const fs::path& proc) {
    for (const int pid : pids) {
        const std::string id = std::to_string(pid);
        if (Attribute(proc / id / "comm") == name) return std::string(name) + " (PID " + id + ")";
    }
    return {};
}

std::string ModemManagerProbingUnder(const fs::path& sys, const fs::path& udev, const fs::path& proc,
                                     const std::string& tty) {
    std::error_code error;
    // cdc_acm's tty hangs below its USB interface, whose protocol says
    // whether it speaks AT commands (01..06): ModemManager's default filter
    // probes only those.
    const fs::path interface = fs::canonical(sys / "class" / "tty" / tty / "device", error);
    if (error || DriverOf(interface) != "cdc_acm") return {};
    const int protocol = HexNumber(Attribute(interface / "bInterfaceProtocol"));
    if (protocol < 1 || protocol > 6) return {};
    // udev's record of the device (c166:0), where ModemManager's own rules
    // and an administrator's mark a device it must leave alone.
    std::ifstream record(udev / ("c" + Attribute(sys / "class" / "tty" / tty / "dev")));
    for (std::string line; std::getline(record, line);) {
        if (line == "E:ID_MM_DEVICE_IGNORE=1" || line == "E:ID_MM_PORT_IGNORE=1") return {};
    }
    std::vector<int> pids;
    for (const auto& entry : fs::directory_iterator(proc, error)) {
        int pid = 0;
        const std::string name = entry.path().filename().string();
        if (std::from_chars(name.data(), name.data() + name.size(), pid).ec == std::errc()) pids.push_back(pid);
    }
    return ProcessNamed(pids, "ModemManager", proc);
}

std::vector<PortInfo> ListPortsUnder(const fs::path& sys, const fs::path& dev, const fs::path& proc) {
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
            port.revision = Attribute(usb.device / "bcdDevice");
            if (!usb.interface.empty()) {
                port.interfaceName = Attribute(usb.interface / "interface");
                port.interfaceNumber = HexNumber(Attribute(usb.interface / "bInterfaceNumber"));
                port.driver = DriverOf(usb.interface);
            }
        } else {
            port.builtIn = true;
            port.driver = DriverOf(device);
        }
        ports.push_back(std::move(port));
    }
    NameInterfaces(ports);
    std::sort(ports.begin(), ports.end(), ListedBefore);
    std::set<std::string> withPort;
    for (const PortInfo& port : ports) {
        if (port.usb) withPort.insert(port.adapter);
    }
    for (PortInfo& adapter : AdaptersWithoutPort(sys, proc, withPort)) ports.push_back(std::move(adapter));
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

std::string ModemManagerProbing(const std::string& device) {
    std::error_code error;
    const fs::path target = fs::canonical(device, error);
    return error ? std::string() : ModemManagerProbingUnder("/sys", "/run/udev/data", "/proc", target.filename().string());
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
