// A serial port as the user names it: one of the menu's COM1..COM5, whose
// device the environment may map (KTQ51_COMn), or a port named by its
// device (/dev/ttyUSB0, COM12). Every place that shows, maps or opens a port
// takes it in this one form.
#pragma once

#include <string>
#include <string_view>

inline constexpr int kMenuPorts = 5;  // COM1 .. COM5

class PortName {
public:
    // COMn of the menu. Only 1..5 have a device; another number names none,
    // so that opening it fails.
    static PortName Com(int number);
    // A port named by its device: a path on Linux, a port name on Windows.
    static PortName Device(std::string device);
    // What the user typed: COM1..COM5 in any case (Com3, cOM3) are the
    // menu's ports, anything else names a device.
    static PortName Parse(std::string_view text);

    // 1..5 for a menu port, 0 for a port named by its device.
    int Number() const { return number_; }
    bool IsMenuPort() const { return number_ >= 1 && number_ <= kMenuPorts; }
    // "COM3" for a menu port; the device as named otherwise.
    std::string Name() const;
    // "KTQ51_COM3" for a menu port, empty otherwise.
    std::string Variable() const;
    // What is opened: the device the variable names when it is set and not
    // empty, otherwise the system's default for that number; the device
    // itself for a port named by it. Read from the environment each time.
    std::string Device() const;

    bool operator==(const PortName&) const = default;

private:
    int number_ = 0;
    std::string device_;
};

// Whether `text` is `word` with its ASCII letters in any case.
bool EqualsInAnyCase(std::string_view text, std::string_view word);

// A port as the command line takes it: "auto" (any case) for the only USB
// adapter, otherwise a port as PortName::Parse takes it.
struct PortArgument {
    bool automatic = false;
    PortName port;
};
PortArgument ParsePortArgument(std::string_view text);

// The device COMn means when KTQ51_COMn is not set: /dev/ttyS(n-1) on
// Linux, COMn on Windows. One implementation per platform.
std::string DefaultComDevice(int number);

// The name the system opens for a device: the path itself on Linux,
// \\.\COM7 on Windows (a name that has the prefix already is taken as it
// is). One implementation per platform.
std::string SystemPath(const std::string& device);

// Whether the system has `device`, asked without opening it: the path
// exists (Linux), or the system knows the device name (Windows). One
// implementation per platform.
bool DeviceExists(const std::string& device);

// Whether opening `a` and opening `b` reach the same device, as the system
// names devices: on Linux the same path, or two paths that lead to one
// device (a link such as /dev/serial/by-id/...); on Windows the same name
// in any case, with or without the \\.\ prefix (COM7, com7, \\.\COM7).
// Nothing is opened. One implementation per platform.
bool SameDevice(const std::string& a, const std::string& b);
