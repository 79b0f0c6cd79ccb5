// What the port layer does alike on every platform.
#include "native.h"
#include "port.h"

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

OpenResult OpenPort(const PortName& port) {
    const std::string device = port.Device();
    PortHandle opened;
    auto settings = std::make_shared<CommStateRecord>();
    OpenResult result;
    static_cast<OpenStatus&>(result) = OpenDevice(device, opened, *settings);
    result.device = device;
    if (result.ok()) {
        result.handle = std::move(opened);
        result.state = std::move(settings);
        result.timeouts = CommTimeouts{};
    }
    return result;  // on failure `opened` closes: the port is not ours to send on
}

WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data, std::chrono::milliseconds limit,
                      const WriteProgress& progress) {
    WriteResult result;
    Departures departures(data.size(), Departures::Clock::now() + limit);
    SendAndDrain(port, data, departures, result, progress);
    return result;
}
