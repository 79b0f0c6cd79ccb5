#include "port_name.h"

#include <cctype>
#include <cstdlib>

bool EqualsInAnyCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return true;
}

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
    if (text.size() == 4 && EqualsInAnyCase(text.substr(0, 3), "COM") && text[3] >= '1' &&
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

PortArgument ParsePortArgument(std::string_view text) {
    if (EqualsInAnyCase(text, "auto")) return PortArgument{true, {}};
    return PortArgument{false, PortName::Parse(text)};
}
