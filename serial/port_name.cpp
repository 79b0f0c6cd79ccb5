#include "port_name.h"

#include <cstdlib>

PortName PortName::Com(int number) {
    PortName port;
    port.number_ = number;
    return port;
}

PortName PortName::Device(std::string device) {
    PortName port;
    port.device_ = std::move(device);
    return port;
}

PortName PortName::Parse(std::string_view text) {
    if (text.size() == 4 && (text.starts_with("COM") || text.starts_with("com")) && text[3] >= '1' &&
        text[3] <= '0' + kMenuPorts) {
        return Com(text[3] - '0');
    }
    return Device(std::string(text));
}

std::string PortName::Name() const {
    return number_ != 0 ? "COM" + std::to_string(number_) : device_;
}

std::string PortName::Variable() const {
    return IsMenuPort() ? "KTQ51_COM" + std::to_string(number_) : std::string();
}

std::string PortName::Device() const {
    if (number_ == 0) return device_;
    if (!IsMenuPort()) return {};
    const char* mapped = std::getenv(Variable().c_str());
    if (mapped != nullptr && *mapped != '\0') return mapped;
    return DefaultComDevice(number_);
}
