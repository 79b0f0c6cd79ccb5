// The line settings every port open must leave, checked from the terminal's side.
#pragma once

#include <gtest/gtest.h>
#include <termios.h>

// 19200 baud in and out, 8 data bits, no parity, one stop bit, no output
// processing, no line editing or echo.
inline testing::AssertionResult Is19200EightNoneOneRaw(const termios& t) {
    if (cfgetospeed(&t) != B19200 || cfgetispeed(&t) != B19200) return testing::AssertionFailure() << "not 19200 baud";
    if ((t.c_cflag & CSIZE) != CS8) return testing::AssertionFailure() << "not 8 data bits";
    if (t.c_cflag & PARENB) return testing::AssertionFailure() << "parity on";
    if (t.c_cflag & CSTOPB) return testing::AssertionFailure() << "two stop bits";
    if (t.c_oflag & OPOST) return testing::AssertionFailure() << "output processing on";
    if (t.c_lflag & (ICANON | ECHO)) return testing::AssertionFailure() << "line editing or echo on";
    return testing::AssertionSuccess();
}
