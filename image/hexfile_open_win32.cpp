// Opening a HEX file on Windows, by its wide-character name, so that a path
// outside the system code page opens too.
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>

#include "hexfile_open.h"

std::FILE* OpenHexFile(const std::filesystem::path& path, HexStatus& status, std::string& reason) {
    status = HexStatus::OpenFailed;
    // Returns the stream, or NULL with errno set.
    std::FILE* file = ::_wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return nullptr;
    }
    struct _stat64 info {};
    // Returns 0 upon success, -1 upon failure.
    if (::_fstat64(::_fileno(file), &info) != 0) {
        reason = std::strerror(errno);
    } else if ((info.st_mode & _S_IFMT) != _S_IFREG) {
        status = HexStatus::NotARegularFile;
    } else if (static_cast<std::uintmax_t>(info.st_size) > kMaxHexFileBytes) {
        status = HexStatus::TooLarge;
    } else {
        return file;
    }
    std::fclose(file);
    return nullptr;
}
