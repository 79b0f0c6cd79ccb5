// Opening a HEX file on Windows, by its wide-character name, so that a path
// outside the system code page opens too, and one longer than 260
// characters where the system allows them (the program is long-path aware).
// Why a file cannot be opened is said in the system's own words.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "hexfile_open.h"
#include "system_text_win32.h"

std::FILE* OpenHexFile(const std::filesystem::path& path, HexStatus& status, std::string& reason) {
    status = HexStatus::OpenFailed;
    // Returns the attributes, or INVALID_FILE_ATTRIBUTES upon failure.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        status = HexStatus::NotARegularFile;
        return nullptr;
    }
    // Returns the handle, or INVALID_HANDLE_VALUE upon failure.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = SystemText(::GetLastError());
        return nullptr;
    }
    LARGE_INTEGER size{};
    // A pipe, a console or a device: only a file on a disk is read.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        status = HexStatus::NotARegularFile;
    } else if (!::GetFileSizeEx(handle, &size)) {  // returns nonzero upon success
        reason = SystemText(::GetLastError());
    } else if (static_cast<std::uintmax_t>(size.QuadPart) > kMaxHexFileBytes) {
        status = HexStatus::TooLarge;
    } else {
        // The descriptor takes over the handle. Returns it, or -1 upon failure.
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
        if (fd >= 0) {
            // Returns the stream, or NULL upon failure.
            if (std::FILE* file = ::_fdopen(fd, "rb")) return file;
            reason = std::strerror(errno);
            ::_close(fd);
            return nullptr;
        }
        reason = std::strerror(errno);
    }
    ::CloseHandle(handle);
    return nullptr;
}
