#include <windows.h>

#include "append_file.h"
#include "system_text_win32.h"

struct AppendFile::Native {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~Native() {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};

AppendFile::AppendFile() = default;
AppendFile::AppendFile(AppendFile&&) noexcept = default;
AppendFile& AppendFile::operator=(AppendFile&&) noexcept = default;
AppendFile::~AppendFile() = default;

AppendFile AppendFile::Open(const std::filesystem::path& path, std::string& error) {
    AppendFile file;
    // Others may read it meanwhile, not write it. Returns the handle, or
    // INVALID_HANDLE_VALUE upon failure (a program that holds the file, such
    // as a spreadsheet that has it open: ERROR_SHARING_VIOLATION).
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = SystemText(::GetLastError());
        return file;
    }
    file.native_ = std::make_unique<Native>();
    file.native_->handle = handle;
    return file;
}

bool AppendFile::IsOpen() const {
    return native_ != nullptr;
}

std::uintmax_t AppendFile::Size() const {
    LARGE_INTEGER size{};
    // Returns nonzero upon success, 0 upon failure.
    return IsOpen() && ::GetFileSizeEx(native_->handle, &size) ? static_cast<std::uintmax_t>(size.QuadPart) : 0;
}

namespace {

// Reads up to `bytes` at `offset` into `into`; the count read.
DWORD ReadAt(HANDLE handle, std::uintmax_t offset, char* into, DWORD bytes) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    // Returns nonzero upon success, 0 upon failure (ERROR_HANDLE_EOF at the end).
    return ::ReadFile(handle, into, bytes, &read, &at) ? read : 0;
}

bool MoveTo(HANDLE handle, std::uintmax_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    // Returns nonzero upon success, 0 upon failure.
    return ::SetFilePointerEx(handle, to, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

std::string AppendFile::Head(std::size_t bytes) const {
    std::string head(bytes, '\0');
    head.resize(IsOpen() ? ReadAt(native_->handle, 0, head.data(), static_cast<DWORD>(bytes)) : 0);
    return head;
}

char AppendFile::Last() const {
    const std::uintmax_t size = Size();
    char last = '\0';
    return size > 0 && ReadAt(native_->handle, size - 1, &last, 1) == 1 ? last : '\0';
}

bool AppendFile::Append(std::string_view block, std::string& error) {
    if (!IsOpen()) {
        error = SystemText(ERROR_INVALID_HANDLE);
        return false;
    }
    const std::uintmax_t before = Size();
    DWORD written = 0;
    // Both return nonzero upon success, 0 upon failure.
    if (MoveTo(native_->handle, before) &&
        ::WriteFile(native_->handle, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) &&
        written == block.size()) {
        return true;
    }
    const DWORD failure = ::GetLastError();
    error = SystemText(failure != ERROR_SUCCESS ? failure : ERROR_DISK_FULL);
    if (written > 0 && MoveTo(native_->handle, before)) ::SetEndOfFile(native_->handle);
    return false;
}
