// Opening a HEX file on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "hexfile_open.h"

std::FILE* OpenHexFile(const std::filesystem::path& path, HexStatus& status, std::string& reason) {
    status = HexStatus::OpenFailed;
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    // Returns the descriptor, or -1 with errno set.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    // Returns 0 upon success, -1 upon failure.
    if (::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        status = HexStatus::NotARegularFile;
    } else if (static_cast<std::uintmax_t>(info.st_size) > kMaxHexFileBytes) {
        status = HexStatus::TooLarge;
    } else {
        // A regular file: reading it never waits, but leave it in the usual mode.
        // Both return -1 upon failure.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        // Returns the stream, or NULL with errno set.
        if (std::FILE* file = ::fdopen(fd, "rb")) return file;
        reason = std::strerror(errno);
    }
    ::close(fd);
    return nullptr;
}
