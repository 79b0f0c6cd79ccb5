// ktq51-flash: programs the KTQ-51 board from a terminal, a makefile or a
// lab script, with the same HEX reader, stream and serial port layer as the
// window, and the same Czech messages.
//
//   ktq51-flash [--port COMn|DEVICE]... [--yes] [--timeout S] [--report F] [--wait S] [--watch] FILE.hex
//   ktq51-flash --all [--yes] [--timeout S] [--report F] [--watch] FILE.hex
//   ktq51-flash --each [N] [--yes] [--timeout S] [--report F] FILE.hex
//   ktq51-flash [--port COMn|DEVICE]... [--yes] [--timeout S] --erase
//   ktq51-flash --check FILE.hex
//   ktq51-flash --stream-out OUT.bin FILE.hex
//   ktq51-flash --list
#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "board_set.h"
#include "console.h"
#include "diagnosis.h"
#include "flash_texts.h"
#include "hexfile.h"
#include "memimage.h"
#include "messages.h"
#include "port_connection.h"
#include "port_list.h"
#include "report.h"
#include "sha256.h"
#include "system_info.h"
#include "transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

enum ExitStatus { kDone = 0, kFileRefused = 1, kPortFailed = 2, kTransferFailed = 3, kUsage = 4 };

enum class Mode { Program, Erase, Check, StreamOut, List, Help, Version };

// The shortest --timeout: the whole seconds the line needs for the stream.
constexpr std::chrono::seconds kShortestTimeout{LineSeconds(kStreamBytes)};

// How often --watch looks at the file.
constexpr std::chrono::milliseconds kWatchPoll{100};

struct Options {
    Mode mode = Mode::Program;
    std::vector<PortArgument> ports;  // as given; none: COM1
    bool all = false;                 // --all: every USB adapter
    std::optional<std::size_t> each;  // --each [N]: adapters as they come, N of them (0: no end)
    bool yes = false;
    bool verbose = false;  // --list --verbose: the whole diagnosis
    bool watch = false;    // program again at each change of the file
    std::optional<std::chrono::milliseconds> timeout;
    std::optional<std::chrono::milliseconds> wait;  // for the port to appear
    std::string report;
    std::string streamOut;
    std::string file;

    // Several boards: more than one port, or the machine's adapters.
    bool Set() const { return ports.size() > 1 || all || each; }
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
        // A number of seconds: nothing, with the reason in `error`, when it is none.
        auto seconds = [&](const char* name) -> std::optional<std::chrono::milliseconds> {
            const auto v = value(name);
            const auto given = v ? Seconds(*v) : std::nullopt;
            if (v && !given) error = BadSeconds(name, *v);
            return given;
        };
        if (a == "--help" || a == "-h") {
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
            const bool counted = i + 1 < args.size() && !args[i + 1].empty() &&
                                 args[i + 1].find_first_not_of("0123456789") == std::string::npos;
            o.each = counted ? std::stoul(args[++i]) : 0;
        } else if (a == "--report") {
            const auto v = value("--report");
            if (!v) return std::nullopt;
            o.report = *v;
        } else if (a == "--stream-out") {
            const auto v = value("--stream-out");
            if (!v) return std::nullopt;
            o.streamOut = *v;
            stream = true;
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
    if (o.each && (o.all || !o.ports.empty() || o.wait || o.watch)) {
        error = text::kEachAlone;
        return std::nullopt;
    }
    if (erase) {
        if (o.watch) {
            error = text::kWatchNeedsFile;
            return std::nullopt;
        }
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
    if ((check || stream) &&
        (!o.ports.empty() || o.all || o.each || o.yes || o.timeout || !o.report.empty() || o.wait || o.watch)) {
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

// Asks `question` on the terminal; true for a yes.
bool Confirmed(const std::string& question) {
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    answer.erase(std::remove(answer.begin(), answer.end(), '\r'), answer.end());
    return answer == "a" || answer == "A" || answer == "ano" || answer == "Ano";
}

int List(bool verbose) {
    const std::vector<PortInfo> ports = ListPorts();
    if (verbose) {
        // The command line keeps no errors of earlier runs.
        std::fputs(DiagnosisText(KTQ_VERSION, SystemDescription(), ports, "").c_str(), stdout);
        return kDone;
    }
    for (const PortInfo& port : ports) std::printf("%s\n", PortListLine(port).c_str());
    return kDone;
}

// The ports of USB adapters among `ports`.
std::size_t UsbPorts(const std::vector<PortInfo>& ports) {
    return static_cast<std::size_t>(
        std::count_if(ports.begin(), ports.end(), [](const PortInfo& p) { return p.usb && p.HasPort(); }));
}

// --port auto: the port of the only USB adapter; nothing, with the ports
// there are, when there is no adapter, more than one, or one with several
// ports.
std::optional<PortName> OnlyAdapter() {
    const std::vector<PortInfo> ports = ListPorts();
    const std::size_t usbPorts = UsbPorts(ports);
    const std::size_t adapters = CountAdapters(ports);
    if (usbPorts == 1) return PortName::Device(ports.front().device);  // adapters come first
    std::string why = adapters == 0   ? NoAdapterMessage(ports)
                      : adapters == 1 ? OneAdapterWithSeveralPorts(usbPorts)
                                      : std::string(text::kSeveralAdapters);
    std::fprintf(stderr, "%s\n", why.c_str());
    for (const PortInfo& port : ports) std::fprintf(stderr, "%s\n", PortListLine(port).c_str());
    return std::nullopt;
}

// --wait: gives the port up to the time given to appear (for --port auto,
// the one USB adapter), saying once what it waits for. True when it was
// not there at first: it has only just appeared, if at all.
bool AwaitPort(const Options& o, const PortArgument& given) {
    if (!o.wait) return false;
    auto there = [&] { return given.automatic ? UsbPorts(ListPorts()) == 1 : DeviceExists(given.port.Device()); };
    if (there()) return false;
    const std::string what = given.automatic ? std::string(text::kOneAdapter) : given.port.Name();
    std::fprintf(stderr, "%s\n", WaitingForPort(what, (o.wait->count() + 999) / 1000).c_str());
    const auto deadline = Clock::now() + *o.wait;
    while (!there() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return true;
}

// Opens the connection's port. One that has only just appeared may not be
// openable for a moment (the system is still setting it up): with `fresh`
// its open is tried again for up to two seconds.
OpenResult OpenWhenReady(PortConnection& connection, bool fresh) {
    OpenResult opened = connection.EnsureOpen();
    for (int attempt = 0; fresh && attempt < 20 && !opened.ok(); ++attempt) {
        if (opened.cause != PortCause::NoDevice && opened.cause != PortCause::NoPermission) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        opened = connection.EnsureOpen();
    }
    return opened;
}

// The time of day before a result line of --watch ("14:03:12 "), so that
// each build's result can be told apart; nothing otherwise.
std::string TimeOfDay(const Options& o) {
    if (!o.watch) return {};
    const std::time_t now = std::time(nullptr);
    char text[16] = {};
    // One thread asks for the local time: localtime's shared result is safe here.
    std::strftime(text, sizeof text, "%H:%M:%S ", std::localtime(&now));
    return text;
}

// The report's rows, appended to --report's file; says when it cannot.
void Report(const Options& o, const std::vector<std::string>& rows) {
    if (o.report.empty() || rows.empty()) return;
    if (!AppendReport(PathOf(o.report), rows)) std::fprintf(stderr, "%s\n", CannotWrite(o.report).c_str());
}

// Without a person at the terminal, only --yes lets anything be sent.
bool MayAsk(const Options& o) {
    if (o.yes || IsTerminal(stdin)) return true;
    std::fprintf(stderr, "%s\n", std::string(text::kNeedsConfirmation).c_str());
    return false;
}

int Program(const Options& o, const ImageCells& image) {
    if (!MayAsk(o)) return kUsage;
    const PortArgument given = o.ports.empty() ? PortArgument{false, PortName::Com(1)} : o.ports.front();
    const bool fresh = AwaitPort(o, given);
    PortName port = given.port;
    if (given.automatic) {
        const std::optional<PortName> adapter = OnlyAdapter();
        if (!adapter) return kPortFailed;
        port = *adapter;
    }
    const ProgrammingStream stream = MakeProgrammingStream(image);
    const std::vector<PortInfo> ports = ListPorts();
    const PortInfo* listed = FindPort(ports, port.Device());
    PortConnection connection(port);
    BoardResult result;
    result.started = std::chrono::system_clock::now();
    result.opened = OpenWhenReady(connection, fresh);
    if (!result.opened.ok()) {
        std::fprintf(stderr, "%s%s\n", TimeOfDay(o).c_str(), PortOpenMessage(result.opened, port, ports).c_str());
        Report(o, {ReportRow(result, port, listed, o.file, Sha256Hex(stream), PortOpenMessage(result.opened, port, ports))});
        return kPortFailed;
    }
    if (!o.yes && !Confirmed(ConfirmPrompt())) {
        std::fprintf(stderr, "%s\n", std::string(text::kProgrammingCancelled).c_str());
        return kUsage;
    }

    const int watch = DiscardQueueOnInterrupt(connection.Handle());
    Progress progress(stream.size(), result.opened.device);
    result = ProgramBoard(connection, stream, o.timeout, [&](std::size_t left) { progress(left); });
    HoldIfInterrupted();
    UnwatchOnInterrupt(watch);
    progress.Finish();
    const std::string message = BoardResultMessage(result, port, stream.size());
    std::fprintf(result.ok() ? stdout : stderr, "%s%s\n", TimeOfDay(o).c_str(), message.c_str());
    std::fflush(result.ok() ? stdout : stderr);
    Report(o, {ReportRow(result, port, listed, o.file, Sha256Hex(stream), message)});
    return result.ok() ? kDone : kTransferFailed;
}

// One board of a set: its port, what the listing said of it, its own
// connection, and how far it has got.
struct Board {
    PortName port;
    std::optional<PortInfo> listed;
    PortConnection connection;
    std::atomic<std::size_t> left{0};
    std::optional<BoardResult> result;  // set, under the lines' lock, once it has ended

    Board(PortName name, std::optional<PortInfo> info) : port(name), listed(info), connection(name, info) {}
    // Where it is plugged in, or its name: "1-1.4 (/dev/ttyUSB3)", "COM3".
    std::string Name() const {
        const std::string name = listed ? listed->name : port.Name();
        return listed && !listed->location.empty() ? listed->location + " (" + name + ")" : name;
    }
};

// The boards of a set and their lines on standard error, one per board: on
// a terminal that can, all redrawn in place at most ten times a second;
// elsewhere a line as a board starts and one as it ends. The boards'
// threads call it.
class BoardLines {
public:
    explicit BoardLines(std::size_t total) : total_(total), redraw_(RedrawsLines()) {}

    Board& Add(const PortName& port, std::optional<PortInfo> listed) {
        const std::lock_guard lock(mutex_);
        return boards_.emplace_back(port, std::move(listed));
    }
    void Started(const Board& board) {
        const std::lock_guard lock(mutex_);
        if (!redraw_) std::fprintf(stderr, "%s: %s\n", board.Name().c_str(), SendingText(total_, board.port.Device()).c_str());
        Draw(true);
    }
    void Progressed() {
        const std::lock_guard lock(mutex_);
        Draw(false);
    }
    void Ended(Board& board, BoardResult result) {
        const std::lock_guard lock(mutex_);
        board.result = std::move(result);
        if (!redraw_) std::fprintf(stderr, "%s: %s\n", board.Name().c_str(), Brief(Message(board)).c_str());
        Draw(true);
    }
    std::string Message(const Board& board) const { return BoardResultMessage(*board.result, board.port, total_); }
    // To be read while no board runs.
    std::deque<Board>& Boards() { return boards_; }
    const std::deque<Board>& Boards() const { return boards_; }

private:
    void Draw(bool now) {
        if (!redraw_) return;
        const auto at = Clock::now();
        if (!now && at - drawnAt_ < std::chrono::milliseconds(100)) return;
        drawnAt_ = at;
        if (drawn_ > 0) std::fprintf(stderr, "\x1b[%zuA", drawn_);
        for (const Board& board : boards_) {
            std::string state;
            if (board.result) {
                state = Brief(Message(board));
            } else {
                constexpr std::size_t kBar = 24;
                const std::size_t left = board.left;
                const std::size_t filled = left * kBar / total_;
                state.assign(1, '[').append(filled, '#').append(kBar - filled, '.').append("] ");
                state += ProgressText(left, total_);
            }
            std::fprintf(stderr, "\r\x1b[K%s: %s\n", board.Name().c_str(), state.c_str());
        }
        drawn_ = boards_.size();
        std::fflush(stderr);
    }

    std::deque<Board> boards_;
    std::size_t total_;
    bool redraw_;
    std::mutex mutex_;
    std::size_t drawn_ = 0;
    Clock::time_point drawnAt_;
};

// Programs `board` on the calling thread, its lines told as it goes.
// `retry`: a port that has only just appeared may not be openable for a
// moment (the system is still setting it up): its open is tried again.
void RunBoard(Board& board, const ProgrammingStream& stream, const Options& o, BoardLines& lines, bool retry) {
    lines.Started(board);
    if (retry) OpenWhenReady(board.connection, true);
    int watch = -1;
    if (board.connection.IsOpen()) watch = DiscardQueueOnInterrupt(board.connection.Handle());
    BoardResult result = ProgramBoard(board.connection, stream, o.timeout, [&](std::size_t left) {
        board.left = left;
        lines.Progressed();
    });
    HoldIfInterrupted();
    UnwatchOnInterrupt(watch);
    board.connection.Close();
    lines.Ended(board, std::move(result));
}

// The summary of a set: one line per board and the total; the report's
// rows; and the exit status: 0 when every board succeeded, 3 when a
// transfer failed, or else 2 when a port could not be opened.
int Summarise(const Options& o, const BoardLines& lines, const ProgrammingStream& stream) {
    const std::deque<Board>& boards = lines.Boards();
    const std::string sha256 = Sha256Hex(stream);
    std::vector<std::string> rows;
    std::size_t done = 0;
    bool transferFailed = false, openFailed = false;
    for (const Board& board : boards) {
        const BoardResult& result = *board.result;
        const std::string message = lines.Message(board);
        std::printf("%s: %s\n", board.Name().c_str(), Brief(message).c_str());
        rows.push_back(ReportRow(result, board.port, board.listed ? &*board.listed : nullptr, o.file, sha256, message));
        done += result.ok();
        transferFailed = transferFailed || (result.opened.ok() && !result.written.ok());
        openFailed = openFailed || !result.opened.ok();
    }
    std::printf("%s%s\n", TimeOfDay(o).c_str(), BoardsDone(done, boards.size()).c_str());
    std::fflush(stdout);
    Report(o, rows);
    return transferFailed ? kTransferFailed : openFailed ? kPortFailed : kDone;
}

// Several boards at once: the ports given, or every USB adapter (--all).
int ProgramSet(const Options& o, const ImageCells& image) {
    if (!MayAsk(o)) return kUsage;
    const std::vector<PortInfo> ports = ListPorts();
    const ProgrammingStream stream = MakeProgrammingStream(image);
    BoardLines lines(stream.size());
    auto add = [&](const PortName& port) {
        for (const Board& board : lines.Boards()) {
            if (SameDevice(board.port.Device(), port.Device())) return;  // named twice
        }
        const PortInfo* listed = FindPort(ports, port.Device());
        lines.Add(port, listed != nullptr ? std::optional<PortInfo>(*listed) : std::nullopt);
    };
    for (const PortArgument& given : o.ports) {
        AwaitPort(o, given);
        if (!given.automatic) {
            add(given.port);
        } else if (const std::optional<PortName> adapter = OnlyAdapter()) {
            add(*adapter);
        } else {
            return kPortFailed;
        }
    }
    if (o.all) {
        for (const PortInfo& port : ports) {
            if (port.usb && port.HasPort()) add(PortName::Device(port.device));
        }
        if (lines.Boards().empty()) {
            std::fprintf(stderr, "%s\n", NoAdapterMessage(ports).c_str());
            return kPortFailed;
        }
    }
    if (!o.yes && !Confirmed(ConfirmBoards(lines.Boards().size()) + " [a/N] ")) {
        std::fprintf(stderr, "%s\n", std::string(text::kProgrammingCancelled).c_str());
        return kUsage;
    }

    std::vector<std::thread> threads;
    for (Board& board : lines.Boards()) {
        threads.emplace_back([&] { RunBoard(board, stream, o, lines, false); });
    }
    for (std::thread& thread : threads) thread.join();
    return Summarise(o, lines, stream);
}

// --each: waits for USB adapters to be plugged in and programs each once as
// it appears; ends after N boards, or on Ctrl+C. Adapters already plugged
// in at the start are not programmed.
int ProgramEach(const Options& o, const ImageCells& image) {
    if (!MayAsk(o)) return kUsage;
    if (!o.yes && !Confirmed(ConfirmPrompt())) {
        std::fprintf(stderr, "%s\n", std::string(text::kProgrammingCancelled).c_str());
        return kUsage;
    }
    std::fprintf(stderr, "%s\n", std::string(text::kWaitingForAdapters).c_str());
    const ProgrammingStream stream = MakeProgrammingStream(image);
    BoardLines lines(stream.size());
    std::vector<std::thread> threads;
    std::size_t started = 0;
    std::vector<std::string> present;
    for (const PortInfo& port : ListPorts()) {
        if (port.usb && port.HasPort()) present.push_back(port.device);
    }
    const std::size_t wanted = *o.each;
    while (wanted == 0 || started < wanted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        std::vector<std::string> now;
        for (const PortInfo& port : ListPorts()) {
            if (!port.usb || !port.HasPort()) continue;
            now.push_back(port.device);
            if (std::find(present.begin(), present.end(), port.device) != present.end()) continue;
            if (wanted != 0 && started >= wanted) continue;
            Board& board = lines.Add(PortName::Device(port.device), port);
            ++started;
            threads.emplace_back([&] { RunBoard(board, stream, o, lines, true); });
        }
        present = std::move(now);
    }
    for (std::thread& thread : threads) thread.join();
    return Summarise(o, lines, stream);
}

// A file as --watch sees it: its time and size, or nothing while it does
// not exist.
using FileStamp = std::optional<std::pair<std::filesystem::file_time_type, std::uintmax_t>>;

FileStamp StampOf(const std::string& file) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(PathOf(file), error);
    if (error) return std::nullopt;
    const auto size = std::filesystem::file_size(PathOf(file), error);
    if (error) return std::nullopt;
    return std::pair{time, size};
}

// Waits until `file` differs from `seen` and has then stayed unchanged for
// kHexFileSettle. A file written in place and one renamed over it both
// change its time; one that is deleted is waited for until it comes back.
FileStamp NextChange(const std::string& file, const FileStamp& seen) {
    FileStamp now = seen;
    auto since = Clock::now();
    for (;;) {
        std::this_thread::sleep_for(kWatchPoll);
        if (FileStamp stamp = StampOf(file); stamp != now) {
            now = std::move(stamp);
            since = Clock::now();
        } else if (now && now != seen && Clock::now() - since >= kHexFileSettle) {
            return now;
        }
    }
}

// --watch: programs the file now, then each time it changes to a complete
// file (with its end record: compilers write it last), until Ctrl+C ends
// the process. The question is asked once; a file that cannot be sent is
// reported and skipped, and a failed transfer does not end the watch.
int Watch(const Options& o) {
    if (!MayAsk(o)) return kUsage;
    if (!o.yes && !Confirmed(ConfirmPrompt())) {
        std::fprintf(stderr, "%s\n", std::string(text::kProgrammingCancelled).c_str());
        return kUsage;
    }
    Options again = o;  // asked already
    again.yes = true;
    std::fprintf(stderr, "%s\n", WatchingFile(o.file).c_str());
    FileStamp seen = StampOf(o.file);
    auto image = std::make_unique<ImageCells>();
    for (bool first = true;; first = false) {
        if (!first) {
            seen = NextChange(o.file, seen);
            std::fprintf(stderr, "%s%s\n", TimeOfDay(o).c_str(), FileChanged(o.file).c_str());
        }
        HexResult loaded;
        if (!Load(o.file, *image, loaded)) continue;
        if (!loaded.summary.HasEndRecord()) {
            std::fprintf(stderr, "%s\n", NoEndRecordYet(o.file).c_str());
            continue;
        }
        if (loaded.summary.windowBytes == 0) {
            std::fprintf(stderr, "%s\n", EmptyWindowMessage(o.file, loaded.summary).c_str());
            continue;
        }
        if ((again.Set() ? ProgramSet(again, *image) : Program(again, *image)) == kUsage) return kUsage;
    }
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
            return List(options->verbose);
        default:
            break;
    }

    if (options->watch) return Watch(*options);
    auto image = std::make_unique<ImageCells>(ErasedImage());
    // The boards: one, several at once, or each as it is plugged in.
    auto program = [&options, &image] {
        if (options->each) return ProgramEach(*options, *image);
        return options->Set() ? ProgramSet(*options, *image) : Program(*options, *image);
    };
    if (options->mode == Mode::Erase) return program();
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
    return program();
}
