// The port layer's native details on POSIX systems: the line settings are a
// termios, the handle a file descriptor. For the layer itself and for code
// that must reach the descriptor (the command line's interrupt handler, tests).
#pragma once

#include <termios.h>

#include "port.h"

struct CommStateRecord : termios {};

inline int Descriptor(const PortHandle& port) {
    return static_cast<int>(port.native());
}

// Closes a tty descriptor at once, what its driver still queues discarded,
// even on a line that takes nothing, where the kernel would otherwise wait
// up to 30 s. Safe in a signal handler.
void CloseTtyNow(int fd);
