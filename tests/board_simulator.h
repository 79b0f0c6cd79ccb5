// The board simulator (tools/ktq51-sim) run by a test for one transfer: it
// gives a pseudo-terminal to send to, reports what came on standard error
// and writes what the board then holds as Intel HEX.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include <algorithm>

#include "hexfile.h"
#include "memimage.h"
#include "test_data.h"

extern char** environ;

class BoardSimulator {
public:
    // `once`: it ends after its first transfer, else takes each until stopped.
    explicit BoardSimulator(const char* program, bool once = true) {
        char dir[] = "/tmp/ktq51-sim-XXXXXX";
        // Returns the name, or NULL upon failure.
        if (::mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = dir;
        const std::string pathFile = dir_ + "/com", hex = dir_ + "/board.hex", report = dir_ + "/report";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, hex.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const char* argv[] = {program, "--hex", "--path-file", pathFile.c_str(), once ? "--once" : nullptr, nullptr};
        // Returns 0 upon success, an error number upon failure.
        const int failed = ::posix_spawn(&pid_, program, &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) throw std::runtime_error("the simulator did not start");
        for (int i = 0; i < 100 && device_.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::istringstream(ReadWholeFile(pathFile)) >> device_;
        }
        if (device_.empty()) throw std::runtime_error("the simulator gave no terminal");
    }
    ~BoardSimulator() {
        Stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    BoardSimulator(const BoardSimulator&) = delete;
    BoardSimulator& operator=(const BoardSimulator&) = delete;

    // The terminal to send to.
    const std::string& device() const { return device_; }

    // Waits, at most `limit`, until the simulator has ended after its
    // transfer; then whether it received one whole stream on a line set to
    // 19200 baud 8N1 raw, and now holds exactly the memory window in
    // `windowBin` (4096 bytes, as srec_cat wrote it). Its report goes to
    // standard error either way.
    testing::AssertionResult HoldsExactly(const std::string& windowBin,
                                          std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return ReceivedInTurn({windowBin});
    }

    // Stops it; then whether it received one whole stream per file of
    // `windowBins` on a line set to 19200 baud 8N1 raw, and held their
    // windows in turn. Its report goes to standard error.
    testing::AssertionResult ReceivedInTurn(const std::vector<std::string>& windowBins) {
        Stop();
        const std::string report = ReadWholeFile(dir_ + "/report");
        std::fprintf(stderr, "%s", report.c_str());
        const std::size_t n = windowBins.size();
        if (Count(report, "přijato ") != n || Count(report, "přijato 16384 bajtů") != n ||
            Count(report, "19200 Bd, 8 datových bitů, bez parity, 1 stop bit, výstup beze změn") != n) {
            return testing::AssertionFailure() << "not " << n << " whole streams on a 19200 8N1 raw line:\n" << report;
        }
        std::istringstream hex(ReadWholeFile(dir_ + "/board.hex"));  // a HEX text per transfer
        for (const std::string& windowBin : windowBins) {
            std::string text, line;
            while (std::getline(hex, line) && (text += line + "\n", line != ":00000001FF")) {}
            auto board = std::make_unique<ImageCells>(ErasedImage());
            const std::string expected = ReadWholeFile(windowBin);
            if (!LoadHexText(text, *board).ok() || expected.size() != kWindowCells ||
                !std::equal(expected.begin(), expected.end(), &(*board)[kWindowBase],
                            [](char e, Cell b) { return static_cast<unsigned char>(e) == b; })) {
                return testing::AssertionFailure() << "0x3000-0x3FFF differs from " << windowBin;
            }
        }
        return testing::AssertionSuccess();
    }

private:
    static std::size_t Count(const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    void Stop() {
        if (pid_ <= 0) return;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }

    std::string dir_;
    std::string device_;
    pid_t pid_ = -1;
};
