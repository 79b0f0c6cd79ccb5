#include <cstdlib>
#include <string>

#include "port.h"

std::chrono::milliseconds WriteLimit(const CommTimeouts& timeouts, std::size_t bytes) {
    return std::chrono::milliseconds(static_cast<std::int64_t>(timeouts.WriteTotalTimeoutMultiplier) *
                                         static_cast<std::int64_t>(bytes) +
                                     timeouts.WriteTotalTimeoutConstant);
}

PortHandle& PortHandle::operator=(PortHandle&& other) noexcept {
    if (this != &other) {
        Close();
        native_ = other.Release();
    }
    return *this;
}
