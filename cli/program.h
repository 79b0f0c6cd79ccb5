// Programming from the command line. Every way is a board run: COM1, the
// ports given, every USB adapter (--all), or each adapter as it is plugged
// in (--each). Its lines go to the terminal as the boards go, each board's
// report row is appended as it ends (so that an interrupted run keeps every
// row that had ended), and Ctrl+C lets go at once of every port the run has
// open, so that no tail of the stream reaches a board later.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "memimage.h"
#include "options.h"
#include "report.h"

// A path given on the command line, in UTF-8.
std::filesystem::path PathOf(const std::string& utf8);

// Without a person at the terminal, only --yes lets anything be sent: says
// so and returns false.
bool MayAsk(const Options& o);

// Asks `question` on the terminal; true for a yes.
bool Confirmed(const std::string& question);

// The time of day before a result line of --watch ("14:03:12 "), so that
// each build's result can be told apart; nothing otherwise.
std::string TimeOfDay(const Options& o);

// Opens --report's file into `report`, when one is given and it is not open
// yet; says why and returns false when it cannot.
bool OpenReport(const Options& o, std::optional<ReportFile>& report);

// Programs the boards that the options name with `image`: COM1 when none is
// named, the ports given (auto: the only USB adapter), every USB adapter
// with --all; --wait waits for them first. Asks first, unless `asked` or
// --yes. Returns the exit status.
int ProgramNamed(const Options& o, const ImageCells& image, std::optional<ReportFile>& report, bool asked);

// --each: waits for USB adapters to be plugged in and programs each once as
// it appears; ends after N boards, or by Ctrl+C. Adapters already plugged
// in at the start are not programmed.
int ProgramEach(const Options& o, const ImageCells& image, std::optional<ReportFile>& report);
