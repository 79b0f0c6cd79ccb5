// What to do about a port error, on Linux.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "messages.h"

namespace {

// The serial devices a user is likely to mean: USB adapters by their stable
// names first, then by their kernel names.
std::vector<std::string> SerialDevicesHere() {
    namespace fs = std::filesystem;
    std::vector<std::string> byId, kernel;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", error)) {
        byId.push_back(entry.path().string());
    }
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("ttyUSB") || name.starts_with("ttyACM")) kernel.push_back(entry.path().string());
    }
    std::sort(byId.begin(), byId.end());
    std::sort(kernel.begin(), kernel.end());
    byId.insert(byId.end(), kernel.begin(), kernel.end());
    return byId;
}

std::string Listed(const std::vector<std::string>& devices) {
    std::string list;
    for (const std::string& device : devices) list += (list.empty() ? "" : ", ") + device;
    return "Sériová zařízení tohoto počítače: " + (list.empty() ? std::string("žádné") : list) + ".";
}

std::string UserName() {
    const char* user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? user : "$USER";
}

}  // namespace

std::string PlatformPortAdvice(PortCause cause, const PortName& port) {
    switch (cause) {
        case PortCause::NoPermission:
            return "Sériové porty smí otevřít skupina dialout: přidejte se do ní příkazem „sudo usermod -aG "
                   "dialout " +
                   UserName() + "“ a přihlaste se znovu.";
        case PortCause::NoHardware:
            return "Za tímto portem není žádný obvod: počítač ho jen uvádí. " + Listed(SerialDevicesHere());
        case PortCause::NoDevice: {
            const std::vector<std::string> devices = SerialDevicesHere();
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return Listed(devices);
            const std::string variable = port.Variable();
            if (devices.empty()) return Listed(devices) + " Připojte převodník a vyberte ho proměnnou " + variable + ".";
            return Listed(devices) + " Port vyberete proměnnou " + variable + ", např. " + variable + "=" +
                   devices.front() + ".";
        }
        default:
            break;
    }
    return {};
}
