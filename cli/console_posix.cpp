// The command line's surroundings on POSIX systems.
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <clocale>

#include "console.h"
#include "texts.h"

namespace {

constexpr int kWatches = 64;
std::atomic<PortHandle::Native> watched[kWatches];

void OnInterrupt(int signal) {
    // Only async-signal-safe calls here (the texts by the program's language,
    // an atomic, not by the thread's). The ports are let go of here, at
    // once: closed by the end of the process, a line that takes nothing
    // would hold the process for its driver's closing wait.
    for (std::atomic<PortHandle::Native>& port : watched) {
        const PortHandle::Native native = port.exchange(PortHandle::kNone);
        if (native != PortHandle::kNone) AbandonPort(native);
    }
    const std::string_view said = TextsOf(CurrentLanguage()).kInterrupted;
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, said.data(), said.size());
    // End by the same signal, as the shell expects of an interrupted program.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void PrepareConsole() {
    std::setlocale(LC_ALL, "");
    // Past the file size limit a write then fails with EFBIG, which the
    // report and --stream-out say and undo.
    ::signal(SIGXFSZ, SIG_IGN);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

int TerminalColumns() {
    winsize size{};
    // Returns 0 upon success, -1 upon failure (no terminal).
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool RedrawsLines() {
    return IsTerminal(stderr);
}

void HandleInterrupts() {
    static const bool installed = [] {
        for (std::atomic<PortHandle::Native>& slot : watched) slot = PortHandle::kNone;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        ::sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
        return true;
    }();
    (void)installed;
}

int DiscardQueueOnInterrupt(const PortHandle& port) {
    HandleInterrupts();
    for (int slot = 0; slot < kWatches; ++slot) {
        PortHandle::Native none = PortHandle::kNone;
        if (watched[slot].compare_exchange_strong(none, port.native())) return slot;
    }
    return -1;
}

void UnwatchOnInterrupt(int watch) {
    if (watch >= 0) watched[watch] = PortHandle::kNone;
}

void HoldIfInterrupted() {
    // The handler ends the process by the signal before a write it cut
    // short can return.
}
