// Sets the clock of an 8250 UART as `setserial DEVICE baud_base N` does, so
// that the driver check can give the guest's second UART a clock too slow
// for 19200 baud: the driver then keeps its old rate, and the program must
// notice that the line did not take the setting.
//
//   set-baud-base DEVICE N
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: set-baud-base DEVICE N\n");
        return 2;
    }
    // Returns the descriptor, or -1 with errno set.
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK);
    serial_struct info{};
    // Both return 0 upon success, -1 upon failure.
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &info) != 0) {
        std::fprintf(stderr, "set-baud-base: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    info.baud_base = std::atoi(argv[2]);
    if (::ioctl(fd, TIOCSSERIAL, &info) != 0) {
        std::fprintf(stderr, "set-baud-base: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    ::close(fd);
    return 0;
}
