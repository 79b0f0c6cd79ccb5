// A stand-in for the KTQ-51 board on a pseudo-terminal. It prints the
// terminal's path, receives what the programmer sends, checks the line
// settings it sees, and shows what the board would now hold in its memory
// window 0x3000-0x3FFF.
//
//   ktq51-sim [--paced] [--hold S] [--hex] [--once] [--path-file FILE]
//
//   --paced         read no faster than a real line: 1920 bytes/s (19200 baud 8N1)
//   --hold S        read nothing for S seconds after the first byte, as a board
//                   that holds the line: the sender stalls once the line's
//                   buffer is full
//   --hex           write the received window as Intel HEX to standard output
//                   (default: a dump of the rows that are not all FF)
//   --once          end after the first transfer (and a moment more)
//   --path-file F   also write the terminal's path into F
//
// The report (byte count, time from first to last byte, line settings) goes
// to standard error; the memory contents go to standard output.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kStreamBytes = 16384;
constexpr std::size_t kWindowCells = 4096;
constexpr unsigned kWindowBase = 0x3000;
constexpr double kLineBytesPerSecond = 1920.0;
constexpr int kQuietMs = 1000;  // a pause this long ends a transfer
constexpr int kLingerMs = 1500;  // how long --once keeps the line after its transfer

volatile sig_atomic_t stopping = 0;
void OnSignal(int) { stopping = 1; }

struct Options {
    bool paced = false;
    double holdSeconds = 0;
    bool hex = false;
    bool once = false;
    std::string pathFile;
};

std::string DescribeLine(const termios& t) {
    std::string s;
    const bool speedOk = cfgetospeed(&t) == B19200 && cfgetispeed(&t) == B19200;
    s += speedOk ? "19200 Bd" : "rychlost NENÍ 19200 Bd";
    s += (t.c_cflag & CSIZE) == CS8 ? ", 8 datových bitů" : ", NE 8 datových bitů";
    s += (t.c_cflag & PARENB) ? ", PARITA" : ", bez parity";
    s += (t.c_cflag & CSTOPB) ? ", 2 stop bity" : ", 1 stop bit";
    s += (t.c_oflag & OPOST) ? ", výstup SE UPRAVUJE (OPOST)" : ", výstup beze změn";
    return s;
}

void PrintHex(const std::vector<long>& cells) {
    for (std::size_t row = 0; row < kWindowCells; row += 16) {
        bool erased = true;
        for (std::size_t k = 0; k < 16; ++k) erased = erased && cells[row + k] == 0xFF;
        if (erased) continue;
        const unsigned address = kWindowBase + static_cast<unsigned>(row);
        unsigned sum = 16 + (address >> 8) + (address & 0xFF);
        std::printf(":10%04X00", address);
        for (std::size_t k = 0; k < 16; ++k) {
            const unsigned b = static_cast<unsigned>(cells[row + k]) & 0xFF;
            sum += b;
            std::printf("%02X", b);
        }
        std::printf("%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    }
    std::printf(":00000001FF\n");
}

void PrintDump(const std::vector<long>& cells) {
    int shown = 0;
    for (std::size_t row = 0; row < kWindowCells; row += 16) {
        bool erased = true;
        for (std::size_t k = 0; k < 16; ++k) erased = erased && cells[row + k] == 0xFF;
        if (erased) continue;
        std::printf("%04X:", kWindowBase + static_cast<unsigned>(row));
        for (std::size_t k = 0; k < 16; ++k) std::printf(" %02lX", cells[row + k]);
        std::printf("\n");
        ++shown;
    }
    if (shown == 0) std::printf("(celá paměť 0x3000–0x3FFF je FF)\n");
}

void Report(const std::vector<std::uint8_t>& data, Clock::duration span, const termios& line,
            const Options& options) {
    std::fprintf(stderr, "KTQ-51: přijato %zu bajtů za %.3f s (první až poslední bajt)\n", data.size(),
                 std::chrono::duration<double>(span).count());
    std::fprintf(stderr, "KTQ-51: linka %s\n", DescribeLine(line).c_str());
    if (data.size() != kStreamBytes) {
        std::fprintf(stderr, "KTQ-51: NEÚPLNÝ přenos: čekal jsem %zu bajtů, paměť zůstává, jak byla\n",
                     kStreamBytes);
        return;
    }
    std::vector<long> cells(kWindowCells);
    for (std::size_t i = 0; i < kWindowCells; ++i) {
        cells[i] = static_cast<long>(data[4 * i]) | static_cast<long>(data[4 * i + 1]) << 8 |
                   static_cast<long>(data[4 * i + 2]) << 16 | static_cast<long>(data[4 * i + 3]) << 24;
        if (cells[i] > 0xFF) {
            std::fprintf(stderr, "KTQ-51: buňka 0x%04zX má hodnotu %ld, to není bajt\n", kWindowBase + i, cells[i]);
        }
    }
    std::fprintf(stderr, "KTQ-51: paměť 0x3000–0x3FFF:\n");
    if (options.hex) {
        PrintHex(cells);
    } else {
        PrintDump(cells);
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--paced") options.paced = true;
        else if (a == "--hex") options.hex = true;
        else if (a == "--once") options.once = true;
        else if (a == "--path-file" && i + 1 < argc) options.pathFile = argv[++i];
        else if (a == "--hold" && i + 1 < argc) options.holdSeconds = std::atof(argv[++i]);
        else {
            std::fprintf(stderr, "použití: %s [--paced] [--hold S] [--hex] [--once] [--path-file SOUBOR]\n",
                         argv[0]);
            return 2;
        }
    }

    int master = -1, slave = -1;
    char name[256] = {};
    // Returns 0 upon success, -1 upon failure.
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    // The simulator keeps its own handle on the slave, so that the programmer
    // closing its port does not hang up the line.
    std::fprintf(stderr, "KTQ-51 simulátor na %s%s\n", name, options.paced ? " (rychlost linky 19200 Bd)" : "");
    if (!options.pathFile.empty()) {
        const std::string temp = options.pathFile + ".tmp";
        std::ofstream(temp) << name << '\n';
        std::rename(temp.c_str(), options.pathFile.c_str());
    }

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    std::vector<std::uint8_t> data;
    Clock::time_point first, last;
    termios line{};
    std::uint8_t buffer[4096];
    while (!stopping) {
        std::size_t want = sizeof buffer;
        if (options.paced && !data.empty()) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - first).count();
            const double allowed = elapsed * kLineBytesPerSecond + 1 - static_cast<double>(data.size());
            if (allowed < 1) {
                ::usleep(5000);
                continue;
            }
            want = std::min(want, static_cast<std::size_t>(allowed));
        }
        pollfd p{master, POLLIN, 0};
        const int ready = ::poll(&p, 1, data.empty() ? 200 : kQuietMs);
        if (ready < 0) continue;  // a signal; the loop condition decides
        if (ready == 0) {
            if (data.empty()) continue;
            Report(data, last - first, line, options);  // the line went quiet
            data.clear();
            if (options.once) break;
            continue;
        }
        if (data.empty() && options.holdSeconds > 0) {
            // The first bytes are here: take none of them for a while.
            std::fprintf(stderr, "KTQ-51: držím linku %.1f s\n", options.holdSeconds);
            ::usleep(static_cast<useconds_t>(options.holdSeconds * 1e6));
        }
        const ssize_t n = ::read(master, buffer, want);
        if (n <= 0) {
            ::usleep(50000);  // no one has the line open yet
            continue;
        }
        if (data.empty()) {
            first = Clock::now();
            ::tcgetattr(slave, &line);  // the settings the programmer set
        }
        last = Clock::now();
        data.insert(data.end(), buffer, buffer + n);
        if (data.size() >= kStreamBytes) {
            // A full stream: report at once, then take anything further as a new transfer.
            Report(data, last - first, line, options);
            data.clear();
            if (options.once) break;
        }
    }
    if (options.once && !stopping) {
        // A board does not vanish when it is done: keep the line a little
        // longer, so that the programmer's last look at it finds it there.
        ::usleep(kLingerMs * 1000);
    }
    ::close(slave);
    ::close(master);
    return 0;
}
