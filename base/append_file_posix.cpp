#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "append_file.h"

struct AppendFile::Native {
    int fd = -1;
    ~Native() {
        if (fd >= 0) ::close(fd);
    }
};

AppendFile::AppendFile() = default;
AppendFile::AppendFile(AppendFile&&) noexcept = default;
AppendFile& AppendFile::operator=(AppendFile&&) noexcept = default;
AppendFile::~AppendFile() = default;

AppendFile AppendFile::Open(const std::filesystem::path& path, std::string& error) {
    AppendFile file;
    // Returns the descriptor, or -1 with errno set.
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return file;
    }
    file.native_ = std::make_unique<Native>();
    file.native_->fd = fd;
    return file;
}

bool AppendFile::IsOpen() const {
    return native_ != nullptr;
}

std::uintmax_t AppendFile::Size() const {
    struct stat status {};
    // Returns 0 upon success, -1 upon failure.
    return IsOpen() && ::fstat(native_->fd, &status) == 0 ? static_cast<std::uintmax_t>(status.st_size) : 0;
}

std::string AppendFile::Head(std::size_t bytes) const {
    std::string head(bytes, '\0');
    // Returns the count read, 0 at the end, or -1 with errno set.
    const ssize_t n = IsOpen() ? ::pread(native_->fd, head.data(), bytes, 0) : -1;
    head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return head;
}

char AppendFile::Last() const {
    const std::uintmax_t size = Size();
    char last = '\0';
    // Returns the count read, 0 at the end, or -1 with errno set.
    if (size == 0 || ::pread(native_->fd, &last, 1, static_cast<off_t>(size - 1)) != 1) return '\0';
    return last;
}

bool AppendFile::Append(std::string_view block, std::string& error) {
    if (!IsOpen()) {
        error = std::strerror(EBADF);
        return false;
    }
    const std::uintmax_t before = Size();
    // One write takes the whole block, unless the disk or the file's limit
    // is reached; the write after a short one says which.
    std::size_t done = 0;
    while (done < block.size()) {
        // Returns the count written (possibly short), or -1 with errno set.
        const ssize_t n = ::write(native_->fd, block.data() + done, block.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        error = std::strerror(n < 0 ? errno : ENOSPC);
        // Returns 0 upon success, -1 upon failure. Only what this write
        // added is taken back.
        if (done > 0 && Size() == before + done) {
            [[maybe_unused]] const int cut = ::ftruncate(native_->fd, static_cast<off_t>(before));
        }
        return false;
    }
    return true;
}
