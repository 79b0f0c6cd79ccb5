// The programming report: one CSV row per board (UTF-8, comma-separated,
// RFC 4180 quoting), appended to a file that gets its header when it is new,
// so that a lab keeps one file over many runs.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "board_set.h"
#include "port_list.h"
#include "port_name.h"

inline constexpr const char* kReportHeader =
    "time,port,location,vid_pid,serial,file,sha256,bytes_sent,seconds,result,message";

// One board's row: when it started (ISO 8601 local time with its offset),
// its port and what the listing said of it, the file, the SHA-256 of the
// stream, the bytes that left the port, how long it took, ok or failed, and
// the message the user saw, its lines joined by " / ".
std::string ReportRow(const BoardResult& result, const PortName& port, const PortInfo* listed,
                      const std::string& file, const std::string& sha256, const std::string& message);

// ISO 8601 local time with its offset: 2026-12-08T09:15:02+01:00.
std::string IsoLocalTime(std::chrono::system_clock::time_point time);

// Appends `rows` to the report at `path`, with the header first when the
// file is new or empty. False when it cannot be written.
bool AppendReport(const std::filesystem::path& path, const std::vector<std::string>& rows);
