// The command line's surroundings on Windows.
#include <io.h>
#include <windows.h>  // before shellapi.h, which builds on it

#include <shellapi.h>

#include <atomic>
#include <clocale>
#include <cstdlib>

#include "console.h"
#include "system_text_win32.h"
#include "texts.h"

namespace {

// A port watched, with the thread that writes to it.
struct Watch {
    std::atomic<PortHandle::Native> port{PortHandle::kNone};
    std::atomic<HANDLE> writer{nullptr};
};
constexpr int kWatches = 64;
Watch watched[kWatches];
UINT savedOutputCodePage = 0;
bool redrawsLines = false;
std::atomic<bool> interrupted{false};

void RestoreConsole() {
    // Returns nonzero upon success, 0 upon failure.
    if (savedOutputCodePage != 0) ::SetConsoleOutputCP(savedOutputCodePage);
}

// Runs on a thread of its own, while the main thread may wait in WriteFile
// on a stalled line for up to the write limit.
BOOL WINAPI OnInterrupt(DWORD) {
    // First, so that the writer, woken by the cancelled write, says nothing.
    interrupted = true;
    // The ports are not overlapped, so their calls wait behind a pending
    // write: end that write first. Returns nonzero upon success, 0 upon
    // failure (nothing was pending).
    for (Watch& watch : watched) {
        const PortHandle::Native port = watch.port.exchange(PortHandle::kNone);
        if (port == PortHandle::kNone) continue;
        if (const HANDLE writer = watch.writer.load(); writer != nullptr) ::CancelSynchronousIo(writer);
        AbandonPort(port);
    }
    const std::string_view said = TextsOf(CurrentLanguage()).kInterrupted;
    std::fwrite(said.data(), 1, said.size(), stderr);
    std::fflush(stderr);
    RestoreConsole();
    // As a console program ended by Ctrl+C ends.
    ::ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    // Returns the argument array (freed with LocalFree), or NULL upon failure.
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    if (wide != nullptr) ::LocalFree(wide);
    return arguments;
}

void PrepareConsole() {
    // Returns the code page, or 0 where there is no console.
    savedOutputCodePage = ::GetConsoleOutputCP();
    if (savedOutputCodePage != 0) {
        ::SetConsoleOutputCP(CP_UTF8);
        std::atexit(RestoreConsole);
    }
    // Lines of several boards are redrawn in place with ANSI sequences,
    // which a Windows 10 console takes when asked to. Each returns nonzero
    // upon success, 0 upon failure (no console, or an older one).
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    redrawsLines = IsTerminal(stderr) && ::GetConsoleMode(error, &mode) &&
                   ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    std::setlocale(LC_ALL, "");
}

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    // Returns nonzero upon success, 0 upon failure (no console).
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool RedrawsLines() {
    return redrawsLines;
}

void HandleInterrupts() {
    static const bool installed = ::SetConsoleCtrlHandler(OnInterrupt, TRUE) != 0;
    (void)installed;
}

int DiscardQueueOnInterrupt(const PortHandle& port) {
    HandleInterrupts();
    for (int slot = 0; slot < kWatches; ++slot) {
        PortHandle::Native none = PortHandle::kNone;
        if (!watched[slot].port.compare_exchange_strong(none, port.native())) continue;
        // A real handle of this thread, which does the writing; the pseudo
        // handle of GetCurrentThread would mean the handler's own thread
        // there. Returns nonzero upon success, 0 upon failure.
        HANDLE writer = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &writer, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        watched[slot].writer = writer;
        return slot;
    }
    return -1;
}

void UnwatchOnInterrupt(int watch) {
    if (watch < 0) return;
    watched[watch].port = PortHandle::kNone;
    if (const HANDLE writer = watched[watch].writer.exchange(nullptr); writer != nullptr) ::CloseHandle(writer);
}

void HoldIfInterrupted() {
    // The handler is ending the process.
    while (interrupted) ::Sleep(INFINITE);
}
