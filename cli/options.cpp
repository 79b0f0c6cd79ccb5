#include "options.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>
#include <string_view>

#include "flash_texts.h"
#include "transfer.h"

namespace {

// The shortest --timeout: the whole seconds the line needs for the stream.
constexpr std::chrono::seconds kShortestTimeout{LineSeconds(kStreamBytes)};

// Seconds as "0.5" or "0,5", whatever the locale says; nothing when it is no
// positive number of seconds.
std::optional<std::chrono::milliseconds> Seconds(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !(seconds > 0) || seconds > 1e6) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

// Whether `a` and `b` name one file: the same text, or two paths to it.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code unknown;
    return a == b || std::filesystem::equivalent(std::filesystem::path(std::u8string(a.begin(), a.end())),
                                                 std::filesystem::path(std::u8string(b.begin(), b.end())), unknown);
}

bool Digits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The cross-rules: options that cannot go together, or that one mode has
// no use for. Empty when the options are fine.
std::string Refusal(const Options& o, bool check, bool stream, bool erase, const std::vector<std::string>& given) {
    const std::size_t files = given.size();
    const std::string file = files == 1 ? given.front() : std::string();
    if (o.each && (o.all || !o.ports.empty() || o.wait || o.watch)) return std::string(Text().kEachAlone);
    if (erase) {
        if (o.watch) return std::string(Text().kWatchNeedsFile);
        if (files != 0 || check || stream) return std::string(Text().kEraseAlone);
        return {};
    }
    if (files != 1) return std::string(files == 0 ? Text().kMissingFile : Text().kOneFileOnly);
    if (check && stream) return std::string(Text().kCheckAndStreamOut);
    if (stream && SameFile(o.streamOut, file)) return StreamOutIsTheFile(o.streamOut);
    if ((check || stream) &&
        (!o.ports.empty() || o.all || o.each || o.yes || o.timeout || !o.report.empty() || o.wait || o.watch)) {
        return NothingIsSent(check ? "--check" : "--stream-out");
    }
    return {};
}

}  // namespace

Language LanguageOf(const std::vector<std::string>& args, const char* variable, std::string& error) {
    Language chosen = Language::Czech;
    const bool set = variable != nullptr && *variable != '\0';
    if (set) chosen = LanguageNamed(variable).value_or(chosen);
    bool given = false;
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] != "--lang") continue;
        given = true;
        if (i + 1 < args.size()) chosen = LanguageNamed(args[++i]).value_or(chosen);
    }
    if (set && !given && !LanguageNamed(variable)) error = BadLanguage("KTQ51_LANG", variable);
    return chosen;
}

std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
    Options o;
    bool check = false, stream = false, erase = false, optionsEnd = false;
    std::vector<std::string> files;
    std::set<std::string_view> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnd) {
            files.push_back(a);
            continue;
        }
        // An option's value: not empty, and given once (but --port).
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 < args.size() && !args[i + 1].empty()) {
                if (std::string_view(name) != "--port" && !given.insert(name).second) {
                    error = GivenTwice(name);
                    return std::nullopt;
                }
                return args[++i];
            }
            error = MissingValue(name);
            return std::nullopt;
        };
        // A number of seconds: nothing, with the reason in `error`, when it is none.
        auto seconds = [&](const char* name) -> std::optional<std::chrono::milliseconds> {
            const auto v = value(name);
            const auto given = v ? Seconds(*v) : std::nullopt;
            if (v && !given) error = BadSeconds(name, *v);
            return given;
        };
        if (a == "--") {
            optionsEnd = true;  // what follows is a file, whatever it begins with
        } else if (a == "--help" || a == "-h") {
            o.mode = Mode::Help;
            return o;
        } else if (a == "--version") {
            o.mode = Mode::Version;
            return o;
        } else if (a == "--list") {
            o.mode = Mode::List;
        } else if (a == "--verbose" || a == "-v") {
            o.verbose = true;
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (a == "--check") {
            check = true;
        } else if (a == "--erase") {
            erase = true;
        } else if (a == "--port") {
            const auto v = value("--port");
            if (!v) return std::nullopt;
            o.ports.push_back(ParsePortArgument(*v));
        } else if (a == "--watch") {
            o.watch = true;
        } else if (a == "--wait") {
            o.wait = seconds("--wait");
            if (!o.wait) return std::nullopt;
        } else if (a == "--all") {
            o.all = true;
        } else if (a == "--each") {
            // Its count is optional: a number that follows is it.
            std::size_t count = 0;
            if (i + 1 < args.size() && Digits(args[i + 1])) {
                const std::string& v = args[++i];
                const auto [end, failed] = std::from_chars(v.data(), v.data() + v.size(), count);
                if (failed != std::errc() || end != v.data() + v.size() || count == 0) {
                    error = BadCount("--each", v);
                    return std::nullopt;
                }
            }
            o.each = count;
        } else if (a == "--report") {
            const auto v = value("--report");
            if (!v) return std::nullopt;
            o.report = *v;
        } else if (a == "--stream-out") {
            const auto v = value("--stream-out");
            if (!v) return std::nullopt;
            o.streamOut = *v;
            stream = true;
        } else if (a == "--lang") {
            // Already in use (LanguageOf): here only checked.
            const auto v = value("--lang");
            if (!v) return std::nullopt;
            if (!LanguageNamed(*v)) {
                error = BadLanguage("--lang", *v);
                return std::nullopt;
            }
        } else if (a == "--timeout") {
            o.timeout = seconds("--timeout");
            if (!o.timeout) return std::nullopt;
            // Less than the line needs for the stream can only cut it short
            // and leave the board half-programmed.
            if (*o.timeout < kShortestTimeout) {
                error = TimeoutTooShort(args[i], kShortestTimeout.count());
                return std::nullopt;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            error = UnknownOption(a);
            return std::nullopt;
        } else {
            files.push_back(a);
        }
    }
    if (o.mode == Mode::List) return o;
    error = Refusal(o, check, stream, erase, files);
    if (!error.empty()) return std::nullopt;
    if (erase) {
        o.mode = Mode::Erase;
        return o;
    }
    o.file = files.front();
    o.mode = check ? Mode::Check : stream ? Mode::StreamOut : Mode::Program;
    return o;
}
