// The port layer's native details on Windows: the line settings are a DCB,
// the handle a HANDLE. For the layer itself and for code that must reach the
// handle (the command line's interrupt handler, tests).
#pragma once

#include <windows.h>  // with NOMINMAX and WIN32_LEAN_AND_MEAN, as the build defines them

#include "port.h"

struct CommStateRecord : DCB {};

inline HANDLE Win32Handle(const PortHandle& port) {
    return reinterpret_cast<HANDLE>(port.native());
}
