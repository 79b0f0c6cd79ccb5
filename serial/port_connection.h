// One port in use: its handle, the port as the user named it, the listed
// port it was chosen by (if any), and its line settings. The window has
// one; the command line has one per board. Any number can live at once,
// each on a thread of its own if it likes: they share nothing.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "port.h"
#include "port_list.h"
#include "port_name.h"

class PortConnection {
public:
    // Names `port` (COM1 unless told otherwise); opens nothing yet.
    explicit PortConnection(PortName port = PortName::Com(1), std::optional<PortInfo> chosenBy = std::nullopt);

    // Gives up the port in use, if one is open, and opens `port`. On failure
    // nothing is open, and `port` is still the one named.
    OpenResult Open(const PortName& port, std::optional<PortInfo> chosenBy = std::nullopt);

    // Opens `port` in place of the port in use: the new one first, so that
    // when it cannot be opened the old one stays in use, open as it was. A
    // port that is the same device as the open one (SameDevice) is taken
    // over as it is, without opening it a second time.
    OpenResult SwitchTo(const PortName& port, std::optional<PortInfo> chosenBy = std::nullopt);

    // Opens the port in use again when it is not open (after a failure or an
    // unplug); when it is, ok unless another program has opened it too.
    OpenResult EnsureOpen();

    // Lets go of the port when its device has gone, as an unplugged adapter
    // does, so that the system frees its name for the adapter plugged in
    // again. True when it did.
    bool LetGoIfGone();

    // Writes `data` within `limit`, as WritePort does. After any failure but
    // a time-out the handle may be useless (a device gone, a driver that
    // refuses it from now on), so it is given up: EnsureOpen opens the port
    // afresh. A line that only timed out stays open.
    WriteResult Send(std::span<const std::uint8_t> data, std::chrono::milliseconds limit,
                     const WriteProgress& progress = {});

    // The longest a write of `bytes` may take, by the time-outs of the line.
    std::chrono::milliseconds WriteLimitFor(std::size_t bytes) const { return WriteLimit(timeouts_, bytes); }

    void Close() { handle_.Close(); }

    bool IsOpen() const { return handle_.IsOpen(); }
    const PortName& Port() const { return port_; }
    const std::optional<PortInfo>& ChosenBy() const { return chosenBy_; }
    const PortHandle& Handle() const { return handle_; }
    // The line settings as the last open set them; null before any open.
    const CommStateRecord* State() const { return state_.get(); }
    // The time-outs of the line: as the last open set them, unless changed.
    CommTimeouts& Timeouts() { return timeouts_; }

private:
    // Takes what a successful open gives.
    void Take(OpenResult& opened);

    PortName port_;
    std::optional<PortInfo> chosenBy_;
    PortHandle handle_;
    std::shared_ptr<const CommStateRecord> state_;
    CommTimeouts timeouts_;
};
