// The texts of ktq51-flash, the command-line programmer, built from the
// tables of texts.h; its fixed texts are there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "hex_reader.h"
#include "port_list.h"
#include "texts.h"


// Usage errors: "u volby --port chybí hodnota", and so on.
std::string MissingValue(std::string_view option);
std::string BadSeconds(std::string_view option, std::string_view value);
std::string TimeoutTooShort(std::string_view value, long long shortestSeconds);
std::string BadCount(std::string_view option, std::string_view value);
std::string BadLanguage(std::string_view option, std::string_view value);
std::string GivenTwice(std::string_view option);
std::string StreamOutIsTheFile(std::string_view file);
std::string UnknownOption(std::string_view option);
std::string NothingIsSent(std::string_view mode);

// A file that cannot be loaded, as the command line says it: the loader's
// message, headed by the file where the message does not name it.
std::string HexLoadReport(const HexResult& result, const std::string& file);

// --watch: what it does, once at its start; a change seen; a file without
// its end record, which is not sent.
std::string WatchingFile(const std::string& file);
std::string FileChanged(const std::string& file);
std::string NoEndRecordYet(const std::string& file);

// --wait: what is waited for and how long.
std::string WaitingForPort(const std::string& port, long long seconds);

// The question before sending, answered on the terminal.
std::string ConfirmPrompt();

// The first progress line where it is not redrawn in place.
std::string SendingText(std::size_t total, const std::string& device);

// A file that cannot be written, and the system's text for why.
std::string CannotWrite(const std::string& file, const std::string& reason);

// Why a file that puts nothing into 0x3000-0x3FFF is not sent: where its
// data lies, the likely cause, and how to erase the board on purpose.
std::string EmptyWindowMessage(const std::string& file, const HexSummary& summary);

// Why --port auto or --all takes no port when no USB adapter has one: that
// none is plugged in, or what is wrong with each that is.
std::string NoAdapterMessage(const std::vector<PortInfo>& ports);

// Why --port auto takes no port when the only adapter has `ports` of them.
std::string OneAdapterWithSeveralPorts(std::size_t ports);

// One line of --list: name, description, VID:PID, serial number, stable
// name and location, separated by tabs, "-" where there is none; for an
// adapter without a port, why and what to do, in a seventh column.
std::string PortListLine(const PortInfo& port);

// What --check reports of a file that loaded: its records, where its data
// lies, how much of it is in 0x3000-0x3FFF, and how many window bytes are
// not FF. One line each.
std::string CheckReport(const std::string& file, const HexSummary& summary, std::size_t programmedCells);
