// The port layer over the Windows communications API.
#include "port.h"  // first: it includes <windows.h> the way we want it

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Each WriteFile sends at most this much, so that progress can be told.
constexpr DWORD kChunkBytes = 1024;
// The longest single sleep while the output queue drains.
constexpr DWORD kDrainSliceMs = 100;

// The system's text for an error code in UTF-8 (the wide text converted: the
// narrow one is in the code page, cp1250 on a Czech Windows), without its
// closing line break.
std::string SystemReason(DWORD error) {
    wchar_t* text = nullptr;
    // Returns the length of the text, or 0 upon failure.
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string reason;
    if (length != 0) {
        // Both return the byte count of the converted text, or 0 upon failure.
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                                nullptr);
        reason.resize(static_cast<std::size_t>(std::max(bytes, 0)));
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(), bytes, nullptr, nullptr);
    }
    if (text != nullptr) ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason.empty() ? "chyba " + std::to_string(error) : reason;
}

// Errors that mean the device is gone, once its handle was open: an
// unplugged USB adapter answers with one of these.
bool MeansGone(DWORD error) {
    return error == ERROR_DEVICE_REMOVED || error == ERROR_BAD_COMMAND || error == ERROR_ACCESS_DENIED ||
           error == ERROR_OPERATION_ABORTED || error == ERROR_GEN_FAILURE;
}

PortCause OpenCauseOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_UNIT:
        case ERROR_DEV_NOT_EXIST: return PortCause::NoDevice;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return PortCause::InUse;  // no sharing: another program has it
        default: return PortCause::Other;
    }
}

DWORD MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<DWORD>(std::min<long long>(left, MAXDWORD - 1));
}

}  // namespace

bool PortHandle::IsOpen() const {
    return native_ != INVALID_HANDLE_VALUE;
}

void PortHandle::Close() noexcept {
    if (native_ == INVALID_HANDLE_VALUE) return;
    ::CloseHandle(native_);  // also ends the exclusive hold of the no-sharing open
    native_ = INVALID_HANDLE_VALUE;
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

std::string PortPath(int index) {
    const std::string device = PortDevice(index);
    return device.empty() ? device : "\\\\.\\" + device;
}

OpenResult OpenAndConfigure(int index, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts) {
    return OpenDevice(PortDevice(index), port, state, timeouts);
}

OpenResult OpenDevice(const std::string& device, PortHandle& port, CommStateRecord& state, CommTimeouts& timeouts) {
    OpenResult result;
    result.device = device;
    auto fail = [&](PortFailure failure, DWORD error) {
        result.failure = failure;
        result.cause = OpenCauseOf(error);
        result.reason = SystemReason(error);
        return result;
    };
    if (result.device.empty()) return fail(PortFailure::CannotOpen, ERROR_FILE_NOT_FOUND);

    // Read and write, no sharing (a second opener is refused), existing
    // devices only. Returns the handle, or INVALID_HANDLE_VALUE upon failure.
    const std::string path = "\\\\.\\" + device;
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
    const Clock::time_point deadline = Clock::now() + limit;
    std::size_t accepted = 0;
    std::size_t left = 0;       // known to have left the port
    std::size_t confirmed = 0;  // had left before the device last answered
    std::size_t reported = 0;

    auto fail = [&](DWORD error) {
        result.error = SystemReason(error);
        result.cause = MeansGone(error) ? PortCause::Gone : PortCause::Other;
    };
    auto timedOut = [&] {
        result.error = "vypršel časový limit";
        result.cause = PortCause::TimedOut;
    };
    // Asks the port how much is still queued; false once it failed.
    auto check = [&]() -> bool {
        DWORD errors = 0;
        COMSTAT status{};
        // Returns nonzero upon success, 0 upon failure.
        if (!::ClearCommError(handle, &errors, &status)) {
            fail(::GetLastError());
            return false;
        }
        const std::size_t queued = std::min<std::size_t>(status.cbOutQue, accepted);
        confirmed = left;
        left = std::max(left, accepted - queued);
        if (progress && left != reported) {
            reported = left;
            progress(left);
        }
        return true;
    };

    // The port's own write time-out carries out the limit: each chunk may
    // take the time that is left of it.
    COMMTIMEOUTS saved{};
    const bool haveSaved = ::GetCommTimeouts(handle, &saved) != 0;
    while (result.error.empty() && accepted < data.size()) {
        const DWORD wait = MillisecondsLeft(deadline);
        if (wait == 0) {
            timedOut();
            break;
        }
        if (haveSaved) {
            COMMTIMEOUTS bounded = saved;
            bounded.WriteTotalTimeoutMultiplier = 0;
            bounded.WriteTotalTimeoutConstant = wait;
            ::SetCommTimeouts(handle, &bounded);
        }
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(kChunkBytes, data.size() - accepted));
        DWORD written = 0;
        // Returns nonzero upon success, 0 upon failure; `written` holds the count either way.
        const BOOL ok = ::WriteFile(handle, data.data() + accepted, chunk, &written, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
        accepted += written;
        if (!ok) {
            fail(error);
        } else if (written < chunk) {
            timedOut();
        } else {
            check();
        }
    }
    if (haveSaved) ::SetCommTimeouts(handle, &saved);

    // Wait until the output queue is empty, within the same limit; done when
    // the port, asked once more, still says all has left.
    while (result.error.empty()) {
        if (!check() || confirmed == data.size()) break;
        if (left == data.size()) continue;
        const DWORD wait = MillisecondsLeft(deadline);
        if (wait == 0) {
            timedOut();
            break;
        }
        ::Sleep(std::min<DWORD>(wait, kDrainSliceMs));
    }

    if (result.error.empty()) {
        result.written = data.size();
        return result;
    }
    // Nothing of this stream may reach the line later, in front of the next
    // one. Returns nonzero upon success, 0 upon failure (a vanished device).
    ::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
    result.written = result.cause == PortCause::Gone ? confirmed : left;
    return result;
}
