// A board run: the boards that get one program, each through a connection
// of its own (or one lent to the run, as the window lends its own port) and
// on a thread of its own, each with the same stream and the same rule for
// success as one board, so that 20 boards take the time of one: the line is
// the only limit. Boards may be added while others run, as they are
// plugged in. Every way of programming is a run: one board, several, each
// as it appears, the window's Programuj and its class set.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "port.h"
#include "port_connection.h"
#include "port_list.h"
#include "transfer.h"

// What became of one board.
struct BoardResult {
    OpenStatus opened;    // why the port could not be opened, where it could not
    WriteResult written;  // the transfer, where the port was opened
    std::chrono::system_clock::time_point started;
    std::chrono::milliseconds took{0};  // from the open to the end of the transfer
    bool ok() const { return opened.ok() && written.ok(); }
};

// A board of a run: its port and what the listing said of it.
struct RunBoard {
    PortName port;
    std::optional<PortInfo> listed = {};
    // The connection to program it through, lent for the run (the window's
    // own port). Without one the run opens a connection of its own and gives
    // the port back once the board has ended.
    PortConnection* lent = nullptr;
    // The port has only just appeared (plugged in during the run, or waited
    // for). The system may still be setting it up, so an open that finds no
    // device or no permission is tried again for two seconds. And a program
    // that tries each new port as a modem would be writing into this one's
    // line now (ModemManagerProbing): such a port is refused.
    bool fresh = false;

    // Where it is plugged in, or its name: "1-1.4 (/dev/ttyUSB3)", "COM3".
    std::string Name() const;
};

// What a run tells as its boards go, each call from the board's own thread.
// For one board the calls come in this order, one at a time.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The port of `board` is open and known to be ours, and the stream goes
    // out next: `port` may be watched from here (for an interrupt, which
    // must let go of it at once) until Ended returns. Not called when the
    // port cannot be opened.
    virtual void Opened(std::size_t /*board*/, const PortHandle& /*port*/) {}
    // How many bytes have left the board's port so far.
    virtual void Progressed(std::size_t /*board*/, std::size_t /*left*/) {}
    // The board has ended. A port the run opened is given back after this.
    virtual void Ended(std::size_t /*board*/, const BoardResult& /*result*/) {}
};

struct BoardOutcome {
    RunBoard board;
    std::optional<BoardResult> result;  // once the board has ended
};

class BoardRun {
public:
    // A run of `stream`, each board's transfer within `limit`, or within its
    // line's own limit when none is given. The stream is the run's own copy:
    // every board of the run gets exactly this build. `observer`, when
    // given, must outlive the run.
    BoardRun(const ProgrammingStream& stream, std::optional<std::chrono::milliseconds> limit,
             RunObserver* observer = nullptr);
    // Waits for the boards still running.
    ~BoardRun();
    BoardRun(const BoardRun&) = delete;
    BoardRun& operator=(const BoardRun&) = delete;

    // Starts programming `board` at once, on a thread of its own; returns its
    // number (0, 1, ...) as the observer is told it. Add, Wait and the end of
    // the run belong to one thread.
    std::size_t Add(RunBoard board);
    // Returns once every board added has ended.
    void Wait();
    // Whether every board added so far has ended.
    bool Ended() const;
    // The boards in the order added, with the results of those that ended.
    std::vector<BoardOutcome> Outcomes() const;
    const ProgrammingStream& Stream() const { return stream_; }

private:
    void Program(std::size_t board);

    const ProgrammingStream stream_;
    const std::optional<std::chrono::milliseconds> limit_;
    RunObserver* observer_;
    mutable std::mutex mutex_;
    std::deque<BoardOutcome> boards_;  // added at the back only: stable while the threads run
    std::vector<std::thread> threads_;
};
