// ktq51-flash: programs the KTQ-51 board from a terminal, a makefile or a
// lab script, with the same HEX reader, stream and serial port layer as the
// window, and the same Czech messages.
//
//   ktq51-flash [--port COMn|DEVICE] [--yes] [--timeout S] FILE.hex
//   ktq51-flash [--port COMn|DEVICE] [--yes] [--timeout S] --erase
//   ktq51-flash --check FILE.hex
//   ktq51-flash --stream-out OUT.bin FILE.hex
//   ktq51-flash --list
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "flash_texts.h"
#include "hexfile.h"
#include "memimage.h"
#include "messages.h"
#include "port_connection.h"
#include "port_list.h"
#include "transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

enum ExitStatus { kDone = 0, kFileRefused = 1, kPortFailed = 2, kTransferFailed = 3, kUsage = 4 };

enum class Mode { Program, Erase, Check, StreamOut, List, Help, Version };

// The shortest --timeout: the whole seconds the line needs for the stream.
constexpr std::chrono::seconds kShortestTimeout{LineSeconds(kStreamBytes)};

struct Options {
    Mode mode = Mode::Program;
    PortName port = PortName::Com(1);
    bool portGiven = false;
    bool autoPort = false;  // --port auto: the only USB adapter
    bool yes = false;
    std::optional<std::chrono::milliseconds> timeout;
    std::string streamOut;
    std::string file;
};

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

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

// The options, or nothing with the reason in `error`.
std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
    Options o;
    bool check = false, stream = false, erase = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 < args.size()) return args[++i];
            error = MissingValue(name);
            return std::nullopt;
        };
        if (a == "--help" || a == "-h") {
            o.mode = Mode::Help;
            return o;
        } else if (a == "--version") {
            o.mode = Mode::Version;
            return o;
        } else if (a == "--list") {
            o.mode = Mode::List;
            return o;
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (a == "--check") {
            check = true;
        } else if (a == "--erase") {
            erase = true;
        } else if (a == "--port") {
            const auto v = value("--port");
            if (!v) return std::nullopt;
            const PortArgument given = ParsePortArgument(*v);
            o.port = given.port;
            o.portGiven = true;
            o.autoPort = given.automatic;
        } else if (a == "--stream-out") {
            const auto v = value("--stream-out");
            if (!v) return std::nullopt;
            o.streamOut = *v;
            stream = true;
        } else if (a == "--timeout") {
            const auto v = value("--timeout");
            if (!v) return std::nullopt;
            o.timeout = Seconds(*v);
            if (!o.timeout) {
                error = BadTimeout(*v);
                return std::nullopt;
            }
            // Less than the line needs for the stream can only cut it short
            // and leave the board half-programmed.
            if (*o.timeout < kShortestTimeout) {
                error = TimeoutTooShort(*v, kShortestTimeout.count());
                return std::nullopt;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            error = UnknownOption(a);
            return std::nullopt;
        } else {
            files.push_back(a);
        }
    }
    if (erase) {
        if (!files.empty() || check || stream) {
            error = text::kEraseAlone;
            return std::nullopt;
        }
        o.mode = Mode::Erase;
        return o;
    }
    if (files.size() != 1) {
        error = files.empty() ? text::kMissingFile : text::kOneFileOnly;
        return std::nullopt;
    }
    o.file = files.front();
    if (check && stream) {
        error = text::kCheckAndStreamOut;
        return std::nullopt;
    }
    if ((check || stream) && (o.portGiven || o.yes || o.timeout)) {
        error = NothingIsSent(check ? "--check" : "--stream-out");
        return std::nullopt;
    }
    o.mode = check ? Mode::Check : stream ? Mode::StreamOut : Mode::Program;
    return o;
}

// Loads the file as Otevřít does: erase, then load. Says why it cannot.
bool Load(const std::string& file, ImageCells& image, HexResult& result) {
    result = EraseAndLoadHexFile(PathOf(file), image);
    if (result.ok()) return true;
    const std::string message = HexLoadMessage(result, file);
    const bool namesTheFile = result.status == HexStatus::OpenFailed || result.status == HexStatus::ReadFailed ||
                              result.status == HexStatus::NotARegularFile || result.status == HexStatus::TooLarge;
    std::fprintf(stderr, "%s%s\n", namesTheFile ? "" : (file + ": ").c_str(), message.c_str());
    return false;
}

int Check(const std::string& file, const ImageCells& image, const HexResult& r) {
    std::fputs(CheckReport(file, r.summary, ProgrammedCells(image)).c_str(), stdout);
    return kDone;
}

int StreamOut(const std::string& out, const ImageCells& image) {
    const ProgrammingStream stream = MakeProgrammingStream(image);
    std::ofstream file(PathOf(out), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "%s\n", CannotWrite(out).c_str());
        return kFileRefused;
    }
    return kDone;
}

// The progress on standard error: on a terminal one line redrawn in place,
// at most ten times a second; elsewhere one line at the start and one at
// the end.
class Progress {
public:
    Progress(std::size_t total, const std::string& device) : total_(total), terminal_(IsTerminal(stderr)) {
        if (!terminal_) {
            std::fprintf(stderr, "%s\n", SendingText(total, device).c_str());
        }
    }

    void operator()(std::size_t left) {
        last_ = left;
        if (!terminal_) return;
        const auto now = Clock::now();
        if (left != total_ && drawn_ && now - drawnAt_ < std::chrono::milliseconds(100)) return;
        drawn_ = true;
        drawnAt_ = now;
        constexpr std::size_t kBar = 24;
        const std::size_t filled = total_ == 0 ? kBar : left * kBar / total_;
        const std::string bar = std::string(filled, '#') + std::string(kBar - filled, '.');
        std::fprintf(stderr, "\r[%s] %-50s", bar.c_str(), ProgressText(left, total_).c_str());
        std::fflush(stderr);
    }

    void Finish() {
        if (terminal_) {
            (*this)(last_);
            std::fputc('\n', stderr);
        } else {
            std::fprintf(stderr, "%s\n", ProgressText(last_, total_).c_str());
        }
    }

private:
    std::size_t total_;
    bool terminal_;
    bool drawn_ = false;
    Clock::time_point drawnAt_;
    std::size_t last_ = 0;
};

bool Confirmed() {
    std::fputs(ConfirmPrompt().c_str(), stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    answer.erase(std::remove(answer.begin(), answer.end(), '\r'), answer.end());
    return answer == "a" || answer == "A" || answer == "ano" || answer == "Ano";
}

int List() {
    for (const PortInfo& port : ListPorts()) std::printf("%s\n", PortListLine(port).c_str());
    return kDone;
}

// --port auto: the port of the only USB adapter; nothing, with the ports
// there are, when there is no adapter, more than one, or one with several
// ports.
std::optional<PortName> OnlyAdapter() {
    const std::vector<PortInfo> ports = ListPorts();
    const auto usbPorts = static_cast<std::size_t>(std::count_if(ports.begin(), ports.end(), [](const PortInfo& p) { return p.usb; }));
    const std::size_t adapters = CountAdapters(ports);
    if (usbPorts == 1) return PortName::Device(ports.front().device);  // adapters come first
    const std::string why = adapters == 0   ? std::string(text::kNoAdapter)
                            : adapters == 1 ? OneAdapterWithSeveralPorts(usbPorts)
                                            : std::string(text::kSeveralAdapters);
    std::fprintf(stderr, "%s\n", why.c_str());
    for (const PortInfo& port : ports) std::fprintf(stderr, "%s\n", PortListLine(port).c_str());
    return std::nullopt;
}

int Program(Options o, const ImageCells& image) {
    if (!o.yes && !IsTerminal(stdin)) {
        std::fprintf(stderr, "%s\n", std::string(text::kNeedsConfirmation).c_str());
        return kUsage;
    }
    if (o.autoPort) {
        const std::optional<PortName> adapter = OnlyAdapter();
        if (!adapter) return kPortFailed;
        o.port = *adapter;
    }
    PortConnection connection;
    const OpenResult opened = connection.Open(o.port);
    if (!opened.ok()) {
        std::fprintf(stderr, "%s\n", PortOpenMessage(opened, o.port, ListPorts()).c_str());
        return kPortFailed;
    }
    if (!o.yes && !Confirmed()) {
        std::fprintf(stderr, "%s\n", std::string(text::kProgrammingCancelled).c_str());
        return kUsage;
    }

    DiscardQueueOnInterrupt(connection.Handle());
    const ProgrammingStream stream = MakeProgrammingStream(image);
    const std::chrono::milliseconds limit = o.timeout.value_or(connection.WriteLimitFor(stream.size()));
    Progress progress(stream.size(), opened.device);
    const WriteResult result = connection.Send(stream, limit, [&](std::size_t left) { progress(left); });
    HoldIfInterrupted();
    progress.Finish();
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", TransferFailedMessage(result, stream.size(), o.port).c_str());
        return kTransferFailed;
    }
    std::printf("%s\n", std::string(text::kProgrammingDone).c_str());
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    std::string error;
    const std::optional<Options> options = Parse(Utf8Arguments(argc, argv), error);
    if (!options) {
        std::fprintf(stderr, "ktq51-flash: %s\n\n%s", error.c_str(), std::string(text::kFlashUsage).c_str());
        return kUsage;
    }
    switch (options->mode) {
        case Mode::Help:
            std::fputs(std::string(text::kFlashUsage).c_str(), stdout);
            return kDone;
        case Mode::Version:
            std::puts("ktq51-flash (Programator KTQ-51) verze " KTQ_VERSION);
            return kDone;
        case Mode::List:
            return List();
        default:
            break;
    }

    auto image = std::make_unique<ImageCells>(ErasedImage());
    if (options->mode == Mode::Erase) return Program(*options, *image);
    HexResult loaded;
    if (!Load(options->file, *image, loaded)) return kFileRefused;
    switch (options->mode) {
        case Mode::Check: return Check(options->file, *image, loaded);
        case Mode::StreamOut: return StreamOut(options->streamOut, *image);
        default: break;
    }
    // A file that puts nothing into the board's window would only erase it:
    // most likely it was built for another address.
    if (loaded.summary.windowBytes == 0) {
        std::fprintf(stderr, "%s\n", EmptyWindowMessage(options->file, loaded.summary).c_str());
        return kFileRefused;
    }
    return Program(*options, *image);
}
