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

    bool operator==(const PortInfo&) const = default;
};

// The machine's serial ports: USB adapters first, then built-in ports, each
// in the order of their names (COM2 before COM10). Built-in UARTs with no
// hardware behind them and pseudo-terminals are not ports. One
// implementation per platform.
std::vector<PortInfo> ListPorts();

#ifndef _WIN32
// The Linux reader behind ListPorts, over a sysfs and a /dev given as
// folders, so that a copy of them can stand in for a machine's.
std::vector<PortInfo> ListPortsUnder(const std::filesystem::path& sys, const std::filesystem::path& dev);
#endif

// The port of `ports` that a program opening `device` would reach: by its
// device or its stable name, a link followed where the link exists; or
// nothing.
const PortInfo* FindPort(const std::vector<PortInfo>& ports, const std::string& device);

// Where the listing puts a port: USB adapters first, then by name, numbers
// compared as numbers.
bool ListedBefore(const PortInfo& a, const PortInfo& b);
