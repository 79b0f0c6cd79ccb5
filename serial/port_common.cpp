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
        TakeFrom(other);
    }
    return *this;
}

void PortHandle::TakeFrom(PortHandle& other) noexcept {
    native_ = other.native_;
    exclusive_ = other.exclusive_;
    other.native_ = kNone;
    other.exclusive_ = false;
}
