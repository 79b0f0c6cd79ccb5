// Listing the serial ports on Windows: the present devices of the Ports and
// the Modem classes through SetupAPI (a board with its own USB often comes
// as a CDC modem), with the name the user knows (PortName, COM7), the
// friendly name Device Manager shows, the maker, and for a USB device its
// vendor and product (from the hardware ID), serial number (from the
// instance ID), the USB device it belongs to and, for an adapter with
// several ports, its interface. Ports that only the registry's SERIALCOMM
// map names (virtual pairs, Bluetooth) are added by name. Last, the present
// USB devices that look like serial adapters but have no port, with
// Device Manager's problem code and the driver installed for them. Nothing
// is opened.
#include <windows.h>  // before the other system headers, which build on it

#include <cfgmgr32.h>
#include <devguid.h>
#include <initguid.h>  // before devpkey.h: the property keys are defined here, not imported
#include <devpkey.h>
#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <cwchar>
#include <regex>
#include <vector>

#include "port_list.h"
#include "system_text_win32.h"

namespace {

// A text property of a device, or empty.
std::wstring Property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[1024] = {};
    // Returns nonzero upon success, 0 upon failure. A multi-string (the
    // hardware IDs) gives its first string.
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer),
                                             sizeof buffer - sizeof(wchar_t), nullptr)) {
        return {};
    }
    return buffer;
}

// Every string of a multi-string property (the compatible IDs), or none.
std::vector<std::string> Properties(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    std::vector<wchar_t> buffer(2048, L'\0');
    // Returns nonzero upon success, 0 upon failure. The strings end with an
    // empty one; the last two characters stay zero whatever is read.
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                             static_cast<DWORD>((buffer.size() - 2) * sizeof(wchar_t)), nullptr)) {
        return {};
    }
    std::vector<std::string> strings;
    for (const wchar_t* at = buffer.data(); *at != L'\0'; at += std::wcslen(at) + 1) strings.push_back(Utf8FromWide(at));
    return strings;
}

// The description the USB device reported for the interface: a port's own
// name on an adapter with several ("Enhanced COM Port"), or empty.
std::wstring BusReportedDescription(HDEVINFO set, SP_DEVINFO_DATA& device) {
    wchar_t buffer[512] = {};
    DEVPROPTYPE type = 0;
    // Returns TRUE upon success, FALSE upon failure (no such property).
    if (!::SetupDiGetDevicePropertyW(set, &device, &DEVPKEY_Device_BusReportedDeviceDesc, &type,
                                     reinterpret_cast<BYTE*>(buffer), sizeof buffer - sizeof(wchar_t), nullptr, 0) ||
        type != DEVPROP_TYPE_STRING) {
        return {};
    }
    return buffer;
}

// A text device property by its key (the driver's provider or version), or
// empty.
std::wstring KeyedProperty(HDEVINFO set, SP_DEVINFO_DATA& device, const DEVPROPKEY& key) {
    wchar_t buffer[512] = {};
    DEVPROPTYPE type = 0;
    // Returns TRUE upon success, FALSE upon failure (no such property).
    if (!::SetupDiGetDevicePropertyW(set, &device, &key, &type, reinterpret_cast<BYTE*>(buffer),
                                     sizeof buffer - sizeof(wchar_t), nullptr, 0) ||
        type != DEVPROP_TYPE_STRING) {
        return {};
    }
    return buffer;
}

// Device Manager's problem code of a device node, or 0.
int ProblemOf(DEVINST node) {
    ULONG status = 0, problem = 0;
    // Returns CR_SUCCESS upon success.
    if (::CM_Get_DevNode_Status(&status, &problem, node, 0) != CR_SUCCESS) return 0;
    return (status & DN_HAS_PROBLEM) != 0 ? static_cast<int>(problem) : 0;
}

// REV_0300 of a hardware ID -> "0300".
std::string RevisionOf(const std::string& hardwareId) {
    const std::size_t at = hardwareId.find("REV_");
    return at == std::string::npos ? std::string() : hardwareId.substr(at + 4, 4);
}

// The value PortName of the device's own registry key: COM7.
std::wstring PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    // Returns the key, or INVALID_HANDLE_VALUE upon failure.
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    // Returns ERROR_SUCCESS upon success.
    const LONG read = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

// The instance ID of a device node, or empty.
std::string InstanceId(DEVINST node) {
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    // Returns CR_SUCCESS upon success.
    return ::CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS ? Utf8FromWide(id) : std::string();
}

// The USB device a port belongs to: the port's own node for a single-port
// adapter (USB\VID_1A86&PID_7523\...), its parent for an interface of a
// composite device (USB\VID_10C4&PID_EA70&MI_01\...) or a port that the
// vendor's bus driver made (FTDIBUS\...). False for a port on no USB device.
bool UsbDeviceOf(DEVINST node, DEVINST& device) {
    for (int step = 0; step < 4; ++step) {
        const std::string id = InstanceId(node);
        if (id.starts_with("USB\\") && id.find("&MI_") == std::string::npos) {
            device = node;
            return true;
        }
        DEVINST parent = 0;
        // Returns CR_SUCCESS upon success.
        if (id.empty() || ::CM_Get_Parent(&parent, node, 0) != CR_SUCCESS) break;
        node = parent;
    }
    return false;
}

// Where a USB device is plugged in, as Device Manager shows it
// (Port_#0004.Hub_#0002), or empty.
std::string LocationOf(DEVINST device) {
    wchar_t buffer[256] = {};
    ULONG size = sizeof buffer - sizeof(wchar_t);
    // Returns CR_SUCCESS upon success.
    if (::CM_Get_DevNode_Registry_PropertyW(device, CM_DRP_LOCATION_INFORMATION, nullptr, buffer, &size, 0) !=
        CR_SUCCESS) {
        return {};
    }
    return Utf8FromWide(buffer);
}

// "USB-SERIAL CH340 (COM7)" -> "USB-SERIAL CH340": the menu names the port
// itself.
std::string WithoutPortName(std::string friendly, const std::string& port) {
    const std::string suffix = " (" + port + ")";
    if (friendly.size() > suffix.size() && friendly.ends_with(suffix)) friendly.resize(friendly.size() - suffix.size());
    return friendly;
}

// VID_0403&PID_6001 (USB\...) or VID_0403+PID_6001 (FTDIBUS\...) -> 0403:6001,
// and which interface of the device the port is: MI_02 of a composite
// device, the letter after the serial number of an FTDI port (A, B, ...).
void UsbDetails(const std::string& hardwareId, const std::string& instanceId, PortInfo& port) {
    static const std::regex ids(R"(VID_([0-9A-Fa-f]{4})[&+]PID_([0-9A-Fa-f]{4}))");
    static const std::regex interface(R"(&MI_([0-9A-Fa-f]{2}))");
    static const std::regex ftdiSerial(R"(PID_[0-9A-Fa-f]{4}\+([^\\]+))");
    std::smatch match;
    if (!std::regex_search(hardwareId, match, ids)) return;
    port.usb = true;
    port.vidPid = match[1].str() + ":" + match[2].str();
    std::transform(port.vidPid.begin(), port.vidPid.end(), port.vidPid.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (std::regex_search(hardwareId, match, interface)) port.interfaceNumber = std::stoi(match[1].str(), nullptr, 16);
    // USB\VID_0403&PID_6001\A50285BI: the last part is the serial number,
    // unless Windows made one up (it then has an '&').
    if (instanceId.starts_with("USB\\")) {
        const std::string last = instanceId.substr(instanceId.rfind('\\') + 1);
        if (last.find('&') == std::string::npos) port.serial = last;
    } else if (std::regex_search(instanceId, match, ftdiSerial)) {
        port.serial = match[1];  // FTDIBUS\VID_0403+PID_6010+FT4ZX1A\0000: FT4ZX1, port A
        const char letter = port.serial.empty() ? '\0' : port.serial.back();
        if (letter >= 'A' && letter <= 'H') port.interfaceNumber = letter - 'A';
    }
}

// The ports of one device class.
void ListClass(const GUID& deviceClass, std::vector<PortInfo>& ports) {
    // Returns the set, or INVALID_HANDLE_VALUE upon failure.
    const HDEVINFO set = ::SetupDiGetClassDevsW(&deviceClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    // Returns nonzero while there is a device at `i`.
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        // A printer port (LPT) shares the Ports class; a modem attached to a
        // COM port has no port name of its own.
        const std::string name = Utf8FromWide(PortNameOf(set, device));
        if (!name.starts_with("COM") || FindPort(ports, name) != nullptr) continue;
        PortInfo port;
        port.name = port.device = name;
        port.description = WithoutPortName(Utf8FromWide(Property(set, device, SPDRP_FRIENDLYNAME)), name);
        port.manufacturer = Utf8FromWide(Property(set, device, SPDRP_MFG));
        const std::string instance = InstanceId(device.DevInst);
        const std::string hardwareId = Utf8FromWide(Property(set, device, SPDRP_HARDWAREID));
        UsbDetails(hardwareId, instance, port);
        port.driver = Utf8FromWide(Property(set, device, SPDRP_SERVICE));
        port.revision = RevisionOf(hardwareId);
        if (DEVINST usbDevice = 0; port.usb && UsbDeviceOf(device.DevInst, usbDevice)) {
            port.adapter = InstanceId(usbDevice);
            port.location = LocationOf(usbDevice);
        }
        if (port.usb) {
            port.interfaceName = Utf8FromWide(BusReportedDescription(set, device));
        } else {
            // A UART of the machine or of a card in it, as opposed to a
            // virtual port that a program made.
            port.builtIn = instance.starts_with("ACPI\\") || instance.starts_with("PCI\\") ||
                           instance.starts_with("PNP") || instance.starts_with("*PNP");
        }
        ports.push_back(std::move(port));
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

// The present USB devices that look like serial adapters (a known chip, or
// a CDC-ACM interface) but that none of `ports` belongs to. A board with
// its own USB is often a composite device: its CDC-ACM interface is a node
// of its own (USB\VID_2341&PID_8036&MI_00), and that node, not the device
// (whose class is EF or COMPOSITE), says what is wrong with it.
void ListAdaptersWithoutPort(std::vector<PortInfo>& ports) {
    // Returns the set, or INVALID_HANDLE_VALUE upon failure.
    const HDEVINFO set = ::SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    // Returns nonzero while there is a device at `i`.
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const std::string instance = InstanceId(device.DevInst);
        const std::string hardwareId = Utf8FromWide(Property(set, device, SPDRP_HARDWAREID));
        PortInfo adapter;
        UsbDetails(hardwareId, instance, adapter);
        const bool cdcAcm = CdcAcmInterface(Properties(set, device, SPDRP_COMPATIBLEIDS));
        const bool interface = instance.find("&MI_") != std::string::npos;
        // An interface of a composite device counts only as a CDC-ACM one;
        // the device itself only as a known chip.
        if (!adapter.usb || (interface ? !cdcAcm : !KnownSerialChip(adapter.vidPid) && !cdcAcm)) continue;
        // The USB device it belongs to: itself, or an interface's parent.
        DEVINST owner = device.DevInst;
        if (interface && ::CM_Get_Parent(&owner, device.DevInst, 0) != CR_SUCCESS) continue;
        const std::string identity = InstanceId(owner);
        // A port of it, or (a device with two CDC interfaces) the device listed already.
        if (std::any_of(ports.begin(), ports.end(), [&](const PortInfo& port) { return port.adapter == identity; })) {
            continue;
        }
        adapter.interfaceNumber = -1;
        adapter.description = Utf8FromWide(Property(set, device, SPDRP_FRIENDLYNAME));
        if (adapter.description.empty()) adapter.description = Utf8FromWide(Property(set, device, SPDRP_DEVICEDESC));
        adapter.manufacturer = Utf8FromWide(Property(set, device, SPDRP_MFG));
        adapter.adapter = identity;
        adapter.location = LocationOf(owner);
        adapter.revision = RevisionOf(hardwareId);
        adapter.driver = Utf8FromWide(Property(set, device, SPDRP_SERVICE));
        adapter.trouble.problem = ProblemOf(device.DevInst);
        DEVINST child = 0;
        // A vendor's bus driver (FTDIBUS) makes the port a child, whose
        // problem tells more. Returns CR_SUCCESS upon success.
        if (adapter.trouble.problem == 0 && ::CM_Get_Child(&child, device.DevInst, 0) == CR_SUCCESS) {
            adapter.trouble.problem = ProblemOf(child);
        }
        adapter.trouble.driverProvider = Utf8FromWide(KeyedProperty(set, device, DEVPKEY_Device_DriverProvider));
        adapter.trouble.driverVersion = Utf8FromWide(KeyedProperty(set, device, DEVPKEY_Device_DriverVersion));
        ports.push_back(std::move(adapter));
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

// The COM names of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM.
std::vector<std::string> SerialCommNames() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    // Returns ERROR_SUCCESS upon success.
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], data[256] = {};
        DWORD nameSize = 256, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        if (::RegEnumValueW(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        if (type == REG_SZ) names.push_back(Utf8FromWide(data));
    }
    ::RegCloseKey(key);
    return names;
}

}  // namespace

std::string ModemManagerProbing(const std::string&) {
    return {};
}

std::vector<PortInfo> ListPorts() {
    std::vector<PortInfo> ports;
    ListClass(GUID_DEVCLASS_PORTS, ports);
    ListClass(GUID_DEVCLASS_MODEM, ports);
    // Known only by name: neither built in nor, as far as can be told, USB.
    for (const std::string& name : SerialCommNames()) {
        if (FindPort(ports, name) != nullptr) continue;
        PortInfo port;
        port.name = port.device = name;
        ports.push_back(std::move(port));
    }
    NameInterfaces(ports);
    std::sort(ports.begin(), ports.end(), ListedBefore);
    ListAdaptersWithoutPort(ports);
    return ports;
}
