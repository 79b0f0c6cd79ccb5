// The termios settings of the line: what the port layer sets, and the check
// that they took. POSIX lets tcsetattr report success when only some of the
// changes were made, so every field set here is read back and compared.
#pragma once

#include <termios.h>

#include <string_view>

// 19200 baud in and out, 8 data bits, no parity, one stop bit, receiver on,
// modem lines ignored, raw: every byte reaches the line unchanged and
// arrives unchanged. The flow-control bits (CRTSCTS, IXON, IXOFF, IXANY)
// are not touched.
inline void SetLineSettings(termios& t) {
    ::cfsetispeed(&t, B19200);
    ::cfsetospeed(&t, B19200);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

// The first setting that `t` does not have as SetLineSettings sets it, by
// its termios name ("speed" for the baud rate); empty when all took.
inline std::string_view MismatchedLineSetting(const termios& t) {
    if (::cfgetospeed(&t) != B19200 || ::cfgetispeed(&t) != B19200) return "speed";
    if ((t.c_cflag & CSIZE) != CS8) return "CSIZE";
    if (t.c_cflag & PARENB) return "PARENB";
    if (t.c_cflag & CSTOPB) return "CSTOPB";
    if (!(t.c_cflag & CLOCAL)) return "CLOCAL";
    if (!(t.c_cflag & CREAD)) return "CREAD";
    if (t.c_oflag & OPOST) return "OPOST";
    if (t.c_lflag & ICANON) return "ICANON";
    if (t.c_lflag & ECHO) return "ECHO";
    if (t.c_lflag & ISIG) return "ISIG";
    return {};
}
