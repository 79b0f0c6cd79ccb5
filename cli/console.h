// What the command line needs from the system around it: one
// implementation per platform.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "port.h"

// The arguments in UTF-8 (on Windows read as wide characters, so that any
// file name arrives whole), without the program's name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console show UTF-8 and the system's texts speak the user's
// language. A file that grows past the process's limit (ulimit -f) is a
// write that fails, not the end of the program. On Windows the console's own code page comes back however the
// process ends, so that a batch file that called us reads on as before.
void PrepareConsole();

bool IsTerminal(std::FILE* stream);

// Whether standard error is a terminal that moves the cursor up and clears
// lines (ANSI sequences; on Windows once the console was asked to), so that
// several lines can be redrawn in place.
bool RedrawsLines();

// How many characters a line of standard error's terminal holds now; 0
// where it is no terminal or cannot tell.
int TerminalColumns();

// From now until the process ends, an interrupt (Ctrl+C, and on POSIX
// SIGTERM and SIGHUP) says "Přerušeno.", stops every transfer at once and
// discards what is still queued on each port watched, so that no stray tail
// of the stream reaches a board later; then the process ends as an
// interrupt ends a program (by the signal on POSIX, with
// STATUS_CONTROL_C_EXIT on Windows), so that a shell loop over several
// boards stops too. Also where the interrupt was ignored when the program
// started (a background job of a script).
void HandleInterrupts();

// Watches `port` for the interrupt, from the thread that writes to it,
// until UnwatchOnInterrupt is given what this returned; at most 64 at once.
int DiscardQueueOnInterrupt(const PortHandle& port);
void UnwatchOnInterrupt(int watch);

// Called by the writer once its write has returned: after an interrupt it
// never returns, so that a write that the interrupt cut short is not taken
// for a failed transfer (on Windows the interrupt ends the process from a
// thread of its own, and the cancelled write returns meanwhile).
void HoldIfInterrupted();
