// Listing the serial ports on Windows: the present devices of the Ports
// class through SetupAPI, with the name the user knows (PortName, COM7), the
// friendly name Device Manager shows, the maker, and for a USB device its
// vendor and product (from the hardware ID) and serial number (from the
// instance ID). Ports that only the registry's SERIALCOMM map names (some
// virtual ones) are added by name. Nothing is opened.
#include <windows.h>  // before setupapi.h and devguid.h, which build on it

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <regex>

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

// "USB-SERIAL CH340 (COM7)" -> "USB-SERIAL CH340": the menu names the port
// itself.
std::string WithoutPortName(std::string friendly, const std::string& port) {
    const std::string suffix = " (" + port + ")";
    if (friendly.size() > suffix.size() && friendly.ends_with(suffix)) friendly.resize(friendly.size() - suffix.size());
    return friendly;
}

// VID_0403&PID_6001 (USB\...) or VID_0403+PID_6001 (FTDIBUS\...) -> 0403:6001.
void UsbDetails(const std::string& hardwareId, const std::string& instanceId, PortInfo& port) {
    static const std::regex ids(R"(VID_([0-9A-Fa-f]{4})[&+]PID_([0-9A-Fa-f]{4}))");
    std::smatch match;
    if (!std::regex_search(hardwareId, match, ids)) return;
    port.usb = true;
    port.vidPid = match[1].str() + ":" + match[2].str();
    std::transform(port.vidPid.begin(), port.vidPid.end(), port.vidPid.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // USB\VID_0403&PID_6001\A50285BI: the last part is the serial number,
    // unless Windows made one up (it then has an '&').
    if (instanceId.starts_with("USB\\")) {
        const std::string last = instanceId.substr(instanceId.rfind('\\') + 1);
        if (last.find('&') == std::string::npos) port.serial = last;
    } else if (std::smatch serial; std::regex_search(instanceId, serial, std::regex(R"(PID_[0-9A-Fa-f]{4}\+([^\\]+))"))) {
        port.serial = serial[1];  // FTDIBUS\VID_0403+PID_6001+A50285BIA\0000
    }
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

std::vector<PortInfo> ListPorts() {
    std::vector<PortInfo> ports;
    // Returns the set, or INVALID_HANDLE_VALUE upon failure.
    const HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        // Returns nonzero while there is a device at `i`.
        for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
            const std::string name = Utf8FromWide(PortNameOf(set, device));
            if (!name.starts_with("COM")) continue;  // a printer port (LPT) shares the class
            PortInfo port;
            port.name = port.device = name;
            port.description = WithoutPortName(Utf8FromWide(Property(set, device, SPDRP_FRIENDLYNAME)), name);
            port.manufacturer = Utf8FromWide(Property(set, device, SPDRP_MFG));
            wchar_t instance[512] = {};
            ::SetupDiGetDeviceInstanceIdW(set, &device, instance, 511, nullptr);
            UsbDetails(Utf8FromWide(Property(set, device, SPDRP_HARDWAREID)), Utf8FromWide(instance), port);
            ports.push_back(std::move(port));
        }
        ::SetupDiDestroyDeviceInfoList(set);
    }
    for (const std::string& name : SerialCommNames()) {
        if (FindPort(ports, name) != nullptr) continue;
        PortInfo port;
        port.name = port.device = name;
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(), ListedBefore);
    return ports;
}
