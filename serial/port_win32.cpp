// The port layer over the Windows communications API.
#include "port.h"  // first: it includes <windows.h> the way we want it

#include <cstdlib>
#include <string>

namespace {

// The system's text for an error code, without its closing line break.
std::string SystemReason(DWORD error) {
    char* text = nullptr;
    // Returns the length of the text, or 0 upon failure.
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string reason = length != 0 ? std::string(text, length) : "chyba " + std::to_string(error);
    if (text != nullptr) ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason;
}

}  // namespace

bool PortHandle::IsOpen() const {
    return native_ != INVALID_HANDLE_VALUE;
}

void PortHandle::Close() noexcept {
    if (native_ == INVALID_HANDLE_VALUE) return;
    ::CloseHandle(native_);
    native_ = INVALID_HANDLE_VALUE;
}

NativeHandle PortHandle::Release() noexcept {
    const HANDLE handle = native_;
    native_ = INVALID_HANDLE_VALUE;
    return handle;
}

std::string PortDevice(int index) {
    if (index < 0 || index >= kPortCount) return {};
    // USB adapters often come up as COM7 or higher: KTQ51_COMn names the
    // port that the menu's COMn means.
    const std::string variable = "KTQ51_COM" + std::to_string(index + 1);
    const char* mapped = std::getenv(variable.c_str());
    if (mapped != nullptr && *mapped != '\0') return mapped;
    return "COM" + std::to_string(index + 1);
}

OpenResult OpenAndConfigure(int index, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts) {
    OpenResult result;
    result.device = PortDevice(index);
    auto fail = [&](PortFailure failure, DWORD error) {
        result.failure = failure;
        result.reason = SystemReason(error);
        return result;
    };
    if (result.device.empty()) return fail(PortFailure::CannotOpen, ERROR_FILE_NOT_FOUND);

    // Read and write, no sharing (a second opener is refused), existing
    // devices only. Returns the handle, or INVALID_HANDLE_VALUE upon failure.
    const std::string path = "\\\\.\\" + result.device;
    PortHandle opened(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
    if (!opened.IsOpen()) return fail(PortFailure::CannotOpen, ::GetLastError());

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    // Returns nonzero upon success, 0 upon failure.
    if (!::GetCommState(opened.Native(), &dcb)) return fail(PortFailure::LineError, ::GetLastError());
    // Only the line format changes; every flow-control field stays as read.
    dcb.BaudRate = kBaudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    // Returns nonzero upon success, 0 upon failure.
    if (!::SetCommState(opened.Native(), &dcb)) return fail(PortFailure::LineError, ::GetLastError());

    COMMTIMEOUTS t{};
    // Both return nonzero upon success, 0 upon failure.
    if (!::GetCommTimeouts(opened.Native(), &t)) return fail(PortFailure::LineError, ::GetLastError());
    const CommTimeouts wanted;
    t.ReadTotalTimeoutMultiplier = wanted.ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = wanted.ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = wanted.WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = wanted.WriteTotalTimeoutConstant;
    if (!::SetCommTimeouts(opened.Native(), &t)) return fail(PortFailure::LineError, ::GetLastError());

    state = dcb;
    timeouts = wanted;
    port = std::move(opened);
    return result;
}

WriteResult WritePort(const PortHandle& port, std::span<const std::uint8_t> data,
                      std::chrono::milliseconds limit, const std::function<void(std::size_t)>& progress) {
    WriteResult result;
    const HANDLE handle = port.Native();

    // The port's own write time-out carries out the limit: for this one call
    // it is the whole limit, whatever the size.
    COMMTIMEOUTS saved{};
    const bool haveSaved = ::GetCommTimeouts(handle, &saved) != 0;
    if (haveSaved) {
        COMMTIMEOUTS bounded = saved;
        bounded.WriteTotalTimeoutMultiplier = 0;
        bounded.WriteTotalTimeoutConstant = static_cast<DWORD>(limit.count());
        ::SetCommTimeouts(handle, &bounded);
    }

    // One synchronous write; the count it reports decides success.
    // Returns nonzero upon success, 0 upon failure; `written` holds the count either way.
    DWORD written = 0;
    const BOOL ok = ::WriteFile(handle, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (haveSaved) ::SetCommTimeouts(handle, &saved);

    result.written = written;
    if (progress) progress(result.written);
    if (!ok) {
        result.error = SystemReason(error);
    } else if (result.written < data.size()) {
        result.error = "vypršel časový limit";
    }
    return result;
}
