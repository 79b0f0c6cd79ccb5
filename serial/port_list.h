// The serial ports the machine has, as its system describes them: for
// finding the board's adapter among them. Listing never opens a device:
// opening can toggle DTR and reset a board, and a built-in port may be the
// machine's own console.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "port_name.h"

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
    // A port of a USB adapter: what --port auto, --all, --each and the class
    // set take, and the start-up offers in place of COM1.
    bool UsbAdapter() const { return usb && HasPort(); }
    bool operator==(const PortInfo&) const = default;
};

// The machine's serial ports: USB adapters first, then built-in ports, each
// in the order of their names (COM2 before COM10). Built-in UARTs with no
// hardware behind them and pseudo-terminals are not ports. Last, the USB
// devices that look like serial adapters but have no port (HasPort false),
// with their Trouble. One implementation per platform; both end with
// NameInterfaces.
std::vector<PortInfo> ListPorts();

#ifdef __linux__
#include <filesystem>

// The Linux reader behind ListPorts, over a sysfs, a /dev and a /proc given
// as folders, so that a copy of them can stand in for a machine's.
std::vector<PortInfo> ListPortsUnder(const std::filesystem::path& sys, const std::filesystem::path& dev,
                                     const std::filesystem::path& proc = "/proc");

// What this process can see of the others, read from `proc`: those that
// have `device` open, as "cat (PID 1234)" (only those whose open files this
// process may see: its user's own, or all for root), and those whose open
// files it may not see (another user's), by their PIDs.
struct ProcessScan {
    std::vector<std::string> holders;
    std::vector<int> unseen;
};
ProcessScan ScanProcesses(const std::filesystem::path& device, const std::filesystem::path& proc = "/proc");

// The first of the processes `pids` whose name is `name`, as "brltty (PID
// 812)"; empty when there is none. A process's name can be read whoever runs it.
std::string ProcessNamed(const std::vector<int>& pids, std::string_view name,
                         const std::filesystem::path& proc = "/proc");

// ModemManagerProbing over a sysfs, a udev database and a /proc given as
// folders, for the tty `tty` (ttyACM0).
std::string ModemManagerProbingUnder(const std::filesystem::path& sys, const std::filesystem::path& udev,
                                     const std::filesystem::path& proc, const std::string& tty);

// Whether the tty `name` (ttyS2) is a built-in UART that the kernel lists
// with no hardware behind it, as `sys` tells.
bool UartWithoutHardware(const std::filesystem::path& sys, const std::string& name);
#endif

// ModemManager, as "ModemManager (PID 812)", where it runs and may try
// `device` as a modem: a cdc_acm port that speaks AT commands, which udev
// does not mark for it to leave alone (ID_MM_DEVICE_IGNORE). It tries each
// such port as it appears, writing AT commands into the line, and runs as
// root, which the exclusive mode lets through; what it does cannot be
// seen from another user. Empty where it does not run, or leaves the port
// alone, and on Windows.
std::string ModemManagerProbing(const std::string& device);

// The port of `ports` that a program opening `device` would reach: by its
// device or its stable name, as SameDevice compares them; or nothing.
const PortInfo* FindPort(const std::vector<PortInfo>& ports, const std::string& device);

// Tells the ports of each adapter with several apart (interfaceName and
// interfaceNumber as PortInfo describes them), from the interfaces' names and
// numbers as the system gave them; clears both for an adapter's only port.
void NameInterfaces(std::vector<PortInfo>& ports);

// The makers of the common serial chips, each with the USB vendor ID of
// its chips, the product IDs of those that the Linux drivers and their
// Windows counterparts serve, and the Linux driver that serves them.
enum class ChipMaker { None, Ftdi, Wch, SiliconLabs, Prolific };
struct SerialChips {
    struct Product {
        std::string_view id;         // "7523"
        std::string_view model = {};  // "CH340"; empty where the family's name is meant
    };
    ChipMaker maker;
    std::string_view vendor;       // "0403"
    std::string_view family;       // as the user knows the chips: "FTDI", "CH34x"
    std::string_view linuxDriver;  // "ftdi_sio"
    std::vector<Product> products;  // the known ones
};
// The table: every maker's chips.
std::span<const SerialChips> SerialChipTable();
// The maker's chips of a USB device of `vidPid`, or null for another vendor.
const SerialChips* ChipsOf(const std::string& vidPid);
// The USB vendors of boards with their own USB, whose CDC-ACM ports have
// no chip maker of the table: Arduino, Raspberry Pi, Espressif, ST,
// Microchip, Adafruit, Seeed, SparkFun and PJRC. The page's port chooser
// offers their ports beside those of the chips; the listing finds them by
// their interface class instead.
const std::vector<std::string_view>& CdcBoardVendors();

// The chip's name: "CH340" for 1a86:7523, else its family ("FTDI"); empty
// for another vendor.
std::string ChipName(const std::string& vidPid);

// Whether a USB device of `vidPid` is one of the common serial chips: FTDI,
// CH34x, CP210x, PL2303.
bool KnownSerialChip(const std::string& vidPid);

// A COM number of the menu as the machine has it now: the device it opens,
// the listed port behind it (into the listing it was found in), and
// whether its device exists at all (listed or not: a pseudo-terminal, an
// rfcomm line).
struct ComPort {
    PortName port;
    std::string device;
    const PortInfo* listed = nullptr;
    bool exists = false;
};
// COM1..COM5, each with its port among `ports`. The menu, the class set,
// the diagnosis and the start-up offer see the COM numbers through this.
std::array<ComPort, kMenuPorts> ComPorts(const std::vector<PortInfo>& ports);
// The ports of `ports` that have a port and that none of `com` reaches, in
// their order.
std::vector<const PortInfo*> PortsBesideCom(const std::vector<PortInfo>& ports,
                                            const std::array<ComPort, kMenuPorts>& com);

// Whether a USB device or interface with these compatible IDs (Windows'
// USB\Class_02&SubClass_02&Prot_01, any of them) is a CDC-ACM interface:
// a board with its own USB.
bool CdcAcmInterface(const std::vector<std::string>& compatibleIds);

// How many USB adapters `ports` come from: an adapter with two ports is one.
std::size_t CountAdapters(const std::vector<PortInfo>& ports);

// Where the listing puts a port: USB adapters first, then by name, numbers
// compared as numbers.
bool ListedBefore(const PortInfo& a, const PortInfo& b);
