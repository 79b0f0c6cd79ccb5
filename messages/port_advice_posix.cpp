// What to do about a port error, on Linux.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "messages.h"

namespace {

// The serial devices a user is likely to mean: USB adapters by their stable
// names first, then by their kernel names.
std::string SerialDevicesHere() {
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
    std::string list;
    for (const auto* names : {&byId, &kernel}) {
        for (const std::string& name : *names) list += (list.empty() ? "" : ", ") + name;
    }
    return list.empty() ? "žádné" : list;
}

std::string UserName() {
    const char* user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? user : "$USER";
}

}  // namespace

std::string PlatformPortAdvice(PortCause cause, const PortName& port) {
    const std::string variable = port.IsMenuPort() ? port.Variable() : PortName::Com(1).Variable();
    switch (cause) {
        case PortCause::NoPermission:
            return "Sériové porty smí otevřít skupina dialout: přidejte se do ní příkazem „sudo usermod -aG "
                   "dialout " +
                   UserName() + "“ a přihlaste se znovu.";
        case PortCause::NoDevice:
            return "Sériová zařízení tohoto počítače: " + SerialDevicesHere() + ". Port vyberete proměnnou " +
                   variable + ", např. " + variable + "=/dev/ttyUSB0.";
        default:
            break;
    }
    return {};
}
