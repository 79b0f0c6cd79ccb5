#include "program.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "board_run.h"
#include "console.h"
#include "flash_texts.h"
#include "messages.h"
#include "run_result.h"
#include "terminal_lines.h"
#include "transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often --wait and --each look at the machine's ports.
constexpr std::chrono::milliseconds kPortLook{100};
constexpr std::chrono::milliseconds kAdapterLook{250};

// A run on the terminal: the lines, the report's rows and the interrupt's
// hold on each port, as its boards go.
class TerminalRun : private RunObserver {
public:
    TerminalRun(const Options& o, const ProgrammingStream& stream, bool set, std::vector<PortInfo> ports,
                std::optional<ReportFile>& report)
        : options_(o), set_(set), lines_(set), facts_(FactsOf(o.file, stream)), ports_(std::move(ports)),
          report_(report), run_(stream, o.timeout, this) {}

    void Add(RunBoard board) {
        {
            const std::lock_guard lock(mutex_);
            boards_.push_back(board);
        }
        lines_.Add(set_ ? board.Name() : std::string());
        run_.Add(std::move(board));
    }

    // The machine's ports as listed now, which the messages of boards that
    // end from now on name.
    void Listed(std::vector<PortInfo> ports) {
        const std::lock_guard lock(mutex_);
        ports_ = std::move(ports);
    }

    // Waits for every board, says what became of them and returns the status.
    int Finish() {
        run_.Wait();
        const RunResult result = SummariseRun(run_.Outcomes(), facts_, ports_);
        const std::string time = TimeOfDay(options_);
        if (set_) {
            std::size_t k = 0;
            for (const BoardOutcome& board : run_.Outcomes()) {
                std::printf("%s: %s\n", board.board.Name().c_str(), Brief(result.messages[k++]).c_str());
            }
            std::printf("%s%s\n", time.c_str(), result.total.c_str());
            std::fflush(stdout);
        } else if (!result.messages.empty()) {
            std::FILE* out = result.status == kDone ? stdout : stderr;
            std::fprintf(out, "%s%s\n", time.c_str(), result.messages.front().c_str());
            std::fflush(out);
        }
        if (result.status != kDone) return result.status;
        return reportFailed_ ? kReportFailed : kDone;
    }

private:
    void Opened(std::size_t board, const PortHandle& port) override {
        const int watch = DiscardQueueOnInterrupt(port);
        std::string device;
        {
            const std::lock_guard lock(mutex_);
            watches_[board] = watch;
            device = boards_[board].port.Device();
        }
        lines_.Opened(board, device);
    }

    void Progressed(std::size_t board, std::size_t left) override { lines_.Progressed(board, left); }

    void Ended(std::size_t board, const BoardResult& result) override {
        // A write that the interrupt cut short is no failed transfer.
        HoldIfInterrupted();
        const std::lock_guard lock(mutex_);
        if (const auto watch = watches_.find(board); watch != watches_.end()) UnwatchOnInterrupt(watch->second);
        const BoardOutcome outcome{boards_[board], result};
        const std::string message = BoardMessage(result, outcome.board.port, ports_);
        lines_.Ended(board, result.written.written, Brief(message));
        std::string error;
        if (report_ &&
            !report_->Append(ReportRow(outcome, facts_, ReportedMessage(result, outcome.board.port, ports_)), error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            reportFailed_ = true;
        }
    }

    const Options& options_;
    const bool set_;
    BoardLines lines_;
    const RunFacts facts_;
    std::mutex mutex_;  // for what follows
    std::vector<PortInfo> ports_;
    std::optional<ReportFile>& report_;
    std::deque<RunBoard> boards_;
    std::map<std::size_t, int> watches_;
    bool reportFailed_ = false;
    BoardRun run_;  // last: it ends, waiting for its boards, before the rest goes
};

// How many of `ports` are ports of USB adapters.
std::size_t UsbPorts(const std::vector<PortInfo>& ports) {
    return static_cast<std::size_t>(std::count_if(ports.begin(), ports.end(), [](const PortInfo& p) { return p.UsbAdapter(); }));
}

// --port auto: the port of the only USB adapter; nothing, with the ports
// there are, when there is no adapter, more than one, or one with several
// ports.
std::optional<PortName> OnlyAdapter(const std::vector<PortInfo>& ports) {
    const std::size_t usbPorts = UsbPorts(ports);
    const std::size_t adapters = CountAdapters(ports);
    if (usbPorts == 1) return PortName::Device(ports.front().device);  // adapters come first
    std::string why = adapters == 0   ? NoAdapterMessage(ports)
                      : adapters == 1 ? OneAdapterWithSeveralPorts(usbPorts)
                                      : std::string(Text().kSeveralAdapters);
    std::fprintf(stderr, "%s\n", why.c_str());
    for (const PortInfo& port : ports) std::fprintf(stderr, "%s\n", PortListLine(port).c_str());
    return std::nullopt;
}

// --wait: gives `what` until `deadline` to appear (`there` tells), saying
// once what it waits for. True when it was not there at first: it has only
// just appeared, if at all.
template <typename There>
bool Await(const Options& o, Clock::time_point deadline, const std::string& what, There there) {
    if (!o.wait || there()) return false;
    std::fprintf(stderr, "%s\n", WaitingForPort(what, (o.wait->count() + 999) / 1000).c_str());
    while (!there() && Clock::now() < deadline) std::this_thread::sleep_for(kPortLook);
    return true;
}

// The boards that the options name, into `boards`, with the listing they
// were found in: kDone, or the status of why there are none.
int NamedBoards(const Options& o, std::vector<RunBoard>& boards, std::vector<PortInfo>& ports) {
    const Clock::time_point deadline = Clock::now() + o.wait.value_or(std::chrono::milliseconds(0));
    std::vector<PortArgument> given = o.ports;
    if (given.empty() && !o.all) given.push_back({false, PortName::Com(1)});
    std::vector<bool> fresh;
    for (const PortArgument& port : given) {
        fresh.push_back(port.automatic
                            ? Await(o, deadline, std::string(Text().kOneAdapter), [] { return UsbPorts(ListPorts()) == 1; })
                            : Await(o, deadline, port.port.Name(), [&] { return DeviceExists(port.port.Device()); }));
    }
    const bool adaptersFresh =
        o.all && Await(o, deadline, std::string(Text().kAnyAdapter), [] { return UsbPorts(ListPorts()) > 0; });
    ports = ListPorts();
    auto add = [&](const PortName& port, bool isFresh) {
        for (const RunBoard& board : boards) {
            if (SameDevice(board.port.Device(), port.Device())) return;  // named twice
        }
        const PortInfo* listed = FindPort(ports, port.Device());
        boards.push_back({port, listed != nullptr ? std::optional<PortInfo>(*listed) : std::nullopt, nullptr, isFresh});
    };
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (!given[i].automatic) {
            add(given[i].port, fresh[i]);
        } else if (const std::optional<PortName> adapter = OnlyAdapter(ports)) {
            add(*adapter, fresh[i]);
        } else {
            return kPortFailed;
        }
    }
    if (o.all) {
        for (const PortInfo& port : ports) {
            if (port.UsbAdapter()) add(PortName::Device(port.device), adaptersFresh);
        }
        if (boards.empty()) {
            std::fprintf(stderr, "%s\n", NoAdapterMessage(ports).c_str());
            return kPortFailed;
        }
    }
    return kDone;
}

bool Cancelled() {
    std::fprintf(stderr, "%s\n", std::string(Text().kProgrammingCancelled).c_str());
    return true;
}

}  // namespace

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool MayAsk(const Options& o) {
    if (o.yes || IsTerminal(stdin)) return true;
    std::fprintf(stderr, "%s\n", std::string(Text().kNeedsConfirmation).c_str());
    return false;
}

bool Confirmed(const std::string& question) {
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    // Blanks around it, and the CR of a Windows console, do not count.
    const std::size_t first = answer.find_first_not_of(" \t\r");
    answer = first == std::string::npos ? std::string() : answer.substr(first, answer.find_last_not_of(" \t\r") - first + 1);
    for (char& c : answer) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return answer == Text().kAnswerYes || answer == Text().kAnswerYesWord;
}

std::string TimeOfDay(const Options& o) {
    if (!o.watch) return {};
    const std::time_t now = std::time(nullptr);
    char text[16] = {};
    // One thread asks for the local time: localtime's shared result is safe here.
    std::strftime(text, sizeof text, "%H:%M:%S ", std::localtime(&now));
    return text;
}

bool OpenReport(const Options& o, std::optional<ReportFile>& report) {
    if (o.report.empty() || report) return true;
    std::string error;
    report = ReportFile::Open(PathOf(o.report), o.report, error);
    if (!report) std::fprintf(stderr, "%s\n", error.c_str());
    return report.has_value();
}

int ProgramNamed(const Options& o, const ImageCells& image, std::optional<ReportFile>& report, bool asked) {
    if (!asked && !MayAsk(o)) return kUsage;
    std::vector<RunBoard> boards;
    std::vector<PortInfo> ports;
    if (const int status = NamedBoards(o, boards, ports); status != kDone) return status;
    // Asked before any port is opened: a "no" leaves every line alone.
    const std::string question = o.Set() ? ConfirmBoards(boards.size()) + " [a/N] " : ConfirmPrompt();
    if (!asked && !o.yes && !Confirmed(question) && Cancelled()) return kUsage;
    if (!OpenReport(o, report)) return kReportFailed;
    TerminalRun run(o, MakeProgrammingStream(image), o.Set(), std::move(ports), report);
    for (RunBoard& board : boards) run.Add(std::move(board));
    return run.Finish();
}

int ProgramEach(const Options& o, const ImageCells& image, std::optional<ReportFile>& report) {
    if (!MayAsk(o)) return kUsage;
    if (!o.yes && !Confirmed(ConfirmPrompt()) && Cancelled()) return kUsage;
    if (!OpenReport(o, report)) return kReportFailed;
    std::fprintf(stderr, "%s\n", std::string(Text().kWaitingForAdapters).c_str());
    std::vector<PortInfo> ports = ListPorts();
    std::vector<std::string> present;
    for (const PortInfo& port : ports) {
        if (port.UsbAdapter()) present.push_back(port.device);
    }
    TerminalRun run(o, MakeProgrammingStream(image), true, ports, report);
    const std::size_t wanted = *o.each;
    for (std::size_t started = 0; wanted == 0 || started < wanted;) {
        std::this_thread::sleep_for(kAdapterLook);
        ports = ListPorts();
        run.Listed(ports);
        std::vector<std::string> now;
        for (const PortInfo& port : ports) {
            if (!port.UsbAdapter()) continue;
            now.push_back(port.device);
            if (std::find(present.begin(), present.end(), port.device) != present.end()) continue;
            if (wanted != 0 && started >= wanted) continue;
            run.Add({PortName::Device(port.device), port, nullptr, true});
            ++started;
        }
        present = std::move(now);
    }
    return run.Finish();
}
