// The programming report: one row per board, appended to a file that gets
// its header when it is new, so that a lab keeps one file over many runs.
// It is a CSV file as a Czech spreadsheet opens it by a double click: UTF-8
// with a byte order mark (without one, the accents come out wrong), cells
// separated by semicolons (the list separator of Czech Windows), numbers as
// plain integers in every locale (a decimal point would be read as a date,
// a decimal comma by no script). A CSV reader reads it with delimiter ";"
// and encoding "utf-8-sig". A cell that a spreadsheet would take for a
// formula gets a leading apostrophe.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "append_file.h"
#include "board_run.h"

inline constexpr std::string_view kReportHeader =
    "time;port;location;vid_pid;serial;file;sha256;bytes_sent;milliseconds;result;message";

// What every row of a run shares: the file programmed, and the SHA-256 of
// the stream the run sends.
struct RunFacts {
    std::string file;
    std::string sha256;
};
RunFacts FactsOf(const std::string& file, const ProgrammingStream& stream);

// One board's row: when it started (ISO 8601 local time with its offset),
// its port and what the listing said of it, the file, the stream's SHA-256,
// the bytes that left the port, how long it took, ok or failed, and the
// message the user saw, its lines joined by " / ". Ends with CR LF.
std::string ReportRow(const BoardOutcome& board, const RunFacts& facts, const std::string& message);

// ISO 8601 local time with its offset: 2026-12-08T09:15:02+01:00.
std::string IsoLocalTime(std::chrono::system_clock::time_point time);

// A report file open for its rows.
class ReportFile {
public:
    // Opens the report at `path`, made with its header when it is new or
    // empty. Nothing, with the message for the user in `error`, when it
    // cannot be written or holds another report (another header).
    static std::optional<ReportFile> Open(const std::filesystem::path& path, const std::string& shown,
                                          std::string& error);

    // Appends `row` whole, in one write. False with the message for the
    // user in `error`; nothing of the row is left in the file then.
    bool Append(const std::string& row, std::string& error);

private:
    ReportFile(AppendFile file, std::string shown) : file_(std::move(file)), shown_(std::move(shown)) {}
    AppendFile file_;
    std::string shown_;  // its name as the user gave it
};
