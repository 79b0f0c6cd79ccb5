// The port layer over the Windows communications API.
#include "native.h"  // first: it includes <windows.h> the way we want it

#include <algorithm>
#include <string>

#include "departures.h"
#include "system_text_win32.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each WriteFile sends at most this much, so that progress can be told.
constexpr DWORD kChunkBytes = 1024;
// The longest single sleep while the output queue drains.
constexpr std::chrono::milliseconds kDrainSlice{100};

// Errors that mean the device is gone, once its handle was open: an
// unplugged USB adapter answers with one of these, whichever its driver.
// Only the advice depends on this: the caller lets go of the handle after
// any failure but a time-out.
bool MeansGone(DWORD error) {
    switch (error) {
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_BAD_COMMAND:
        case ERROR_ACCESS_DENIED:
        case ERROR_OPERATION_ABORTED:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
        case ERROR_INVALID_HANDLE: return true;
        default: return false;
    }
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

// Ends `result` with the system's error. Some USB serial drivers fail a
// write that the line does not take in time with ERROR_SEM_TIMEOUT: that is
// a time-out, with its advice, and the port stays usable.
void Fail(WriteResult& result, DWORD error) {
    if (error == ERROR_SEM_TIMEOUT) {
        result.cause = PortCause::TimedOut;
        return;
    }
    result.cause = MeansGone(error) ? PortCause::Gone : PortCause::Other;
    result.reason = SystemText(error);
}

// Asks the port how much it still queues and tells `departures`, and
// `progress` when the count that has left changed. False once it failed.
bool AskQueued(HANDLE handle, Departures& departures, WriteResult& result, const WriteProgress& progress) {
    DWORD errors = 0;
    COMSTAT status{};
    // Returns nonzero upon success, 0 upon failure.
    if (!::ClearCommError(handle, &errors, &status)) {
        Fail(result, ::GetLastError());
        return false;
    }
    if (departures.Queued(status.cbOutQue) && progress) progress(departures.Left());
    return true;
}

// Sends the data a chunk at a time; the port's own write time-out carries
// out the limit: each chunk may take the time that is left of it.
void SendChunks(HANDLE handle, std::span<const std::uint8_t> data, Departures& departures, WriteResult& result,
                const WriteProgress& progress) {
    // A line error left pending (by fAbortOnError, say, from an earlier
    // program) would fail the first WriteFile: clear it. A port that cannot
    // even say that is gone before anything was sent.
    if (!AskQueued(handle, departures, result, progress)) return;
    COMMTIMEOUTS saved{};
    // Returns nonzero upon success, 0 upon failure.
    const bool haveSaved = ::GetCommTimeouts(handle, &saved) != 0;
    while (result.ok() && !departures.AllTaken()) {
        const auto wait = departures.TimeLeft(Clock::now(), std::chrono::milliseconds(MAXDWORD - 1));
        if (wait.count() == 0) {
            result.cause = PortCause::TimedOut;
            break;
        }
        if (haveSaved) {
            COMMTIMEOUTS bounded = saved;
            bounded.WriteTotalTimeoutMultiplier = 0;
            bounded.WriteTotalTimeoutConstant = static_cast<DWORD>(wait.count());
            ::SetCommTimeouts(handle, &bounded);
        }
        const std::size_t from = departures.Accepted();
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(kChunkBytes, data.size() - from));
        DWORD written = 0;
        // Returns nonzero upon success, 0 upon failure; `written` holds the count either way.
        const BOOL ok = ::WriteFile(handle, data.data() + from, chunk, &written, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
        departures.Took(written);
        if (!ok) {
            Fail(result, error);
        } else if (written < chunk) {
            result.cause = PortCause::TimedOut;
        } else {
            AskQueued(handle, departures, result, progress);
        }
    }
    if (haveSaved) ::SetCommTimeouts(handle, &saved);
}

}  // namespace

void AbandonPort(PortHandle::Native native) noexcept {
    // Returns nonzero upon success, 0 upon failure.
    ::PurgeComm(reinterpret_cast<HANDLE>(native), PURGE_TXABORT | PURGE_TXCLEAR);
}

void PortHandle::Close() noexcept {
    if (native_ == kNone) return;
    ::CloseHandle(Win32Handle(*this));  // also ends the exclusive hold of the no-sharing open
    native_ = kNone;
}

bool PortGone(const PortHandle& port) {
    DWORD errors = 0;
    COMSTAT status{};
    // Returns nonzero upon success, 0 upon failure. It also clears a pending
    // line error, which the next write would otherwise fail on.
    return !::ClearCommError(Win32Handle(port), &errors, &status);
}

std::string DefaultComDevice(int number) {
    return "COM" + std::to_string(number);
}

std::string SystemPath(const std::string& device) {
    // \\.\COM12 or \\?\...: already the system's name.
    if (device.empty() || device.starts_with("\\\\.\\") || device.starts_with("\\\\?\\")) return device;
    return "\\\\.\\" + device;
}

namespace {

// COM7 for \\.\COM7: the name without the prefix that opens it.
std::string_view DeviceName(std::string_view device) {
    if (device.starts_with("\\\\.\\")) device.remove_prefix(4);
    return device;
}

}  // namespace

std::string OtherHolder(const std::string&) {
    return {};
}

bool SameDevice(const std::string& a, const std::string& b) {
    const std::string_view x = DeviceName(a);
    return !x.empty() && EqualsInAnyCase(x, DeviceName(b));
}

bool DeviceExists(const std::string& device) {
    const std::string name(DeviceName(device));
    if (name.empty()) return false;
    char target[1024];
    // Returns the length of the targets written, or 0 upon failure: no such
    // device name, or targets longer than the buffer (the name exists then).
    return ::QueryDosDeviceA(name.c_str(), target, sizeof target) != 0 ||
           ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

OpenStatus OpenDevice(const std::string& device, PortHandle& opened, CommStateRecord& state) {
    auto fail = [](PortFailure failure, DWORD error) {
        return OpenStatus{failure, OpenCauseOf(error), {}, SystemText(error), {}};
    };
    if (device.empty()) return fail(PortFailure::CannotOpen, ERROR_FILE_NOT_FOUND);

    // Read and write, no sharing (a second opener is refused), existing
    // devices only. Returns the handle, or INVALID_HANDLE_VALUE upon failure.
    const HANDLE created = ::CreateFileA(SystemPath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    opened = PortHandle(reinterpret_cast<PortHandle::Native>(created));
    if (!opened.IsOpen()) return fail(PortFailure::CannotOpen, ::GetLastError());
    const HANDLE h = Win32Handle(opened);

    state.DCBlength = sizeof(DCB);
    // Returns nonzero upon success, 0 upon failure.
    if (!::GetCommState(h, &state)) return fail(PortFailure::LineError, ::GetLastError());
    // Only the line format changes; every flow-control field stays as read.
    state.BaudRate = kBaudRate;
    state.ByteSize = 8;
    state.Parity = NOPARITY;
    state.StopBits = ONESTOPBIT;
    // Returns nonzero upon success, 0 upon failure.
    if (!::SetCommState(h, &state)) return fail(PortFailure::LineError, ::GetLastError());

    COMMTIMEOUTS t{};
    // Both return nonzero upon success, 0 upon failure.
    if (!::GetCommTimeouts(h, &t)) return fail(PortFailure::LineError, ::GetLastError());
    const CommTimeouts wanted;
    t.ReadTotalTimeoutMultiplier = wanted.ReadTotalTimeoutMultiplier;
    t.ReadTotalTimeoutConstant = wanted.ReadTotalTimeoutConstant;
    t.WriteTotalTimeoutMultiplier = wanted.WriteTotalTimeoutMultiplier;
    t.WriteTotalTimeoutConstant = wanted.WriteTotalTimeoutConstant;
    if (!::SetCommTimeouts(h, &t)) return fail(PortFailure::LineError, ::GetLastError());
    return {};
}

void SendAndDrain(const PortHandle& port, std::span<const std::uint8_t> data, Departures& departures,
                  WriteResult& result, const WriteProgress& progress) {
    const HANDLE handle = Win32Handle(port);
    SendChunks(handle, data, departures, result, progress);

    // Discarding returns nonzero upon success, 0 upon failure (a vanished device).
    FinishWrite(
        departures, result, kDrainSlice, [&] { return AskQueued(handle, departures, result, progress); },
        [](std::chrono::milliseconds wait, std::size_t) { ::Sleep(static_cast<DWORD>(wait.count())); },
        [&] { ::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR); });
}
