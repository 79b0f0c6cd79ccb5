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
// language.
void PrepareConsole();

bool IsTerminal(std::FILE* stream);

// From now until the process ends, an interrupt (Ctrl+C) discards what is
// still queued on `port` before the process ends with `status`, so that no
// stray tail of the stream reaches the board later.
void DiscardQueueOnInterrupt(const PortHandle& port, int status);
