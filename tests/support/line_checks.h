// The line a far end sees, and the check that it is the board's: 19200
// baud, 8 data bits, no parity, one stop bit. From a terminal's settings on
// POSIX, where every far end of the tests is a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

// The line as the program left it, seen from the far end.
struct LineSettings {
    unsigned baud = 0;
    int dataBits = 0;
    bool parity = false;
    bool twoStopBits = false;
    bool rtsCts = false;   // hardware flow control
    bool xonXoff = false;  // software flow control, both ways
};

inline testing::AssertionResult Is19200EightNoneOne(const LineSettings& line) {
    if (line.baud != 19200) return testing::AssertionFailure() << "not 19200 baud";
    if (line.dataBits != 8) return testing::AssertionFailure() << "not 8 data bits";
    if (line.parity) return testing::AssertionFailure() << "parity on";
    if (line.twoStopBits) return testing::AssertionFailure() << "two stop bits";
    return testing::AssertionSuccess();
}

#ifndef _WIN32
#include <termios.h>

inline LineSettings LineOf(const termios& t) {
    LineSettings line;
    line.baud = ::cfgetospeed(&t) == B19200 ? 19200u : 0u;
    line.dataBits = (t.c_cflag & CSIZE) == CS8 ? 8 : (t.c_cflag & CSIZE) == CS7 ? 7 : 0;
    line.parity = (t.c_cflag & PARENB) != 0;
    line.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    line.rtsCts = (t.c_cflag & CRTSCTS) != 0;
    line.xonXoff = (t.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
    return line;
}
#endif
