// The native details of this platform's port layer, and the primitive that
// each platform implements under OpenPort.
#pragma once

#include <span>
#include <string>

#include "departures.h"

#ifdef _WIN32
#include "native_win32.h"
#else
#include "native_posix.h"
#endif

// Opens and configures the device the system knows as `device`, as OpenPort
// describes; on success `opened` holds it and `state` its settings as set.
// The time-outs set are CommTimeouts' own. A port that another program
// holds is refused before any of its settings change. The result names no
// device: OpenPort adds it.
OpenStatus OpenDevice(const std::string& device, PortHandle& opened, CommStateRecord& state);

// Sends `data` and waits until it has left, as WritePort describes, keeping
// the account in `departures` and the outcome in `result`.
void SendAndDrain(const PortHandle& port, std::span<const std::uint8_t> data, Departures& departures,
                  WriteResult& result, const WriteProgress& progress);
