// Real pseudo-terminal pairs for the serial tests: the program opens the
// slave by its path (through KTQ51_COMn), the test reads the master end.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

// Fills the terminal written through `fd` with `byte` until it takes
// nothing more, twice, in small writes: a pseudo-terminal takes more in
// small writes after a short while. Returns the bytes it took.
inline std::size_t FillTerminal(int fd, std::uint8_t byte) {
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    const std::vector<std::uint8_t> packet(64, byte);
    std::size_t filled = 0;
    for (int quiet = 0; quiet < 2;) {
        const ssize_t n = ::write(fd, packet.data(), packet.size());
        if (n > 0) {
            filled += static_cast<std::size_t>(n);
            quiet = 0;
            continue;
        }
        ++quiet;
        ::poll(nullptr, 0, 10);
    }
    ::fcntl(fd, F_SETFL, flags);
    return filled;
}

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        // Returns 0 upon success, -1 upon failure.
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        // Returns 0 upon success, -1 upon failure.
        if (::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(slave_, F_SETFD, FD_CLOEXEC) != 0) {
            throw std::runtime_error("fcntl failed");
        }
        path_ = name;
    }
    ~PtyPair() {
        CloseMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }  // the test's own handle on the slave

    // Points COM`number` at this pair's slave.
    void MapAs(int number) const { ::setenv(("KTQ51_COM" + std::to_string(number)).c_str(), path_.c_str(), 1); }

    termios SlaveSettings() const {
        termios t{};
        ::tcgetattr(slave_, &t);
        return t;
    }
    void SetSlaveSettings(const termios& t) const { ::tcsetattr(slave_, TCSANOW, &t); }

    // Reads from the master until `count` bytes came or nothing came for `quiet`.
    std::vector<std::uint8_t> Read(std::size_t count,
                                   std::chrono::milliseconds quiet = std::chrono::milliseconds(2000)) const {
        std::vector<std::uint8_t> data;
        std::uint8_t buffer[4096];
        while (data.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - data.size()));
            if (n <= 0) break;
            data.insert(data.end(), buffer, buffer + n);
        }
        return data;
    }

    // Fills the line's buffers with 0x55 until they take no more, so that a
    // writer on the slave stalls. Written through the test's own slave
    // descriptor: a port that holds the line exclusively refuses a new open
    // to anyone but root. Returns the bytes it took.
    std::size_t Stall() const {
        termios t = SlaveSettings();
        ::cfmakeraw(&t);
        SetSlaveSettings(t);
        const int flags = ::fcntl(slave_, F_GETFL);
        if (flags < 0 || ::fcntl(slave_, F_SETFL, flags | O_NONBLOCK) != 0) throw std::runtime_error("fcntl failed");
        std::size_t total = 0;
        const std::vector<std::uint8_t> junk(4096, kStallByte);
        for (;;) {
            const ssize_t n = ::write(slave_, junk.data(), junk.size());
            if (n <= 0) break;
            total += static_cast<std::size_t>(n);
        }
        ::fcntl(slave_, F_SETFL, flags);
        return total;
    }
    static constexpr std::uint8_t kStallByte = 0x55;

    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};
