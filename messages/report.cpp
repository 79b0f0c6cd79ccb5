#include "report.h"

#include <cstdio>
#include <ctime>
#include <fstream>

namespace {

// A field as CSV has it: quoted, with its quotes doubled, where it holds a
// comma, a quote or a line end.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string OneLine(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos;) text.replace(at, 1, " / ");
    return text;
}

}  // namespace

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
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld", offset < 0 ? '-' : '+',
                  (offset < 0 ? -offset : offset) / 3600, (offset < 0 ? -offset : offset) % 3600 / 60);
    return text;
}

std::string ReportRow(const BoardResult& result, const PortName& port, const PortInfo* listed,
                      const std::string& file, const std::string& sha256, const std::string& message) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", result.seconds);
    const std::string fields[] = {
        IsoLocalTime(result.started),
        port.Device(),
        listed != nullptr ? listed->location : std::string(),
        listed != nullptr ? listed->vidPid : std::string(),
        listed != nullptr ? listed->serial : std::string(),
        file,
        sha256,
        std::to_string(result.written.written),
        seconds,
        result.ok() ? "ok" : "failed",
        OneLine(message),
    };
    std::string row;
    for (const std::string& field : fields) {
        if (!row.empty()) row += ',';
        row += Field(field);
    }
    return row;
}

bool AppendReport(const std::filesystem::path& path, const std::vector<std::string>& rows) {
    std::error_code error;
    const bool fresh = !std::filesystem::exists(path, error) || std::filesystem::file_size(path, error) == 0;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (fresh) out << kReportHeader << "\r\n";
    for (const std::string& row : rows) out << row << "\r\n";
    out.close();
    return static_cast<bool>(out);
}
