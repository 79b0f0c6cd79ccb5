#include "port_connection.h"

#include <utility>

PortConnection::PortConnection(PortName port, std::optional<PortInfo> chosenBy)
    : port_(std::move(port)), chosenBy_(std::move(chosenBy)) {}

void PortConnection::Take(OpenResult& opened) {
    handle_ = std::move(opened.handle);
    state_ = std::move(opened.state);
    timeouts_ = opened.timeouts;
}

OpenResult PortConnection::Open(const PortName& port, std::optional<PortInfo> chosenBy) {
    handle_.Close();
    port_ = port;
    chosenBy_ = std::move(chosenBy);
    return EnsureOpen();
}

OpenResult PortConnection::SwitchTo(const PortName& port, std::optional<PortInfo> chosenBy) {
    const std::string device = port.Device();
    if (handle_.IsOpen() && SameDevice(device, port_.Device())) {
        port_ = port;
        chosenBy_ = std::move(chosenBy);
        OpenResult same;
        same.device = device;
        return same;
    }
    OpenResult opened = OpenPort(port);
    if (opened.ok()) {
        Take(opened);  // the old handle closes here, once the new one is open
        port_ = port;
        chosenBy_ = std::move(chosenBy);
    }
    return opened;
}

OpenResult PortConnection::EnsureOpen() {
    if (handle_.IsOpen()) {
        // Open since an earlier command: a program that has opened the port
        // meanwhile (root passes the exclusive mode) is found now, before
        // anything is sent.
        OpenResult open;
        open.device = port_.Device();
        open.holder = OtherHolder(open.device);
        if (!open.holder.empty()) {
            open.failure = PortFailure::CannotOpen;
            open.cause = PortCause::InUse;
        }
        return open;
    }
    OpenResult opened = OpenPort(port_);
    if (opened.ok()) Take(opened);
    return opened;
}

bool PortConnection::LetGoIfGone() {
    if (!handle_.IsOpen() || !PortGone(handle_)) return false;
    handle_.Close();
    return true;
}

WriteResult PortConnection::Send(std::span<const std::uint8_t> data, std::chrono::milliseconds limit,
                                 const WriteProgress& progress) {
    WriteResult result = WritePort(handle_, data, limit, progress);
    if (!result.ok() && result.cause != PortCause::TimedOut) handle_.Close();
    return result;
}
