// The serial ports the machine has, as its system describes them: for
// finding the board's adapter among them. Listing never opens a device:
// opening can toggle DTR and reset a board, and a built-in port may be the
// machine's own console.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct PortInfo {
    std::string name;          // as the user knows it: COM7, /dev/ttyUSB0
    std::string device;        // what the program opens for it
    std::string description;   // the system's: Windows' friendly name, the USB product string
    std::string manufacturer;  // of a USB device
    std::string vidPid;        // of a USB device: "0403:6001"
    std::string serial;        // of a USB device, where it has one
    std::string stableName;    // on Linux, the name under /dev/serial/by-id
    bool usb = false;          // a USB adapter, not a built-in port
    // The USB device a port belongs to, the same for every port of one
    // adapter: its sysfs name on Linux (1-1.4), its instance ID on Windows.
    std::string adapter = {};
    // Where a USB adapter is plugged in, the same across plug-ins and
    // reboots: its USB path on Linux (1-1.4: bus 1, hub port 1, its port 4),
    // its location on Windows (Port_#0004.Hub_#0002). Empty for other ports.
    std::string location = {};
    // Which port of an adapter with several this is: its interface's own
    // name where the adapter's ports have distinct ones ("Enhanced COM
    // Port"), otherwise its interface's number. Empty and -1 for a port
    // that is its adapter's only one.
    std::string interfaceName = {};
    int interfaceNumber = -1;
    bool builtIn = false;      // a port of the machine itself, not of an adapter or a virtual one
    std::string driver = {};    // the driver that serves it: ftdi_sio, cdc_acm; FTDIBUS, usbser on Windows
    std::string revision = {};  // of a USB device: its bcdDevice, "0264"

    // A USB device that looks like a serial adapter (a known chip, or a
    // CDC-ACM interface) but has no port: name and device are empty, and
    // this says what the system tells of why.
    struct Trouble {
        std::string boundDriver;   // bound to its interface instead of a serial driver: "usbfs" (a program's)
        std::string wantedDriver;  // the driver that serves such a chip: "ch341", "cdc_acm"
        bool wantedLoaded = false;  // that driver is in the kernel: it refused the device, or was unbound from it
        std::string holder;         // the program that holds it through usbfs: "brltty (PID 812)"
        int problem = 0;            // Windows: Device Manager's problem code (28: no driver, 10: cannot start)
        std::string driverProvider;  // Windows: the driver installed for it, by its maker and version
        std::string driverVersion;
        bool operator==(const Trouble&) const = default;
    };
    Trouble trouble = {};

    bool HasPort() const { return !device.empty(); }
    bool operator==(const PortInfo&) const = default;
};

// The machine's serial ports: USB adapters first, then built-in ports, each
// in the order of their names (COM2 before COM10). Built-in UARTs with no
// hardware behind them and pseudo-terminals are not ports. Last, the USB
// devices that look like serial adapters but have no port (HasPort false),
// with their Trouble. One implementation per platform; both end with
// NameInterfaces.
std::vector<PortInfo> ListPorts();

#ifndef _WIN32
// The Linux reader behind ListPorts, over a sysfs, a /dev and a /proc given
// as folders, so that a copy of them can stand in for a machine's.
std::vector<PortInfo> ListPortsUnder(const std::filesystem::path& sys, const std::filesystem::path& dev,
                                     const std::filesystem::path& proc = "/proc");

// The processes other than this one that have `device` open, as
// "cat (PID 1234)", read from `proc`; only those whose open files this
// process may see (its user's own, or all for root).
std::vector<std::string> ProcessesHolding(const std::filesystem::path& device,
                                          const std::filesystem::path& proc = "/proc");

// Whether the tty `name` (ttyS2) is a built-in UART that the kernel lists
// with no hardware behind it, as `sys` tells.
bool UartWithoutHardware(const std::filesystem::path& sys, const std::string& name);
#endif

// The port of `ports` that a program opening `device` would reach: by its
// device or its stable name, as SameDevice compares them; or nothing.
const PortInfo* FindPort(const std::vector<PortInfo>& ports, const std::string& device);

// Tells the ports of each adapter with several apart (interfaceName and
// interfaceNumber as PortInfo describes them), from the interfaces' names and
// numbers as the system gave them; clears both for an adapter's only port.
void NameInterfaces(std::vector<PortInfo>& ports);

// Whether a USB device of `vidPid` is one of the common serial chips: FTDI,
// CH34x, CP210x, PL2303.
bool KnownSerialChip(const std::string& vidPid);

// How many USB adapters `ports` come from: an adapter with two ports is one.
std::size_t CountAdapters(const std::vector<PortInfo>& ports);

// Where the listing puts a port: USB adapters first, then by name, numbers
// compared as numbers.
bool ListedBefore(const PortInfo& a, const PortInfo& b);
