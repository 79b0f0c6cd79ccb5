// The command line's surroundings on POSIX systems.
#include <signal.h>
#include <unistd.h>

#include <clocale>

#include "console.h"
#include "texts.h"

namespace {

PortHandle::Native interruptedPort = PortHandle::kNone;

void OnInterrupt(int signal) {
    // Only async-signal-safe calls here. The port is let go of here, at
    // once: closed by the end of the process, a line that takes nothing
    // would hold the process for its driver's closing wait.
    if (interruptedPort != PortHandle::kNone) AbandonPort(interruptedPort);
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text::kInterrupted.data(), text::kInterrupted.size());
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
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

void DiscardQueueOnInterrupt(const PortHandle& port) {
    interruptedPort = port.native();
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

void HoldIfInterrupted() {
    // The handler ends the process by the signal before a write it cut
    // short can return.
}
