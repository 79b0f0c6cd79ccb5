// The command line's surroundings on Windows.
#include "native.h"  // first: it includes <windows.h> the way we want it

#include <io.h>
#include <shellapi.h>

#include <clocale>

#include "console.h"
#include "texts.h"

namespace {

HANDLE interruptedPort = INVALID_HANDLE_VALUE;
int interruptStatus = 1;

BOOL WINAPI OnInterrupt(DWORD) {
    if (interruptedPort != INVALID_HANDLE_VALUE) ::PurgeComm(interruptedPort, PURGE_TXABORT | PURGE_TXCLEAR);
    std::fwrite(text::kInterrupted.data(), 1, text::kInterrupted.size(), stderr);
    ::ExitProcess(static_cast<UINT>(interruptStatus));
}

std::string Utf8(const wchar_t* text) {
    // Returns the byte count including the terminating zero, or 0 upon failure.
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string result(static_cast<std::size_t>(bytes - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), bytes, nullptr, nullptr);
    return result;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    // Returns the argument array (freed with LocalFree), or NULL upon failure.
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Utf8(wide[i]));
    if (wide != nullptr) ::LocalFree(wide);
    return arguments;
}

void PrepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
    std::setlocale(LC_ALL, "");
}

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

void DiscardQueueOnInterrupt(const PortHandle& port, int status) {
    interruptedPort = Win32Handle(port);
    interruptStatus = status;
    ::SetConsoleCtrlHandler(OnInterrupt, TRUE);
}
