// The driver check's host side. Boots Debian's own kernel under QEMU with two
// board lines, each led to a pseudo-terminal here: an emulated FTDI USB
// adapter (the guest's ftdi_sio, /dev/ttyUSB0) and a second 16550 UART (the
// guest's 8250, /dev/ttyS1). QEMU gives the far end of each line what the
// guest's driver sends, and sets this side's terminal to the line settings
// the driver chose, so both can be checked here. A third driver needs no
// line here: the guest's dummy_hcd with the g_serial gadget is a USB device
// with two ports for its cdc_acm (/dev/ttyACM0, /dev/ttyACM1), whose far
// ends (/dev/ttyGS0, /dev/ttyGS1) are read, or left unread, in the guest.
// The steps run ktq51-flash and the window's own code in the guest, pull the
// adapter out and plug it in through QEMU's QMP socket, and print one PASS
// or FAIL line each.
//
//   driver_harness --kernel VMLINUZ --initrd INITRD --data DIR --scratch DIR
//
// Each line is read at kReadBytesPerSecond behind a full terminal, so that
// the guest's driver can send no faster than that and holds a real queue
// meanwhile, as it does in front of a real line.
// A stalled board cannot be shown on QEMU's emulated adapter (it stops the
// whole guest while its terminal takes nothing); the gadget's unread port
// shows it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "line_checks.h"
#include "pty_pair.h"
#include "test_data.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kStreamBytes = 16384;
constexpr double kReadBytesPerSecond = 16384;
constexpr const char* kAdapter = "/dev/ttyUSB0";
constexpr const char* kUart = "/dev/ttyS1";
// The gadget's two ports, as its host side sees them: the first one's far
// end is read in the guest, the second one's is never opened, so that
// nothing takes what is sent there.
constexpr const char* kAcm = "/dev/ttyACM0";
constexpr const char* kStalledAcm = "/dev/ttyACM1";
constexpr const char* kGuestFile = "/guest/data/sdcc_blink.hex";
constexpr const char* kFlash = "ktq51-flash --port /dev/ttyUSB0 --yes /guest/data/sdcc_blink.hex </dev/null";

struct Paths {
    std::string kernel, initrd, data, scratch;
} paths;

// What the board must receive for sdcc_blink.hex: its memory window as
// srec_cat wrote it, each byte as v 00 00 00.
std::vector<std::uint8_t> ExpectedStream() {
    const std::string window = ReadWholeFile(paths.data + "/sdcc_blink.window.bin");
    std::vector<std::uint8_t> stream(kStreamBytes, 0);
    for (std::size_t i = 0; i < window.size() && 4 * i < stream.size(); ++i) {
        stream[4 * i] = static_cast<std::uint8_t>(window[i]);
    }
    return stream;
}

// The far end of one board line: a pseudo-terminal whose slave QEMU uses as
// the line's character device. The terminal is kept full, so that QEMU can
// write into it only what a thread frees by reading, and that thread reads
// at kReadBytesPerSecond: the kernel then holds the guest's driver to that
// rate, however late this program's threads run, and the driver holds a
// real queue meanwhile. Before each transfer the terminal is filled with
// kFillByte (in QEMU's own packet size, so that no room is left for a
// packet); the filling comes first and is not counted as received.
class HostLine {
public:
    HostLine() {
        char name[256] = {};
        // Returns 0 upon success, -1 upon failure.
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        path_ = name;
        for (const int fd : {master_, slave_}) {
            termios t{};
            ::tcgetattr(fd, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        reader_ = std::thread([this] { Read(); });
    }
    ~HostLine() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        reader_.join();
        ::close(master_);
        ::close(slave_);
    }
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    const std::string& path() const { return path_; }

    // Starts a new transfer: waits until the line has been quiet for a
    // moment, forgets what came, and fills the terminal.
    void Expect() {
        WaitQuiet(300ms);
        std::unique_lock lock(mutex_);
        pause_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return paused_; });
        const std::size_t filled = FillTerminal(slave_, kFillByte);
        toDrop_ = filled;
        taken_ = 0;
        data_.clear();
        holdAfter_.reset();
        held_ = false;
        pause_ = false;
        changed_.notify_all();
    }

    // The stream bytes that arrived since Expect.
    std::vector<std::uint8_t> Received() const {
        std::lock_guard lock(mutex_);
        return data_;
    }
    std::size_t Count() const {
        std::lock_guard lock(mutex_);
        return data_.size();
    }
    // Everything read since Expect, the filling included: about what the
    // guest has sent, as QEMU keeps the terminal full.
    std::size_t Taken() const {
        std::lock_guard lock(mutex_);
        return taken_;
    }

    bool WaitForCount(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return data_.size() >= count; });
    }

    // Waits (at most 30 s) until nothing has arrived for `quiet`.
    void WaitQuiet(std::chrono::milliseconds quiet) {
        const auto deadline = Clock::now() + 30s;
        while (Clock::now() < deadline) {
            Clock::time_point last;
            {
                std::lock_guard lock(mutex_);
                last = lastArrival_;
            }
            if (Clock::now() - last >= quiet) return;
            std::this_thread::sleep_for(50ms);
        }
    }

    // Stops reading (the guest's driver then waits) or reads on at the rate.
    void Hold(bool hold) {
        {
            std::lock_guard lock(mutex_);
            held_ = hold;
        }
        changed_.notify_all();
    }
    bool Held() const {
        std::lock_guard lock(mutex_);
        return held_;
    }
    // Stops reading once the guest has sent about `count` bytes of this
    // transfer: as QEMU keeps the terminal full, that is when as much has
    // been read, the filling included. The point is kept however late the
    // caller looks.
    void HoldAfter(std::size_t count) {
        std::lock_guard lock(mutex_);
        holdAfter_ = count;
    }

    // The terminal's settings, as QEMU set them for the guest's driver.
    termios Settings() const {
        termios t{};
        ::tcgetattr(slave_, &t);
        return t;
    }
    void SetSpeed(speed_t speed) {
        termios t = Settings();
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        ::tcsetattr(slave_, TCSANOW, &t);
    }

private:
    void Read() {
        std::uint8_t buffer[256];
        Clock::time_point due = Clock::now();
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                if (pause_ || held_) {
                    while (!stop_ && (pause_ || held_)) {
                        paused_ = pause_;
                        changed_.notify_all();
                        changed_.wait(lock);
                    }
                    paused_ = false;
                    due = Clock::now();
                }
                if (stop_) return;
            }
            pollfd p{master_, POLLIN, 0};
            // Returns the count of ready descriptors, 0 on time-out, -1 with errno set.
            if (::poll(&p, 1, 20) <= 0) continue;
            // Returns the count read, or -1 with errno set.
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) continue;
            {
                std::lock_guard lock(mutex_);
                const std::size_t drop = std::min(toDrop_, static_cast<std::size_t>(n));
                toDrop_ -= drop;
                taken_ += static_cast<std::size_t>(n);
                data_.insert(data_.end(), buffer + drop, buffer + n);
                lastArrival_ = Clock::now();
                if (holdAfter_ && taken_ >= *holdAfter_) {
                    held_ = true;
                    holdAfter_.reset();
                }
            }
            changed_.notify_all();
            // No faster than the rate, however much is waiting.
            due = std::max(due, Clock::now() - 100ms) +
                  std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(n / kReadBytesPerSecond));
            std::this_thread::sleep_until(due);
        }
    }

    static constexpr std::uint8_t kFillByte = 0x55;
    int master_ = -1, slave_ = -1;
    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint8_t> data_;
    std::size_t toDrop_ = 0, taken_ = 0;
    Clock::time_point lastArrival_{};
    bool pause_ = false, paused_ = false, held_ = false, stop_ = false;
    std::optional<std::size_t> holdAfter_;
    std::thread reader_;
};

// A client of a Unix socket that QEMU serves, read a line at a time.
class SocketLines {
public:
    ~SocketLines() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Connect(const std::string& path, std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        while (Clock::now() < deadline) {
            // Returns the descriptor, or -1 with errno set.
            fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            // Returns 0 upon success, -1 upon failure.
            if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
            if (fd_ >= 0) ::close(fd_);
            fd_ = -1;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    void Send(const std::string& text) {
        std::size_t sent = 0;
        while (sent < text.size()) {
            // Returns the count sent, or -1 with errno set.
            const ssize_t n = ::send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) throw std::runtime_error("the guest's socket closed");
            sent += static_cast<std::size_t>(n);
        }
    }
    // The next line without its line end, or nothing by `deadline`.
    std::optional<std::string> ReadLine(Clock::time_point deadline) {
        for (;;) {
            if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return std::nullopt;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::min<long long>(left, 20))) <= 0) continue;
            char chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) throw std::runtime_error("the guest's socket closed");
            buffer_.append(chunk, static_cast<std::size_t>(n));
            if (transcript_) transcript_->write(chunk, n).flush();
        }
    }
    void Transcript(const std::string& path) { transcript_ = std::make_unique<std::ofstream>(path, std::ios::binary); }

private:
    int fd_ = -1;
    std::string buffer_;
    std::unique_ptr<std::ofstream> transcript_;
};

// The guest: QEMU, its console (the guest's ttyS0, where the guest's shell
// takes commands) and its QMP socket (to pull the adapter out and plug it in).
class Guest {
public:
    struct Result {
        int status = -1;  // -1: the command did not end in time
        std::string output;
    };

    Guest(const HostLine& adapter, const HostLine& uart, const std::vector<std::unique_ptr<HostLine>>& hubLines) {
        const std::string console = paths.scratch + "/console.sock", qmp = paths.scratch + "/qmp.sock";
        const std::vector<std::string> args = {
            "qemu-system-x86_64", "-accel", "tcg", "-m", "2048", "-smp", "2", "-nodefaults", "-no-user-config",
            "-display", "none", "-no-reboot",
            "-kernel", paths.kernel, "-initrd", paths.initrd,
            // no_timer_check: under software emulation on a busy host the
            // kernel's check of the timer interrupt can fail and panic.
            "-append", "console=ttyS0 quiet loglevel=3 rdinit=/init panic=-1 no_timer_check",
            // ttyS0: the console; ttyS1: the second UART, a board line.
            "-chardev", "socket,id=console,path=" + console + ",server=on,wait=off", "-serial", "chardev:console",
            "-chardev", "serial,id=uart,path=" + uart.path(), "-serial", "chardev:uart",
            // The FTDI adapter on an xhci bus, the other board line, on the
            // bus's port 2: port 1 is for the class set's hub.
            "-device", "qemu-xhci,id=xhci",
            "-chardev", "serial,id=ftdi,path=" + adapter.path(),
            "-device", "usb-serial,bus=xhci.0,port=2,chardev=ftdi,id=adapter",
            "-qmp", "unix:" + qmp + ",server=on,wait=off",
            // This machine's root, read only, for the browser's step.
            "-virtfs", "local,path=/,mount_tag=host,security_model=none,readonly=on"};
        std::vector<std::string> all = args;
        for (std::size_t n = 1; n <= hubLines.size(); ++n) {
            all.insert(all.end(), {"-chardev", "serial,id=hub" + std::to_string(n) + ",path=" + hubLines[n - 1]->path()});
        }
        std::vector<char*> argv;
        for (const std::string& a : all) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const std::string log = paths.scratch + "/qemu.log";
        // Returns the child's id to the parent, 0 to the child, -1 upon failure.
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            // QEMU ends with this harness, however the harness ends.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        console_.Transcript(paths.scratch + "/console.log");
        if (!console_.Connect(console, 20s)) throw std::runtime_error("no console socket: " + ReadWholeFile(log));
        if (!qmp_.Connect(qmp, 20s)) throw std::runtime_error("no QMP socket: " + ReadWholeFile(log));
        const auto deadline = Clock::now() + 30s;
        if (!qmp_.ReadLine(deadline)) throw std::runtime_error("QMP did not greet");
        Qmp(R"({"execute":"qmp_capabilities"})");
        // The guest boots in about 15 seconds under TCG; allow for a slow
        // machine. A guest that dies while booting (a kernel panic ends
        // QEMU, as -no-reboot says) fails at once.
        for (const auto bootDeadline = Clock::now() + 180s;;) {
            std::optional<std::string> line;
            try {
                line = console_.ReadLine(std::min(bootDeadline, Clock::now() + 500ms));
            } catch (const std::runtime_error&) {
            }
            if (line && *line == "@@ready") break;
            int status = 0;
            // Returns the child's id once it has ended, 0 while it runs.
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                throw std::runtime_error("the guest died while booting (QEMU ended with status " +
                                         std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                                         "); its console: " + paths.scratch + "/console.log");
            }
            if (Clock::now() >= bootDeadline) {
                throw std::runtime_error("the guest did not start within 180 s; its console: " + paths.scratch +
                                         "/console.log");
            }
        }
    }
    ~Guest() {
        if (pid_ < 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    Guest(const Guest&) = delete;
    Guest& operator=(const Guest&) = delete;

    // Runs `command` in the guest's shell, within `limit`. `onLine` sees each
    // line of its output as it comes; `tick` runs every few milliseconds.
    Result Run(const std::string& command, std::chrono::seconds limit,
               const std::function<void(const std::string&)>& onLine = {},
               const std::function<void()>& tick = {}) {
        console_.Send(command + "\n");
        Result result;
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            const std::optional<std::string> line = console_.ReadLine(std::min(deadline, Clock::now() + 20ms));
            if (tick) tick();
            if (!line) continue;
            if (line->starts_with("@@done ")) {
                result.status = std::stoi(line->substr(7));
                return result;
            }
            if (line->empty()) continue;
            result.output += *line + '\n';
            if (onLine) onLine(*line);
        }
        return result;
    }

    // A line to the standard input of the command that is running.
    void Answer(const std::string& line) { console_.Send(line + "\n"); }

    // Pulls the adapter `id` out; returns once QEMU says it is gone. While
    // the adapter sends, QEMU's main loop, which carries out QMP commands,
    // gets its turn only between two of the adapter's packets, and may wait
    // long for it: so the line is held first, until the adapter waits for
    // it, the command is sent, and then the line is let go, and the command
    // is carried out right after the packet under way. Without a line, the
    // device (an idle one, the hub with all behind it) just goes.
    void Unplug(HostLine* line, const std::string& id = "adapter") {
        const std::string command = R"({"execute":"device_del","arguments":{"id":")" + id + R"("}})";
        deleting_ = id;
        deleted_ = false;
        if (line != nullptr) line->Hold(true);
        std::this_thread::sleep_for(50ms);
        qmp_.Send(command + "\n");
        std::this_thread::sleep_for(20ms);
        if (line != nullptr) line->Hold(false);
        AwaitAnswer(command);
        for (const auto deadline = Clock::now() + 20s; !deleted_;) {
            const std::optional<std::string> event = qmp_.ReadLine(deadline);
            if (!event) throw std::runtime_error("QEMU did not remove " + id);
            NoteEvent(*event);
        }
    }
    void Unplug(HostLine& line) { Unplug(&line); }
    // Plugs in the FTDI adapter (on the bus's port 2), the hub (port 1), or
    // the hub's adapter "aN" on its port N, led to the host's line N.
    void Plug(const std::string& id = "adapter") {
        std::string arguments;
        if (id == "adapter") {
            arguments = R"("driver":"usb-serial","bus":"xhci.0","port":"2","chardev":"ftdi")";
        } else if (id == "hub") {
            arguments = R"("driver":"usb-hub","bus":"xhci.0","port":"1")";
        } else {
            const std::string n = id.substr(1);
            arguments = R"("driver":"usb-serial","bus":"xhci.0","port":"1.)" + n + R"(","chardev":"hub)" + n + "\"";
        }
        Qmp(R"({"execute":"device_add","arguments":{)" + arguments + R"(,"id":")" + id + R"("}})");
    }

private:
    // Runs one QMP command; events that come before its answer are noted.
    void Qmp(const std::string& command) {
        qmp_.Send(command + "\n");
        AwaitAnswer(command);
    }
    void AwaitAnswer(const std::string& command) {
        for (const auto deadline = Clock::now() + 20s;;) {
            const std::optional<std::string> line = qmp_.ReadLine(deadline);
            if (!line) throw std::runtime_error("QMP did not answer " + command);
            if (line->find("\"return\"") != std::string::npos) return;
            if (line->find("\"error\"") != std::string::npos) throw std::runtime_error("QMP: " + *line);
            NoteEvent(*line);
        }
    }
    void NoteEvent(const std::string& line) {
        deleted_ = deleted_ || (line.find("\"DEVICE_DELETED\"") != std::string::npos &&
                                line.find("\"device\": \"" + deleting_ + "\"") != std::string::npos);
    }

    pid_t pid_ = -1;
    SocketLines console_, qmp_;
    std::string deleting_;
    bool deleted_ = false;
};

HostLine* adapter = nullptr;
HostLine* uart = nullptr;
// The lines of the class set's adapters, behind the hub's ports 1..8.
constexpr int kHubPorts = 8;
std::vector<std::unique_ptr<HostLine>>* hub = nullptr;
Guest* guest = nullptr;

// ktq51-flash on `device` with `options`, its output through a pipe (the
// console is a terminal, and the progress would be redrawn in place there),
// ending with its exit status.
std::string FlashWith(const std::string& arguments) {
    return "{ ktq51-flash --yes " + arguments + " " + kGuestFile +
           " </dev/null; echo $? >/tmp/status; } 2>&1 | cat; (exit $(cat /tmp/status))";
}
std::string FlashCommand(const std::string& device, const std::string& options = "") {
    return FlashWith("--port " + device + (options.empty() ? "" : " ") + options);
}

// The count the failure message gives ("Chyba pri odesílání" and then
// "Odesláno N z 16384 bajtů: ..."), or -1.
long SentCount(const std::string& output) {
    const std::string marker = "Chyba pri odesílání\nOdesláno ";
    const std::size_t at = output.find(marker);
    return at == std::string::npos ? -1 : std::strtol(output.c_str() + at + marker.size(), nullptr, 10);
}

// Whether exactly the stream of sdcc_blink.hex arrived at `line`, and nothing after it.
testing::AssertionResult ExactStreamArrived(HostLine& line) {
    line.WaitForCount(kStreamBytes, 30s);
    line.WaitQuiet(300ms);
    const std::vector<std::uint8_t> received = line.Received(), expected = ExpectedStream();
    if (received == expected) return testing::AssertionSuccess();
    std::size_t differing = 0;
    for (std::size_t i = 0; i < std::min(received.size(), expected.size()); ++i) differing += received[i] != expected[i];
    return testing::AssertionFailure() << received.size() << " bytes arrived, " << differing
                                       << " of them differ from the stream";
}

// ktq51-flash sends the SDCC-made file through `device`; the host receives
// exactly its stream, on a terminal the guest's driver set to 19200 8N1.
void ExpectExactFlash(HostLine& line, const std::string& device) {
    line.SetSpeed(B9600);  // so that 19200 afterwards is the driver's doing
    line.Expect();
    const Guest::Result r = guest->Run(FlashCommand(device), 60s);
    // Success may be said only once the driver's queue is empty, when QEMU
    // has taken the whole stream: the bytes the driver held take a quarter
    // of a second at this line's rate.
    const std::size_t whenDone = line.Taken();
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_GE(whenDone + 512, kStreamBytes) << "success was said with bytes still queued";
    EXPECT_TRUE(ExactStreamArrived(line)) << device;
    EXPECT_TRUE(Is19200EightNoneOne(LineOf(line.Settings()))) << device;
    std::printf("   %s: ktq51-flash exited %d with %zu bytes taken by the line, %zu arrived, host terminal %s\n",
                device.c_str(), r.status, whenDone, line.Count(),
                Is19200EightNoneOne(LineOf(line.Settings())) ? "19200 8N1" : "NOT 19200 8N1");
}

// Plugs the adapter in again, once the guest's kernel has removed it; it
// must come back under its old name.
void PlugBackIn() {
    ASSERT_EQ(guest->Run(std::string("vanishes ") + kAdapter, 60s).status, 0) << "the adapter was not removed";
    guest->Plug();
    const Guest::Result back =
        guest->Run(std::string("appears ") + kAdapter + " && ! [ -e /dev/ttyUSB1 ]", 60s);
    ASSERT_EQ(back.status, 0) << "the adapter did not come back as " << kAdapter;
}

// The window's tests in the guest, on COM1 = `com1`.
std::string WindowCommand(const std::string& filter, const std::string& com1 = kAdapter) {
    return "KTQ51_COM1=" + com1 +
           " KTQ51_COM2=/nonexistent/com2 KTQ51_COM3=/nonexistent/com3 KTQ51_COM4=/nonexistent/com4"
           " KTQ51_COM5=/nonexistent/com5 KTQ51_GUEST_DATA=/guest/data QT_QPA_PLATFORM=offscreen"
           " guest_window_tests --gtest_filter=" + filter;
}

// Carries out what a test in the guest asks of the host; returns the answer.
// A "pull-after N" arms `pullAt`: the adapter goes once N bytes were taken.
std::string HostAnswer(const std::string& request, std::optional<std::size_t>& pullAt) {
    if (request == "expect") {
        adapter->Expect();
        return "ok";
    }
    if (request == "stream") {
        const testing::AssertionResult exact = ExactStreamArrived(*adapter);
        return exact ? "ok" : std::string("fail: ") + exact.message();
    }
    if (request.starts_with("pull-after ")) {
        adapter->Expect();
        pullAt = std::stoul(request.substr(11));
        adapter->HoldAfter(*pullAt);
        return "ok";
    }
    if (request == "pull") {
        guest->Unplug(*adapter);
        return "ok";
    }
    if (request == "plug") {
        guest->Plug();
        return "ok";
    }
    return "fail: unknown request " + request;
}

// One PASS or FAIL line per step, with the failures' messages, and a count.
class StepPrinter : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override { std::printf("-- %s\n", info.name()); }
    void OnTestPartResult(const testing::TestPartResult& part) override {
        if (part.failed()) std::printf("   %s:%d: %s\n", part.file_name(), part.line_number(), part.summary());
    }
    void OnTestEnd(const testing::TestInfo& info) override {
        std::printf("%s %s\n", info.result()->Passed() ? "PASS" : "FAIL", info.name());
        std::fflush(stdout);
    }
    void OnTestProgramEnd(const testing::UnitTest& unit) override {
        std::printf("%d passed, %d failed\n", unit.successful_test_count(), unit.failed_test_count());
    }
};

// 1. ktq51-flash through each real driver.
TEST(Drivers, FlashSendsTheStreamThroughFtdiSio) {
    ExpectExactFlash(*adapter, kAdapter);
}

TEST(Drivers, FlashSendsTheStreamThrough8250) {
    ExpectExactFlash(*uart, kUart);
}

// 2. The adapter pulled out mid-transfer at three points; plugged in again,
// it is /dev/ttyUSB0 again and the next transfer is exact. The guest's
// driver holds up to about 4 KB more than has arrived here.
TEST(Drivers, FlashSurvivesTheAdapterPulledOutMidTransfer) {
    for (const std::size_t point : {1024u, 5120u, 9216u}) {
        adapter->Expect();
        adapter->HoldAfter(point);
        bool pulled = false;
        std::size_t heldAt = 0, removedAt = 0;
        const Guest::Result r = guest->Run(FlashCommand(kAdapter), 60s, {}, [&] {
            if (!pulled && adapter->Held()) {
                heldAt = adapter->Taken();
                guest->Unplug(*adapter);
                removedAt = adapter->Taken();
                pulled = true;
            }
        });
        adapter->WaitQuiet(500ms);
        const std::size_t arrived = adapter->Count();
        const long claimed = SentCount(r.output);
        std::printf("   pulled after %zu bytes (held at %zu taken, removed at %zu): exit %d, says %ld bytes went out, "
                    "%zu arrived\n",
                    point, heldAt, removedAt, r.status, claimed, arrived);
        EXPECT_TRUE(pulled);
        EXPECT_EQ(r.status, 3) << r.output;
        EXPECT_NE(r.output.find("Zařízení zmizelo"), std::string::npos) << r.output;
        if (r.status == 0) {
            EXPECT_EQ(arrived, kStreamBytes) << "success without every byte at the host";
        }
        EXPECT_GE(claimed, 0) << r.output;
        EXPECT_LE(claimed, static_cast<long>(arrived)) << "more counted as sent than arrived";
        if (pulled) {
            ASSERT_NO_FATAL_FAILURE(PlugBackIn());
        }
        ExpectExactFlash(*adapter, kAdapter);
    }
}

// 3. The window's own code through the adapter, with an unplug mid-transfer.
TEST(Drivers, WindowProgramsThroughTheAdapterAndSurvivesAnUnplug) {
    std::optional<std::size_t> pullAt;
    const Guest::Result r = guest->Run(
        WindowCommand("GuestAdapter.*-GuestAdapter.Menu*"), 300s,
        [&](const std::string& line) {
            if (line.starts_with("@@host ")) guest->Answer(HostAnswer(line.substr(7), pullAt));
        },
        [&] {
            if (pullAt && adapter->Held()) {
                const std::size_t at = adapter->Taken();
                guest->Unplug(*adapter);
                std::printf("   pulled after %zu bytes taken; %zu when QEMU had removed it\n", at, adapter->Taken());
                pullAt.reset();
            }
        });
    EXPECT_EQ(r.status, 0) << r.output;
    const std::size_t at = r.output.find("window-transfer-seconds=");
    std::printf("   guest_window_tests exited %d; Programuj from Ano to the result box took %s s\n", r.status,
                at == std::string::npos ? "?" : r.output.substr(at + 24, r.output.find('\n', at) - at - 24).c_str());
}

// The ports the guest has, listed by ktq51-flash: the adapter with its USB
// details, the UARTs with hardware, not the built-in ports without; the
// adapter goes from the list when it is pulled out and comes back with it.
// And the window's menu offers the adapter as a port of its own.
TEST(Drivers, ListingFindsTheAdapterAndTheUartsAndTheMenuOffersIt) {
    auto list = [] { return guest->Run("ktq51-flash --list", 60s).output; };
    const std::string before = list();
    std::printf("%s", before.c_str());
    EXPECT_NE(before.find("/dev/ttyUSB0\tQEMU USB SERIAL\t0403:6001\t"), std::string::npos) << before;
    EXPECT_NE(before.find("/dev/ttyS1\t"), std::string::npos) << before;
    EXPECT_EQ(before.find("/dev/ttyS2"), std::string::npos) << "a port without hardware is listed";
    EXPECT_EQ(before.find("/dev/ttyS3"), std::string::npos) << "a port without hardware is listed";
    EXPECT_LT(before.find("/dev/ttyUSB0"), before.find("/dev/ttyS1")) << "the adapter comes first";

    guest->Unplug(*adapter);
    ASSERT_EQ(guest->Run(std::string("vanishes ") + kAdapter, 60s).status, 0);
    EXPECT_EQ(list().find("/dev/ttyUSB"), std::string::npos) << "the pulled-out adapter is still listed";
    PlugBackIn();
    EXPECT_NE(list().find("/dev/ttyUSB0\tQEMU USB SERIAL\t0403:6001\t"), std::string::npos);

    std::optional<std::size_t> none;
    const Guest::Result r = guest->Run(WindowCommand("GuestAdapter.Menu*", kUart), 300s, [&](const std::string& line) {
        if (line.starts_with("@@host ")) guest->Answer(HostAnswer(line.substr(7), none));
    });
    EXPECT_EQ(r.status, 0) << r.output;
}

// 4. A second sender on the adapter while the first is sending is refused,
// naming the first; the first still delivers exactly. The guest runs as
// root, so only the lock refuses the second: the exclusive mode lets root
// through. The second starts once the first holds its lock (its own, by
// its PID: another program may hold one too).
TEST(Drivers, SecondSenderOnTheSameAdapterIsRefused) {
    // The first is stopped once it holds its lock, so that the second starts
    // while the port is the first's; the first then goes on and ends its
    // transfer. Under emulation the first may have ended before its lock was
    // seen: the step is only valid while it still holds it, so it is tried
    // again (at most three times) until it did.
    Guest::Result r;
    for (int attempt = 0; attempt < 3; ++attempt) {
        adapter->Expect();
        r = guest->Run(
            std::string(kFlash) + " >/tmp/first 2>&1 & first=$!; " +
                "for _ in $(seq 200); do grep -q \"FLOCK .* $first \" /proc/locks && break; sleep 0.05; done; " +
                "kill -STOP $first; grep -q \"FLOCK .* $first \" /proc/locks && echo overlap; " + kFlash +
                " >/tmp/second 2>&1; echo \"second=$?\"; echo \"first pid=$first\"; " +
                "kill -CONT $first; wait $first; echo \"first=$?\"; cat /tmp/second",
            60s);
        if (r.output.find("overlap\n") != std::string::npos) break;
        adapter->WaitQuiet(500ms);
    }
    std::printf("%s", r.output.c_str());
    const std::size_t at = r.output.find("first pid=");
    const std::string pid = at == std::string::npos ? "?" : r.output.substr(at + 10, r.output.find('\n', at) - at - 10);
    EXPECT_NE(r.output.find("second=2"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("port používá jiný program"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("má otevřený program ktq51-flash (PID " + pid + ")"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("first=0"), std::string::npos) << r.output;
    EXPECT_TRUE(ExactStreamArrived(*adapter));
}

// 5. A UART whose clock cannot make 19200 baud: the 8250 driver keeps its
// old rate, and the program says the line did not take the speed.
TEST(Drivers, UartThatCannotRun19200IsALineErrorNamingTheSpeed) {
    uart->Expect();
    const Guest::Result r = guest->Run(std::string("( set-baud-base ") + kUart + " 9600 && " + FlashCommand(kUart) +
                                           "; status=$?; set-baud-base " + kUart + " 115200; exit $status )",
                                       60s);
    std::printf("%s", r.output.c_str());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(std::string("Chyba linky\n") + kUart + ": nastavení linky se neujalo (rychlost"),
              std::string::npos)
        << r.output;
    uart->WaitQuiet(300ms);
    EXPECT_EQ(uart->Count(), 0u) << "bytes were sent on a line that is not set up";
}

// A built-in port that the kernel lists with no UART behind it (the guest's
// ttyS2): it is named as such, with the devices there are, not as a bare
// input/output error.
TEST(Drivers, BuiltInPortWithoutHardwareIsNamedSo) {
    const Guest::Result r = guest->Run(FlashCommand("/dev/ttyS2"), 60s);
    std::printf("%s", r.output.c_str());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("Za tímto portem není žádný obvod"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("/dev/ttyUSB0"), std::string::npos) << "the adapter is not offered";
}

// 6. cdc_acm, the driver of boards with their own USB and of many newer
// adapters: exactly the stream arrives at the gadget's far end, read in the
// guest and compared there with what --stream-out writes for the file.
TEST(Drivers, FlashSendsTheStreamThroughCdcAcm) {
    const Guest::Result r = guest->Run(
        std::string("ktq51-flash --stream-out /tmp/expected.bin ") + kGuestFile +
            " && { { stty raw -echo && timeout 30 head -c 16384 >/tmp/arrived; } </dev/ttyGS0 & } && sleep 1 && " +
            FlashCommand(kAcm) + " && wait && cmp /tmp/expected.bin /tmp/arrived && echo exact",
        60s);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Programovani proběhlo v pořádku\nexact"), std::string::npos) << r.output;
}

// The gadget is one USB device with two ports, whose interfaces have the
// same name: the listing tells them apart by their interfaces' numbers, and
// --port auto, with no other adapter plugged in, says that the one adapter
// has two ports instead of taking one of them.
TEST(Drivers, TwoPortsOfOneAdapterAreToldApartAndAutoTakesNeither) {
    const std::string listed = guest->Run("ktq51-flash --list", 60s).output;
    for (const auto& [port, interface] : {std::pair{kAcm, "0"}, std::pair{kStalledAcm, "2"}}) {
        const std::string line = std::string(port) + "\tGadget Serial v2.4, rozhraní " + interface + "\t0525:a4a7\t";
        EXPECT_NE(listed.find(line), std::string::npos) << listed;
    }

    guest->Unplug(*adapter);
    ASSERT_EQ(guest->Run(std::string("vanishes ") + kAdapter, 60s).status, 0);
    const Guest::Result r = guest->Run(FlashCommand("auto"), 60s);
    std::printf("%s", r.output.c_str());  // the message and the listing
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("Připojen je jeden převodník USB, který má 2 porty"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(kStalledAcm), std::string::npos) << r.output;
    PlugBackIn();
}

// 7. A line that takes nothing (the gadget's second port, whose far end
// nobody opens; or an adapter held by flow control): the time-out is said
// when the limit is up, and the program ends at once, not after the 30 s
// that closing a tty waits for the bytes its driver holds. Ctrl+C ends it at
// once too, and the window closes after its time-out box without freezing.
TEST(Drivers, StalledCdcAcmLineLetsTheProgramGoAtOnce) {
    Clock::time_point said{};
    const auto start = Clock::now();
    const Guest::Result r = guest->Run(FlashCommand(kStalledAcm, "--timeout 9"), 120s, [&](const std::string& line) {
        if (line.starts_with("Chyba pri odesílání")) said = Clock::now();
    });
    const auto ended = Clock::now();
    EXPECT_EQ(r.status, 3) << r.output;
    ASSERT_NE(said, Clock::time_point{}) << r.output;
    EXPECT_GE(said - start, 9s) << "the time-out came before its limit";
    EXPECT_LT(ended - said, 2s) << "the program waited for the queue it had given up";

    const Guest::Result stopped = guest->Run(
        "timeout -s INT 3 ktq51-flash --port " + std::string(kStalledAcm) + " --yes " + kGuestFile + " </dev/null", 120s);
    const auto interrupted = Clock::now() - ended;
    EXPECT_LT(interrupted, 5s) << "Ctrl+C waited for the queue";
    EXPECT_EQ(guest->Run(WindowCommand("GuestStalledLine.*", kStalledAcm), 120s).status, 0);
    std::printf("   time-out said after %.1f s, the program ended %.2f s later; Ctrl+C after 3 s ended it in %.2f s\n",
                std::chrono::duration<double>(said - start).count(), std::chrono::duration<double>(ended - said).count(),
                std::chrono::duration<double>(interrupted).count());
}

// For a step that must see no other adapter: the gadget's two ports, and
// with `ftdi` the FTDI adapter, are taken away; they are back afterwards.
class TakenAway {
public:
    explicit TakenAway(bool ftdi) : ftdi_(ftdi) {
        if (ftdi_) guest->Unplug(nullptr);
        const std::string ftdiGone = ftdi_ ? " && vanishes /dev/ttyUSB0" : "";
        EXPECT_EQ(guest->Run("rmmod g_serial && vanishes /dev/ttyACM0" + ftdiGone, 60s).status, 0);
    }
    ~TakenAway() {
        guest->Run("insmod /lib/modules/g_serial.ko n_ports=2 && appears /dev/ttyACM1", 60s);
        if (ftdi_) PlugBackIn();
    }

private:
    bool ftdi_;
};

// A class set: eight adapters behind a USB hub on the bus's port 1, so that
// they are plugged in at 1-1.1 ... 1-1.8, and --all finds just the eight.
class ClassSet {
public:
    ClassSet() {
        guest->Plug("hub");
        for (int n = 1; n <= kHubPorts; ++n) guest->Plug("a" + std::to_string(n));
        EXPECT_EQ(guest->Run("appears /dev/ttyUSB" + std::to_string(kHubPorts - 1), 60s).status, 0);
    }
    ~ClassSet() {
        guest->Unplug(nullptr, "hub");
        guest->Run("vanishes /dev/ttyUSB0", 60s);
    }
    static HostLine& Line(int n) { return *(*hub)[static_cast<std::size_t>(n - 1)]; }

private:
    TakenAway others{true};

public:
    // The report's row of the board at 1-1.n.
    static std::string Row(const std::string& report, int n) {
        std::istringstream rows(report);
        for (std::string row; std::getline(rows, row);) {
            if (row.find(";1-1." + std::to_string(n) + ";") != std::string::npos) return row;
        }
        return {};
    }
};

// 9. --all programs the eight at once: each gets exactly the stream, in
// about the time of one, and the report has a row for each, by its place.
// Again with the adapter at 1-1.3 pulled out mid-run: only its row fails,
// the other seven are exact, and the status says a transfer failed.
TEST(Drivers, ClassSetProgramsEightAdaptersBehindAHubAtOnce) {
    const ClassSet set;
    for (const bool pull : {false, true}) {
        // The line of 1-1.3 last: its terminal is full, so that its board
        // takes a second or so once its transfer has begun.
        for (const int n : {1, 2, 4, 5, 6, 7, 8, 3}) ClassSet::Line(n).Expect();
        // 1-1.3 is pulled out once its port is open and this side has read
        // 2 KB more of its line: mid-transfer, however fast the others end.
        bool pulled = false;
        const auto start = Clock::now();
        const Guest::Result r = guest->Run(
            FlashWith("--all --report /tmp/set.csv"), 120s,
            [&](const std::string& line) {
                if (pull && line.starts_with("1-1.3 (") && line.find("Odesílám") != std::string::npos) {
                    ClassSet::Line(3).HoldAfter(ClassSet::Line(3).Taken() + 2048);
                }
            },
            [&] {
                if (pull && !pulled && ClassSet::Line(3).Held()) {
                    guest->Unplug(&ClassSet::Line(3), "a3");
                    pulled = true;
                }
            });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const std::string report = guest->Run("cat /tmp/set.csv; rm /tmp/set.csv", 60s).output;
        EXPECT_EQ(r.status, pull ? 3 : 0) << r.output;
        EXPECT_NE(r.output.find(pull ? "Naprogramováno 7 z 8 desek" : "Naprogramováno 8 z 8 desek"), std::string::npos)
            << r.output;
        for (int n = 1; n <= kHubPorts; ++n) {
            const bool failing = pull && n == 3;
            if (!failing) {
                EXPECT_TRUE(ExactStreamArrived(ClassSet::Line(n))) << "1-1." << n;
            }
            EXPECT_NE(ClassSet::Row(report, n).find(failing ? ";failed;" : ";ok;"), std::string::npos)
                << "1-1." << n << ":\n" << report;
        }
        std::printf("   eight boards at once%s: status %d after %.1f s\n", pull ? ", 1-1.3 pulled out" : "", r.status,
                    seconds);
        if (pull) {
            EXPECT_TRUE(pulled);
            guest->Plug("a3");
        }
    }
}

// 10. --each waits for adapters and programs each as it is plugged in:
// three added one after another each get the stream exactly once, and each
// one's report row is there as it ends. Ctrl+C then ends it, saying so,
// every row kept. --each 1 ends by itself after the fourth.
TEST(Drivers, EachProgramsAdaptersAsTheyArePluggedIn) {
    const ClassSet set;
    guest->Unplug(nullptr, "hub");
    guest->Plug("hub");
    ASSERT_EQ(guest->Run("vanishes /dev/ttyUSB0", 60s).status, 0);
    auto each = [](const std::string& count) {
        return guest->Run("ktq51-flash --each " + count + " --yes --report /tmp/each.csv " + std::string(kGuestFile) +
                              " </dev/null >/tmp/each.out 2>&1 & echo $! >/tmp/each.pid; sleep 1",
                          60s);
    };
    // The lines of the report: its header and a row per board that ended.
    auto rows = [] { return std::atoi(guest->Run("tr -cd '\\n' </tmp/each.csv | wc -c", 60s).output.c_str()); };
    ASSERT_EQ(each("4").status, 0);
    for (int n = 1; n <= 3; ++n) {
        ClassSet::Line(n).Expect();
        guest->Plug("a" + std::to_string(n));
        EXPECT_TRUE(ExactStreamArrived(ClassSet::Line(n))) << "the adapter plugged in as number " << n;
        guest->Run("sleep 0.5", 60s);
        EXPECT_EQ(rows(), n + 1) << "no row as board " << n << " ended";
    }
    Guest::Result r =
        guest->Run("kill -INT $(cat /tmp/each.pid); wait $(cat /tmp/each.pid); status=$?; cat /tmp/each.out; (exit $status)", 60s);
    EXPECT_EQ(r.status, 128 + SIGINT) << r.output;
    EXPECT_NE(r.output.find("Přerušeno."), std::string::npos) << r.output;
    EXPECT_EQ(rows(), 4) << "the interrupt lost rows";
    for (int n = 1; n <= 3; ++n) {
        ClassSet::Line(n).WaitQuiet(500ms);
        EXPECT_EQ(ClassSet::Line(n).Count(), kStreamBytes) << "1-1." << n << " was programmed more than once";
    }
    ASSERT_EQ(each("1").status, 0);
    ClassSet::Line(4).Expect();
    guest->Plug("a4");
    EXPECT_TRUE(ExactStreamArrived(ClassSet::Line(4)));
    r = guest->Run("wait $(cat /tmp/each.pid); status=$?; cat /tmp/each.out; rm /tmp/each.csv; (exit $status)", 60s);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("Naprogramováno 1 z 1 desky"), std::string::npos) << r.output;
    for (int n = 5; n <= kHubPorts; ++n) guest->Plug("a" + std::to_string(n));  // as the set's end expects them
}

// 11. An adapter found without a driver: the FTDI adapter's interface
// unbound from ftdi_sio through sysfs is still listed, with no port and
// why, and --port auto names it; bound again, it is /dev/ttyUSB0 again.
TEST(Drivers, AdapterWithoutItsDriverIsListedAndNamed) {
    const TakenAway gadget(false);
    const char* interface = "/sys/bus/usb/drivers/ftdi_sio/";
    ASSERT_EQ(guest->Run(std::string("echo 1-2:1.0 >") + interface + "unbind && vanishes /dev/ttyUSB0", 60s).status, 0);
    const std::string listed = guest->Run("ktq51-flash --list", 60s).output;
    EXPECT_NE(listed.find("-\tQEMU USB SERIAL\t0403:6001\t"), std::string::npos) << listed;
    EXPECT_NE(listed.find("\t1-2\tje připojen, ale ovladač ftdi_sio ho nepřevzal."), std::string::npos) << listed;
    const Guest::Result r = guest->Run(FlashCommand("auto"), 60s);
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("Převodník FTDI (0403:6001) je připojen, ale ovladač ftdi_sio ho nepřevzal"),
              std::string::npos)
        << r.output;
    ASSERT_EQ(guest->Run(std::string("echo 1-2:1.0 >") + interface + "bind && appears /dev/ttyUSB0", 60s).status, 0);
    ExpectExactFlash(*adapter, kAdapter);
}

// 12. Another program that has the port open (cat, which takes no lock;
// the guest runs as root, which the exclusive mode lets through):
// the transfer is refused before anything is sent, naming the program and
// its process ID, and the line's settings are exactly as that program had
// them; once it has ended, the transfer is exact.
TEST(Drivers, PortOpenInAnotherProgramIsRefusedNamingIt) {
    adapter->Expect();
    const Guest::Result r = guest->Run(
        // 9600 cooked, as a student's serial monitor may have left it; VMIN
        // 1, so that cat's read waits.
        std::string("stty -F ") + kAdapter + " 9600 sane min 1; cat " + kAdapter +
            " >/dev/null & holder=$!; sleep 0.5; echo holder=$holder; before=$(stty -F " + kAdapter + " -g); " +
            FlashCommand(kAdapter) + "; status=$?; [ \"$(stty -F " + kAdapter +
            " -g)\" = \"$before\" ] && echo settings unchanged; kill $holder; wait $holder; (exit $status)",
        60s);
    EXPECT_NE(r.output.find("settings unchanged"), std::string::npos) << "the refused port was set up:\n" << r.output;
    const std::size_t at = r.output.find("holder=");
    const std::string pid = at == std::string::npos ? "?" : r.output.substr(at + 7, r.output.find('\n', at) - at - 7);
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find(std::string("Port ") + kAdapter + " má otevřený program cat (PID " + pid + ")"),
              std::string::npos)
        << r.output;
    adapter->WaitQuiet(500ms);
    EXPECT_EQ(adapter->Count(), 0u) << "bytes went to a line that another program holds";
    ExpectExactFlash(*adapter, kAdapter);
}

// 13. Devices their real drivers refuse, made by a configfs gadget with a
// vendor-specific serial function on the second dummy controller: as
// 1a86:7523, ch341 takes it and makes no port; as 067b:2303, pl2303 refuses
// it at probe; both are listed with why, and --port auto names them. As
// 10c4:ea60, cp210x makes a port whose open fails, which the message puts
// down to the adapter's driver.
TEST(Drivers, AdaptersTheirDriversRefuseAreNamed) {
    const TakenAway others(true);
    const std::string gadget = "G=/sys/kernel/config/usb_gadget/refused; ";
    ASSERT_EQ(guest->Run(gadget + "mkdir $G && cd $G && mkdir -p strings/0x409 configs/c.1 functions/gser.0 && "
                                  "echo USB2.0-Serial > strings/0x409/product && ln -s functions/gser.0 configs/c.1/; cd /",
                         60s)
                  .status,
              0);
    auto become = [&](const char* vendor, const char* product) {
        guest->Run(gadget + "echo '' > $G/UDC; sleep 0.5; echo 0x" + vendor + " > $G/idVendor; echo 0x" + product +
                       " > $G/idProduct; echo dummy_udc.1 > $G/UDC; sleep 2",
                   60s);
    };
    const struct {
        const char *vendor, *product, *named;
    } refused[] = {{"1a86", "7523", "Převodník CH340 (1a86:7523) je připojen, ale ovladač ch341 ho odmítl: port nevytvořil"},
                   {"067b", "2303", "Převodník PL2303 (067b:2303) je připojen, ale ovladač pl2303 ho nepřevzal"}};
    for (const auto& device : refused) {
        become(device.vendor, device.product);
        const std::string listed = guest->Run("ktq51-flash --list", 60s).output;
        const Guest::Result r = guest->Run(FlashCommand("auto"), 60s);
        std::printf("%s", r.output.c_str());
        EXPECT_NE(listed.find(std::string("\t") + device.vendor + ":" + device.product + "\t"), std::string::npos) << listed;
        EXPECT_EQ(r.status, 2) << r.output;
        EXPECT_NE(r.output.find(device.named), std::string::npos) << r.output;
    }
    become("10c4", "ea60");
    const Guest::Result r = guest->Run(FlashCommand("/dev/ttyUSB0"), 60s);
    std::printf("%s", r.output.c_str());
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("Ovladač převodníku port odmítl otevřít"), std::string::npos) << r.output;
    guest->Run(gadget + "echo '' > $G/UDC; rm $G/configs/c.1/gser.0; rmdir $G/configs/c.1 $G/functions/gser.0 "
                        "$G/strings/0x409 $G",
               60s);
}

// 16. The page in the browser, on the browser's own Web Serial and the
// guest's ftdi_sio: Debian's Chromium, run in the guest over this machine's
// root (tests/guest/browser-step), takes the adapter that the school's
// policy grants, with no chooser, and the exact stream reaches the host.
// ktq51-flash first, through the same adapter, for the time it takes.
TEST(Drivers, PageProgramsThroughTheBrowsersOwnWebSerial) {
    const std::string top = std::filesystem::absolute(paths.data).parent_path().parent_path().string();
    const auto flashStart = Clock::now();
    ExpectExactFlash(*adapter, kAdapter);
    const double flashSeconds = std::chrono::duration<double>(Clock::now() - flashStart).count();
    adapter->Expect();
    // What the line had taken when the page said it was done: success only
    // once the browser reports the port drained.
    std::optional<std::size_t> whenDone;
    const Guest::Result r = guest->Run("browser-step " + top, 600s, [&](const std::string& line) {
        if (line.starts_with("page-transfer-seconds=")) whenDone = adapter->Taken();
    });
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("page-adapter=Port: Převodník FTDI (0403:6001)"), std::string::npos) << r.output;
    ASSERT_TRUE(whenDone.has_value()) << r.output;
    EXPECT_GE(*whenDone + 512, kStreamBytes) << "the page said done with bytes still queued";
    EXPECT_TRUE(ExactStreamArrived(*adapter)) << "through the page";
    const std::size_t at = r.output.find("page-transfer-seconds=");
    std::printf("   ktq51-flash took %.1f s with its start; the page's transfer (Ano to the result box) %s s\n",
                flashSeconds,
                at == std::string::npos ? "?" : r.output.substr(at + 22, r.output.find('\n', at) - at - 22).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--kernel") paths.kernel = value;
        else if (option == "--initrd") paths.initrd = value;
        else if (option == "--data") paths.data = value;
        else if (option == "--scratch") paths.scratch = value;
    }
    if (paths.kernel.empty() || paths.initrd.empty() || paths.data.empty() || paths.scratch.empty()) {
        std::fprintf(stderr, "usage: driver_harness --kernel VMLINUZ --initrd INITRD --data DIR --scratch DIR\n");
        return 2;
    }
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new StepPrinter);

    HostLine adapterLine, uartLine;
    adapter = &adapterLine;
    uart = &uartLine;
    std::vector<std::unique_ptr<HostLine>> hubLines;
    for (int n = 0; n < kHubPorts; ++n) hubLines.push_back(std::make_unique<HostLine>());
    hub = &hubLines;
    const auto started = Clock::now();
    try {
        Guest booted(adapterLine, uartLine, hubLines);
        guest = &booted;
        std::printf("guest up after %.1f s\n", std::chrono::duration<double>(Clock::now() - started).count());
        if (guest->Run(std::string("appears ") + kAdapter, 60s).status != 0) {
            std::fprintf(stderr, "the guest has no %s\n", kAdapter);
            return 1;
        }
        return RUN_ALL_TESTS();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "driver_harness: %s\n", error.what());
        return 1;
    }
}
