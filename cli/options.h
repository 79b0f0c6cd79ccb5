// ktq51-flash's command line: the options, and the rules of which go
// together, so that a line that cannot mean what it says is refused before
// anything is opened.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "port_name.h"
#include "texts.h"

enum class Mode { Program, Erase, Check, StreamOut, List, Help, Version };

struct Options {
    Mode mode = Mode::Program;
    std::vector<PortArgument> ports;  // as given; none: COM1
    bool all = false;                 // --all: every USB adapter
    std::optional<std::size_t> each;  // --each [N]: adapters as they come, N of them (0: no end)
    bool yes = false;
    bool verbose = false;  // --list --verbose: the whole diagnosis
    bool watch = false;    // program again at each change of the file
    std::optional<std::chrono::milliseconds> timeout;
    std::optional<std::chrono::milliseconds> wait;  // for the ports to appear
    std::string report;
    std::string streamOut;
    std::string file;

    // Several boards: more than one port, or the machine's adapters.
    bool Set() const { return ports.size() > 1 || all || each; }
};

// The language `args` ask for with --lang, else the one `variable`
// (KTQ51_LANG) names, else Czech. A --lang value that names none is skipped
// here (Parse refuses it); a variable that names none, where no --lang is
// given, is said in `error`.
Language LanguageOf(const std::vector<std::string>& args, const char* variable, std::string& error);

// The options of `args` (without the program's name), or nothing with the
// reason in `error`.
std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error);
