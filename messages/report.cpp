#include "report.h"

#include <cstdio>
#include <ctime>

#include "messages.h"
#include "sha256.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

// A cell as the report has it. One that a spreadsheet would run as a
// formula (a file name or a serial number that begins with = + - @, or a
// tab or a line end) begins with an apostrophe; one that holds the
// separator, a quote or a line end is quoted, its quotes doubled.
std::string ReportCell(const std::string& text) {
    std::string cell = !text.empty() && std::string_view("=+-@\t\r\n").find(text[0]) != std::string_view::npos
                           ? "'" + text
                           : text;
    if (cell.find_first_of(";\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

// A message in one line: its line ends (LF, CR LF or CR) as " / ", any other
// control character as a blank.
std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += " / ";
        } else {
            line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
        }
    }
    return line;
}

}  // namespace

RunFacts FactsOf(const std::string& file, const ProgrammingStream& stream) {
    return {file, Sha256Hex(stream)};
}

std::string IsoLocalTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &seconds);
    std::tm copy = local;
    const long offset = static_cast<long>(::_mkgmtime(&copy) - seconds);
#else
    ::localtime_r(&seconds, &local);
    const long offset = local.tm_gmtoff;
#endif
    // Digits only: the same in every locale.
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld", offset < 0 ? '-' : '+',
                  (offset < 0 ? -offset : offset) / 3600, (offset < 0 ? -offset : offset) % 3600 / 60);
    return text;
}

std::string ReportRow(const BoardOutcome& board, const RunFacts& facts, const std::string& message) {
    const BoardResult& result = *board.result;
    const std::optional<PortInfo>& listed = board.board.listed;
    const std::string cells[] = {
        IsoLocalTime(result.started),
        board.board.port.Device(),
        listed ? listed->location : std::string(),
        listed ? listed->vidPid : std::string(),
        listed ? listed->serial : std::string(),
        facts.file,
        facts.sha256,
        std::to_string(result.written.written),
        std::to_string(result.took.count()),
        result.ok() ? "ok" : "failed",
        OneLine(message),
    };
    std::string row;
    for (const std::string& cell : cells) {
        if (!row.empty()) row += ';';
        row += ReportCell(cell);
    }
    return row.append(kLineEnd);
}

std::optional<ReportFile> ReportFile::Open(const std::filesystem::path& path, const std::string& shown,
                                           std::string& error) {
    std::string reason;
    std::error_code unknown;
    const bool existed = std::filesystem::exists(path, unknown);
    AppendFile file = AppendFile::Open(path, reason);
    if (!file.IsOpen()) {
        error = CannotWriteReport(shown, reason);
        return std::nullopt;
    }
    const std::string header = std::string(kByteOrderMark).append(kReportHeader).append(kLineEnd);
    if (file.Size() == 0) {
        if (!file.Append(header, reason)) {
            error = CannotWriteReport(shown, reason);
            // A report that could not get even its header is no report.
            file = AppendFile();
            if (!existed) std::filesystem::remove(path, unknown);
            return std::nullopt;
        }
    } else if (file.Head(header.size()) != header) {
        error = CannotWriteReport(shown, std::string(Text().kOtherReport));
        return std::nullopt;
    }
    return ReportFile(std::move(file), shown);
}

bool ReportFile::Append(const std::string& row, std::string& error) {
    // A row that something else left unfinished is not glued onto.
    const std::string block = file_.Last() == '\n' ? row : std::string(kLineEnd) + row;
    std::string reason;
    if (file_.Append(block, reason)) return true;
    error = CannotWriteReport(shown_, reason);
    return false;
}
