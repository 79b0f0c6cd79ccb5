// Runs the cross-built Windows tests under Wine, against pseudo-terminals
// that this Linux program holds.
//
// Wine maps COM ports reliably only through the registry key
// HKLM\Software\Wine\Ports, read when wineserver starts, and it gives every
// serial device it finds by itself (this machine's /dev/ttyS0 is its
// console) the next free COM numbers. So all of COM1..COM5 are mapped here,
// once, each to a symbolic link that this harness points at a
// pseudo-terminal: an adapter unplugged and plugged in again, or the board
// simulator, is a link pointed elsewhere, without a new mapping. Every COM
// name that Wine gave a device of its own finding is pointed at /dev/null,
// so that no test can ever open this machine's console line.
//
// The tests reach the far ends of their lines through a local socket served
// here (FarEndServer), so that the port layer's interface tests and the
// window's transfer tests run against the Win32 implementation just as they
// run against termios on Linux.
//
// Known differences from Windows that the tests allow for:
// - a second open of a COM port succeeds under Wine;
// - a pseudo-terminal that is not raw reports IXON as fOutX = 1, so every
//   terminal is made raw first, and flow control is then set on purpose.
//
// It also runs programator.exe itself (headless, Qt's offscreen platform),
// and the whole job end to end: the window and ktq51-flash.exe under Wine
// send an SDCC-made file to the board simulator, and the simulator's report
// is compared with the file.
//
// Needs: KTQ51_WIN_SERIAL_TESTS, KTQ51_WIN_WINDOW_TESTS, KTQ51_WIN_PROGRAMATOR
// and KTQ51_WIN_FLASH (the cross-built programs), and WINEPREFIX;
// scripts/windows-check.sh provides them all.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board_simulator.h"
#include "line_checks.h"
#include "pty_pair.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The test lines: COM1..COM5 and a sixth, COM12, for a port beyond the menu's
// numbers; a raw pseudo-terminal each, behind a symbolic link that Wine's
// mapping names.
constexpr int kLines = 6;
int ComNumber(int line) {
    return line <= 5 ? line : 12;
}
class Lines {
public:
    Lines() {
        char dir[] = "/tmp/ktq51-wine-ports-XXXXXX";
        // Returns the name, or NULL upon failure.
        if (::mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = dir;
        for (int n = 1; n <= kLines; ++n) PlugIn(n);
    }
    ~Lines() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string Link(int n) const { return dir_ + "/com" + std::to_string(ComNumber(n)); }
    std::mutex& mutex() { return mutex_; }
    PtyPair& Pty(int n) { return *ptys_.at(static_cast<std::size_t>(n - 1)); }
    bool Vanished(int n) const { return vanished_.at(static_cast<std::size_t>(n - 1)); }

    // A new raw terminal behind COMn's link.
    void PlugIn(int n) {
        auto pty = std::make_unique<PtyPair>();
        termios t = pty->SlaveSettings();
        ::cfmakeraw(&t);
        pty->SetSlaveSettings(t);
        PointAt(n, pty->path());
        ptys_.at(static_cast<std::size_t>(n - 1)) = std::move(pty);
        vanished_.at(static_cast<std::size_t>(n - 1)) = false;
    }
    void Vanish(int n) {
        Pty(n).CloseMaster();
        vanished_.at(static_cast<std::size_t>(n - 1)) = true;
    }
    // COMn's link to `device` (the board simulator's terminal, say).
    void PointAt(int n, const std::string& device) {
        const std::string temporary = Link(n) + ".new";
        fs::remove(temporary);
        fs::create_symlink(device, temporary);
        fs::rename(temporary, Link(n));
    }

private:
    std::string dir_;
    std::array<std::unique_ptr<PtyPair>, kLines> ptys_;
    std::array<bool, kLines> vanished_{};
    std::mutex mutex_;
};

std::unique_ptr<Lines> lines;

// The far ends, for the tests under Wine (tests/wine/far_end_remote.cpp).
// One request per line, "N VERB [ARGUMENTS]" for COMn:
//   settings        -> "BAUD DATABITS PARITY TWOSTOPBITS RTSCTS XONXOFF"
//   flow 0|1        -> "ok"   both kinds of flow control off or on
//   read COUNT MS   -> "N" and N bytes: what came until COUNT or MS of quiet
//   stall ROOM      -> "ok"   fills the line, then takes ROOM bytes back
//   vanish, plug    -> "ok"   the device goes, a new one comes
//   ensure          -> "ok"   plugs in a line that an earlier test left vanished
class FarEndServer {
public:
    FarEndServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        // Each returns 0 upon success, -1 upon failure.
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("no socket for the far ends");
        }
        port_ = ntohs(address.sin_port);
        std::thread([this] { Accept(); }).detach();
    }
    int port() const { return port_; }

private:
    void Accept() {
        for (;;) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client >= 0) std::thread([client] { Serve(client); }).detach();
        }
    }

    static void Serve(int client) {
        std::string buffer;
        char chunk[4096];
        for (;;) {
            const std::size_t end = buffer.find('\n');
            if (end == std::string::npos) {
                const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
                if (n <= 0) break;
                buffer.append(chunk, static_cast<std::size_t>(n));
                continue;
            }
            const std::string request = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            const std::string answer = Answer(request);
            if (::send(client, answer.data(), answer.size(), MSG_NOSIGNAL) < 0) break;
        }
        ::close(client);
    }

    static std::string Answer(const std::string& request) {
        std::istringstream in(request);
        int n = 0;
        std::string verb;
        in >> n >> verb;
        if (n < 1 || n > kLines) return "error\n";
        if (verb == "read") {
            std::size_t count = 0;
            long quiet = 0;
            in >> count >> quiet;
            PtyPair* pty = nullptr;
            {
                std::lock_guard lock(lines->mutex());
                pty = &lines->Pty(n);
            }
            const std::vector<std::uint8_t> data = pty->Read(count, std::chrono::milliseconds(quiet));
            return std::to_string(data.size()) + "\n" + std::string(data.begin(), data.end());
        }
        std::lock_guard lock(lines->mutex());
        if (verb == "settings") {
            const LineSettings line = LineOf(lines->Pty(n).SlaveSettings());
            std::ostringstream out;
            out << line.baud << ' ' << line.dataBits << ' ' << line.parity << ' ' << line.twoStopBits << ' '
                << line.rtsCts << ' ' << line.xonXoff << '\n';
            return out.str();
        }
        if (verb == "flow") {
            int on = 0;
            in >> on;
            termios t = lines->Pty(n).SlaveSettings();
            if (on != 0) {
                t.c_cflag |= CRTSCTS;
                t.c_iflag |= IXON | IXOFF;
            } else {
                t.c_cflag &= ~CRTSCTS;
                t.c_iflag &= ~(IXON | IXOFF | IXANY);
            }
            lines->Pty(n).SetSlaveSettings(t);
        } else if (verb == "stall") {
            std::size_t room = 0;
            in >> room;
            lines->Pty(n).Stall();
            if (room > 0) lines->Pty(n).Read(room);
        } else if (verb == "vanish") {
            lines->Vanish(n);
        } else if (verb == "plug") {
            lines->PlugIn(n);
        } else if (verb == "ensure") {
            if (lines->Vanished(n)) lines->PlugIn(n);
        } else {
            return "error\n";
        }
        return "ok\n";
    }

    int listener_ = -1;
    int port_ = 0;
};

std::unique_ptr<FarEndServer> server;

std::string Program(const char* variable) {
    const char* path = std::getenv(variable);
    return path != nullptr ? path : "";
}

// The environment of a test program under Wine: its far ends, and Qt drawing
// offscreen with the host's DejaVu fonts. Wine drops variables that begin
// with QT_; WINEQT_X reaches the program as QT_X.
std::string Environment() {
    return "KTQ51_FAR_END=" + std::to_string(server->port()) +
           " WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR='Z:\\usr\\share\\fonts\\truetype\\dejavu'";
}

// Maps the lines' COM numbers to their links; false when Wine refused.
bool MapPorts() {
    for (int n = 1; n <= kLines; ++n) {
        if (RunShell("wine reg add 'HKLM\\Software\\Wine\\Ports' /v COM" + std::to_string(ComNumber(n)) + " /d " +
                     lines->Link(n) + " /f </dev/null >/dev/null 2>&1") != 0) {
            return false;
        }
    }
    // The mapping takes effect when wineserver starts again. Wine's services
    // start with it; they must not inherit this program's output, which ctest
    // waits on.
    if (RunShell("(wineserver -k; wineserver -p; wine cmd /c exit) </dev/null >/dev/null 2>&1") != 0) return false;
    // Wine's serial driver has now made its DOS devices (dosdevices/com6 ->
    // /dev/ttyS0, ...); a COM name opens whatever its link points at.
    const fs::path dosdevices = fs::path(std::getenv("WINEPREFIX")) / "dosdevices";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dosdevices, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("com") || name.size() < 4) continue;
        const int number = std::atoi(name.c_str() + 3);
        bool ours = false;
        for (int n = 1; n <= kLines; ++n) ours = ours || ComNumber(n) == number;
        if (ours) continue;
        fs::remove(entry.path(), error);
        fs::create_symlink("/dev/null", entry.path(), error);
        if (error) return false;
        std::fprintf(stderr, "wine_harness: %s, which Wine mapped by itself, now leads to /dev/null\n", name.c_str());
    }
    return true;
}

class Wine : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(::mkdtemp(dir_), nullptr) << "mkdtemp"; }
    void TearDown() override {
        RunShell(std::string("rm -rf '") + dir_ + "'");
        std::lock_guard lock(lines->mutex());
        for (int n = 1; n <= kLines; ++n) lines->PlugIn(n);  // back from the simulator
    }
    std::string File(const char* name) const { return std::string(dir_) + "/" + name; }

    // The board simulator behind test line `line` (1: COM1, 6: COM12);
    // `send` runs the Windows side, which must deliver sdcc_blink.hex exactly.
    void ExpectTheSimulatorGetsTheSdccFile(const std::function<int()>& send, int line = 1) {
        BoardSimulator board(KTQ_SIMULATOR);
        {
            std::lock_guard lock(lines->mutex());
            lines->PointAt(line, board.device());
        }
        EXPECT_EQ(send(), 0);
        EXPECT_TRUE(board.HoldsExactly(KTQ_TEST_DATA_DIR "/sdcc_blink.window.bin"));
    }

private:
    char dir_[32] = "/tmp/ktq51-wine-XXXXXX";
};

TEST_F(Wine, PortInterfaceTestsPass) {
    const std::string tests = Program("KTQ51_WIN_SERIAL_TESTS");
    ASSERT_FALSE(tests.empty());
    EXPECT_EQ(RunShell(Environment() + " wine '" + tests + "'"), 0);
}

TEST_F(Wine, WindowTestsPass) {
    const std::string tests = Program("KTQ51_WIN_WINDOW_TESTS");
    ASSERT_FALSE(tests.empty());
    EXPECT_EQ(RunShell(Environment() + " wine '" + tests + "' --gtest_filter=-WindowsEndToEnd.*"), 0);
}

TEST_F(Wine, ProgramatorExeStartsAndPaints) {
    const std::string exe = Program("KTQ51_WIN_PROGRAMATOR");
    ASSERT_FALSE(exe.empty());
    // The start-up probe reports the first paint of the grid, then quits.
    EXPECT_EQ(RunShell(Environment() + " KTQ51_STARTUP_PROBE=1 wine '" + exe + "' 2>'" + File("err") + "'"), 0);
    const std::string err = ReadWholeFile(File("err"));
    EXPECT_NE(err.find("probe first_paint_since_main_us="), std::string::npos) << err;
}

TEST_F(Wine, EndToEndThroughTheWindowToTheSimulator) {
    const std::string tests = Program("KTQ51_WIN_WINDOW_TESTS");
    ASSERT_FALSE(tests.empty());
    ExpectTheSimulatorGetsTheSdccFile([&] {
        return RunShell(Environment() + " wine '" + tests +
                        "' --gtest_filter=WindowsEndToEnd.LoadsAndProgramsTheSdccFile");
    });
}

// ktq51-flash.exe into the simulator, through COM1 as the menu means it and
// through COM12, a port beyond the menu's numbers.
TEST_F(Wine, FlashExeProgramsTheSimulator) {
    const std::string flash = Program("KTQ51_WIN_FLASH");
    ASSERT_FALSE(flash.empty());
    for (const auto& [port, line] : {std::pair{"COM1", 1}, std::pair{"COM12", 6}}) {
        ExpectTheSimulatorGetsTheSdccFile(
            [&] {
                const std::string out = File("flash.out"), err = File("flash.err");
                const int status = RunShell("wine '" + flash + "' --port " + port + " --yes '" KTQ_TEST_DATA_DIR
                                            "/sdcc_blink.hex' </dev/null >'" + out + "' 2>'" + err + "'");
                const std::string said = ReadWholeFile(out);
                std::fprintf(stderr, "ktq51-flash.exe --port %s said:\n%s%s", port, said.c_str(),
                             ReadWholeFile(err).c_str());
                EXPECT_NE(said.find("Programovani proběhlo v pořádku"), std::string::npos) << port;
                return status;
            },
            line);
    }
}

// What Wine's SetupAPI and SERIALCOMM list: every entry is a COM port,
// never the machine's own serial line by its Unix name; the test lines'
// COM1 and COM12 among them, COM1 first, as a person reads the numbers.
TEST_F(Wine, FlashExeListsThePorts) {
    const std::string flash = Program("KTQ51_WIN_FLASH");
    ASSERT_FALSE(flash.empty());
    const std::string out = File("list.out");
    EXPECT_EQ(RunShell("wine '" + flash + "' --list </dev/null >'" + out + "' 2>/dev/null"), 0);
    const std::string listed = ReadWholeFile(out);
    std::fprintf(stderr, "ktq51-flash.exe --list under Wine:\n%s", listed.empty() ? "(nothing)\n" : listed.c_str());
    std::istringstream lines(listed);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.starts_with("COM")) << line;
        names.push_back(line.substr(0, line.find('\t')));
    }
    const auto com1 = std::find(names.begin(), names.end(), "COM1");
    const auto com12 = std::find(names.begin(), names.end(), "COM12");
    EXPECT_NE(com1, names.end()) << listed;
    EXPECT_NE(com12, names.end()) << listed;
    EXPECT_LT(com1, com12) << listed;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (const char* needed : {"KTQ51_WIN_SERIAL_TESTS", "KTQ51_WIN_WINDOW_TESTS", "KTQ51_WIN_PROGRAMATOR",
                               "KTQ51_WIN_FLASH", "WINEPREFIX"}) {
        if (std::getenv(needed) == nullptr) {
            std::fprintf(stderr, "wine_harness: %s is not set (run scripts/windows-check.sh)\n", needed);
            return 1;
        }
    }
    lines = std::make_unique<Lines>();
    server = std::make_unique<FarEndServer>();
    if (!MapPorts()) {
        std::fprintf(stderr, "wine_harness: Wine did not take the COM port mapping\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
