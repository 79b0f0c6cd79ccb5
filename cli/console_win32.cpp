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

PortHandle::Native interruptedPort = PortHandle::kNone;
HANDLE writingThread = nullptr;
UINT savedOutputCodePage = 0;
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
    // The port is not overlapped, so its calls wait behind the pending
    // write: end that write first. Returns nonzero upon success, 0 upon
    // failure (nothing was pending).
    if (writingThread != nullptr) ::CancelSynchronousIo(writingThread);
    if (interruptedPort != PortHandle::kNone) AbandonPort(interruptedPort);
    std::fwrite(text::kInterrupted.data(), 1, text::kInterrupted.size(), stderr);
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
    std::setlocale(LC_ALL, "");
}

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

void DiscardQueueOnInterrupt(const PortHandle& port) {
    interruptedPort = port.native();
    // A real handle of this thread, which does the writing; the pseudo
    // handle of GetCurrentThread would mean the handler's own thread there.
    // Returns nonzero upon success, 0 upon failure.
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &writingThread, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    ::SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

void HoldIfInterrupted() {
    // The handler is ending the process.
    while (interrupted) ::Sleep(INFINITE);
}
