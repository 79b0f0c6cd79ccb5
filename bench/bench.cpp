// Benchmarks of the whole tool: loading, the grid, start-up and the transfer
// path. Run by scripts/bench.sh; every COM number is a pseudo-terminal here.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <array>
#include <filesystem>
#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "ClassSetDialog.h"
#include "GridModel.h"
#include "Programator.h"
#include "hexfile.h"
#include "memimage.h"
#include "port_list.h"
#include "pty_pair.h"
#include "sysfs_tree.h"
#include "transfer.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kData = KTQ_TEST_DATA_DIR;
std::array<std::unique_ptr<PtyPair>, 5> ports;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::size_t FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return static_cast<std::size_t>(in.tellg());
}

// --- 1. The HEX reader -----------------------------------------------------

void BM_LoadHexFile(benchmark::State& state, const std::string& file) {
    const std::string path = kData + "/" + file;
    auto image = std::make_unique<ImageCells>(ErasedImage());
    for (auto _ : state) {
        const HexResult r = LoadHexFile(path, *image);
        if (!r.ok()) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize(path)));
}
BENCHMARK_CAPTURE(BM_LoadHexFile, full_window_srec, std::string("srec_full.hex"));
BENCHMARK_CAPTURE(BM_LoadHexFile, all_16384_cells, std::string("srec_all_cells.hex"));

// --- 1b. Listing the machine's serial ports (target: at most 20 ms) --------
// It reads sysfs only: no device is opened, the console line included.

void BM_ListPorts(benchmark::State& state) {
    for (auto _ : state) {
        const std::vector<PortInfo> ports = ListPorts();
        benchmark::DoNotOptimize(ports.data());
    }
}
BENCHMARK(BM_ListPorts)->Unit(benchmark::kMillisecond);

// --- 2. The grid, shown (offscreen) ---------------------------------------

class QuietToolkit : public QtToolkit {
public:
    ModalResult MessageDlg(QWidget*, const QString&, MsgKind, MsgButtons) override { return ModalResult::OK; }
};

// From the refresh to the repainted grid, alternating two images so that
// every cell changes each time.
void BM_RefreshGridRepaint(benchmark::State& state) {
    QuietToolkit toolkit;
    TForm1 form(toolkit);
    form.show();
    QCoreApplication::processEvents();
    auto a = std::make_unique<ImageCells>(ErasedImage());
    auto b = std::make_unique<ImageCells>(ErasedImage());
    LoadHexFile(kData + "/srec_full.hex", *b);
    bool flip = false;
    for (auto _ : state) {
        RefreshGrid(*form.SDataCells, flip ? *a : *b);
        form.SData->viewport()->repaint();
        flip = !flip;
    }
}
BENCHMARK(BM_RefreshGridRepaint)->Unit(benchmark::kMicrosecond);

// Load of a full-window file plus the refresh and repaint.
void BM_LoadAndRefresh(benchmark::State& state) {
    QuietToolkit toolkit;
    TForm1 form(toolkit);
    form.show();
    QCoreApplication::processEvents();
    const std::string files[] = {kData + "/srec_full.hex", kData + "/objcopy.hex"};
    int k = 0;
    for (auto _ : state) {
        MemImage = ErasedImage();
        LoadHexFile(files[k ^= 1], MemImage);
        RefreshGrid(*form.SDataCells);
        form.SData->viewport()->repaint();
    }
    MemImage = ErasedImage();
}
BENCHMARK(BM_LoadAndRefresh)->Unit(benchmark::kMicrosecond);

// --- 3. Start-up, in a process of its own ---------------------------------

struct Probe {
    double sinceSpawnMs = 0, sinceMainMs = 0, rssStartMiB = 0, rssLoadedMiB = 0;
};

Probe RunProgramOnce() {
    int err[2];
    if (::pipe(err) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    ::setenv("KTQ51_STARTUP_PROBE", "1", 1);
    ::setenv("KTQ51_STARTUP_PROBE_LOAD", (kData + "/srec_full.hex").c_str(), 1);
    char program[] = KTQ_PROGRAM;
    char* argv[] = {program, nullptr};
    pid_t pid = 0;
    const auto spawned = Clock::now();
    const int rc = ::posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    ::unsetenv("KTQ51_STARTUP_PROBE");
    ::unsetenv("KTQ51_STARTUP_PROBE_LOAD");
    posix_spawn_file_actions_destroy(&actions);
    ::close(err[1]);
    std::string output;
    char buffer[1024];
    for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
    ::close(err[0]);
    if (rc != 0) return {};
    int status = 0;
    ::waitpid(pid, &status, 0);

    Probe p;
    long long sinceMainUs = 0, monotonicNs = 0;
    long rss = 0, rssLoaded = 0;
    const auto at = output.find("probe first_paint");
    if (at == std::string::npos ||
        std::sscanf(output.c_str() + at, "probe first_paint_since_main_us=%lld first_paint_monotonic_ns=%lld rss_kib=%ld",
                    &sinceMainUs, &monotonicNs, &rss) != 3) {
        return {};
    }
    if (const auto l = output.find("probe rss_after_load_kib="); l != std::string::npos) {
        std::sscanf(output.c_str() + l, "probe rss_after_load_kib=%ld", &rssLoaded);
    }
    const auto spawnNs = std::chrono::duration_cast<std::chrono::nanoseconds>(spawned.time_since_epoch()).count();
    p.sinceSpawnMs = static_cast<double>(monotonicNs - spawnNs) / 1e6;
    p.sinceMainMs = static_cast<double>(sinceMainUs) / 1e3;
    p.rssStartMiB = static_cast<double>(rss) / 1024.0;
    p.rssLoadedMiB = static_cast<double>(rssLoaded) / 1024.0;
    return p;
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    Probe last;
    double mainMs = 0;
    for (auto _ : state) {
        last = RunProgramOnce();
        if (last.sinceSpawnMs <= 0) {
            state.SkipWithError("the program did not report its first paint");
            break;
        }
        state.SetIterationTime(last.sinceSpawnMs / 1e3);
        mainMs += last.sinceMainMs;
    }
    state.counters["main_to_paint_ms"] = benchmark::Counter(mainMs / static_cast<double>(state.iterations()));
    state.counters["rss_start_MiB"] = last.rssStartMiB;
    state.counters["rss_loaded_MiB"] = last.rssLoadedMiB;
}
BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// --- 4. The transfer path ----------------------------------------------------

// The real Qt toolkit (progress box, worker thread), with the question
// answered Yes at once and the result box noted instead of shown.
class TimingToolkit : public QtToolkit {
public:
    ModalResult MessageDlg(QWidget*, const QString& text, MsgKind, MsgButtons buttons) override {
        if (buttons & mbNo) {
            confirmed = Clock::now();
            return ModalResult::Yes;
        }
        resultShown = Clock::now();
        resultText = text;
        return ModalResult::OK;
    }
    Clock::time_point confirmed, resultShown;
    QString resultText;
};

// From the confirmation to the result box, with a reader that keeps up.
void BM_TransferKeepingUp(benchmark::State& state) {
    TimingToolkit toolkit;
    TForm1 form(toolkit);
    form.show();
    QCoreApplication::processEvents();
    std::atomic<bool> reading{true};
    std::thread reader([&] {
        while (reading) ports[0]->Read(1 << 20, 20ms);
    });
    for (auto _ : state) {
        form.Programuj1->trigger();
        if (!toolkit.resultText.startsWith("Programovani")) state.SkipWithError("transfer failed");
        state.SetIterationTime(Seconds(toolkit.resultShown - toolkit.confirmed));
    }
    reading = false;
    reader.join();
}
BENCHMARK(BM_TransferKeepingUp)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A stalled line: the peer's buffer is full and it reads nothing. The write
// waits out its limit (2 s here); meanwhile the program should sleep (its CPU
// time a small share of the wall time) and its window keep answering (no
// long gap between the ticks of a 5 ms timer on the user-interface thread).
// The two are measured in separate rounds, so that the ticking timer's own
// work does not count as the program's.
void StalledRounds(benchmark::State& state, bool watchLoop) {
    TimingToolkit toolkit;
    TForm1 form(toolkit);
    form.show();
    QCoreApplication::processEvents();
    double cpuShare = 0, worstGapMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ports[0]->Read(1 << 20, 50ms);  // empty what an earlier round left
        ports[0]->Stall();
        form.ComHandle.Timeouts().WriteTotalTimeoutMultiplier = 0;
        form.ComHandle.Timeouts().WriteTotalTimeoutConstant = 2000;
        Clock::time_point lastTick = Clock::now();
        double gapMs = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            gapMs = std::max(gapMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
            lastTick = now;
        });
        if (watchLoop) ticker.start(5);
        state.ResumeTiming();

        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = Clock::now();
        form.Programuj1->trigger();
        const double wall = Seconds(Clock::now() - wall0);
        const double cpu = ProcessCpuSeconds() - cpu0;
        state.SetIterationTime(wall);
        ticker.stop();
        if (!toolkit.resultText.startsWith("Chyba")) state.SkipWithError("the stalled write did not fail");
        cpuShare = std::max(cpuShare, 100.0 * cpu / wall);
        worstGapMs = std::max(worstGapMs, gapMs);
    }
    if (watchLoop) {
        state.counters["max_loop_gap_ms"] = worstGapMs;
    } else {
        state.counters["cpu_percent"] = cpuShare;
    }
}
void BM_TransferStalledCpu(benchmark::State& state) { StalledRounds(state, false); }
void BM_TransferStalledLoopGap(benchmark::State& state) { StalledRounds(state, true); }
BENCHMARK(BM_TransferStalledCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransferStalledLoopGap)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// --- 5. A class set -------------------------------------------------------------

// The far end of a board's line at the line's own rate: its terminal is
// filled first, so that the program can write only as fast as this reads,
// 1920 bytes a second (19200 baud, 10 bit times a byte).
class PacedLine {
public:
    PacedLine() : filled_(Fill()) {
        reader_ = std::thread([this] {
            const auto start = Clock::now();
            std::size_t read = 0;
            for (;;) {
                const bool draining = stop_;
                const std::vector<std::uint8_t> got = pty_.Read(64, draining ? 300ms : 20ms);
                if (draining && got.empty()) break;
                read += got.size();
                if (read > filled_) arrived_ = read - filled_;
                if (!draining) {
                    std::this_thread::sleep_until(start +
                                                  std::chrono::microseconds(read * 1'000'000 / kLineBytesPerSecond));
                }
            }
            cpu_ = ThreadCpuSeconds();
        });
    }
    ~PacedLine() { Stop(); }
    // Reads the rest at once, then stops.
    void Stop() {
        stop_ = true;
        if (reader_.joinable()) reader_.join();
    }
    const std::string& path() const { return pty_.path(); }
    std::size_t Arrived() const { return arrived_; }
    double ReaderCpuSeconds() const { return cpu_; }  // once stopped: the reader's own time

    static constexpr std::size_t kLineBytesPerSecond = 1920;

private:
    // Fills the terminal in small writes until it takes nothing, twice: a
    // pseudo-terminal takes more in small writes after a short while.
    std::size_t Fill() {
        termios t = pty_.SlaveSettings();
        ::cfmakeraw(&t);
        pty_.SetSlaveSettings(t);
        return FillTerminal(pty_.slave(), 0x55);
    }
    static double ThreadCpuSeconds() {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
    PtyPair pty_;
    std::size_t filled_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> arrived_{0};
    std::atomic<double> cpu_{0};
    std::thread reader_;
};

// Programuj všechny desky with `boards` boards (the window's COM1 and
// adapters found beside it), each line read at the line's rate: the time
// from the question to the results, the program's CPU time as a share of
// one core (the readers' own time taken off), and the longest gap in the
// window's event loop.
void ClassSet(benchmark::State& state) {
    const auto boards = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        std::vector<std::unique_ptr<PacedLine>> lines;
        for (std::size_t i = 0; i < boards; ++i) lines.push_back(std::make_unique<PacedLine>());
        ::setenv("KTQ51_COM1", lines[0]->path().c_str(), 1);
        std::vector<PortInfo> adapters;
        for (std::size_t i = 1; i < boards; ++i) {
            adapters.push_back(PortInfo{lines[i]->path(), lines[i]->path(), "Board", "", "0403:6001", "", "", true});
        }
        TimingToolkit toolkit;
        TForm1 form(toolkit, [&] { return adapters; });
        Clock::time_point lastTick = Clock::now();
        double gapMs = 0, seconds = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            gapMs = std::max(gapMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
            lastTick = now;
        });
        bool exact = true;
        double cpu0 = 0;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<ClassSetDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            ticker.start(5);
            lastTick = Clock::now();
            cpu0 = ProcessCpuSeconds();
            const auto wall0 = Clock::now();
            dialog->Program(false);  // the checked rows: COM1 and the adapters
            QEventLoop loop;  // the window's loop, idle but for its timers, until the run has ended
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (!dialog->Running()) loop.quit();
            });
            poll.start(20);
            loop.exec();
            seconds = Seconds(Clock::now() - wall0);
            ticker.stop();
            exact = dialog->Summary->text().startsWith(QStringLiteral("Naprogramováno %1 z %1").arg(boards));
            dialog->reject();
        });
        form.Programujvechnydesky1->trigger();
        // The readers are this process's threads too: their time is not the
        // program's.
        double readers = 0;
        for (auto& line : lines) {
            line->Stop();
            readers += line->ReaderCpuSeconds();
            exact = exact && line->Arrived() >= kStreamBytes;
        }
        const double cpu = ProcessCpuSeconds() - cpu0;
        if (!exact) state.SkipWithError("not every board got its stream");
        state.SetIterationTime(seconds);
        state.counters["cpu_percent"] = 100.0 * (cpu - readers) / seconds;
        state.counters["max_loop_gap_ms"] = gapMs;
    }
    ::setenv("KTQ51_COM1", ports[0]->path().c_str(), 1);
}
BENCHMARK(ClassSet)->Arg(1)->Arg(8)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// --- 6. Who else holds a port, with 2000 processes on the machine ----------

// Processes that only sleep, until the machine has `total` of them; they
// end with this.
class Sleepers {
public:
    explicit Sleepers(std::size_t total) {
        for (std::size_t have = Count(); have < total; ++have) {
            pid_t pid = 0;
            char sleep[] = "sleep", seconds[] = "600";
            char* argv[] = {sleep, seconds, nullptr};
            if (::posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ) != 0) break;
            pids_.push_back(pid);
        }
    }
    ~Sleepers() {
        for (const pid_t pid : pids_) ::kill(pid, SIGKILL);
        for (const pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
    }
    static std::size_t Count() {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            count += name.find_first_not_of("0123456789") == std::string::npos;
        }
        return count;
    }

private:
    std::vector<pid_t> pids_;
};

// Finding another holder of a port reads every process's open files (root
// sees them all). With 2000 processes: the search itself, which a port
// switch and the Nastavení menu's listing do on the window's thread; that
// listing with an adapter held through usbfs (a copied sysfs, its holder
// searched in this machine's /proc); and the longest gap in the window's
// event loop while the class-set dialog reads the ports every second.
void HolderSearch(benchmark::State& state) {
    const Sleepers sleepers(2000);
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "ktq51-bench-sysfs";
    std::filesystem::remove_all(root);
    RebuildTree(kData + "/sysfs/by-hand.txt", root);
    ::setenv("KTQ51_LIST_ROOT", root.c_str(), 1);
    double scanMs = 0, menuMs = 0, gapMs = 0;
    for (auto _ : state) {
        std::vector<double> scans;
        for (int i = 0; i < 10; ++i) {
            const auto start = Clock::now();
            benchmark::DoNotOptimize(ScanProcesses("/dev/bus/usb/001/005"));
            scans.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(scans.begin(), scans.end());
        scanMs = scans[scans.size() / 2];

        TimingToolkit toolkit;
        TForm1 form(toolkit);
        const auto listed = Clock::now();
        form.Ports->Refresh();
        menuMs = std::chrono::duration<double, std::milli>(Clock::now() - listed).count();

        Clock::time_point lastTick = Clock::now();
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            gapMs = std::max(gapMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
            lastTick = now;
        });
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<ClassSetDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            lastTick = Clock::now();
            ticker.start(5);
            QEventLoop loop;
            QTimer::singleShot(3500, &loop, &QEventLoop::quit);
            loop.exec();
            ticker.stop();
            dialog->reject();
        });
        form.Programujvechnydesky1->trigger();
        state.SetIterationTime(scanMs / 1000);
    }
    ::unsetenv("KTQ51_LIST_ROOT");
    std::filesystem::remove_all(root);
    state.counters["processes"] = static_cast<double>(Sleepers::Count());
    state.counters["scan_ms"] = scanMs;
    state.counters["menu_listing_ms"] = menuMs;
    state.counters["class_set_max_loop_gap_ms"] = gapMs;
}
BENCHMARK(HolderSearch)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    for (int n = 1; n <= 5; ++n) {
        ports[n - 1] = std::make_unique<PtyPair>();
        ports[n - 1]->MapAs(n);  // no default device is ever opened
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
