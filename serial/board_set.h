// Programming several boards at once, each through a connection of its own
// and on a thread of its own, each with the same stream and the same rule
// for success as one board: 20 boards take the time of one, as the line is
// the only limit.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "port.h"
#include "port_connection.h"

// What became of one board.
struct BoardResult {
    OpenResult opened;    // why the port could not be opened, where it could not
    WriteResult written;  // the transfer, where the port was opened
    std::chrono::system_clock::time_point started;
    double seconds = 0;   // from the open to the end of the transfer
    bool ok() const { return opened.ok() && written.ok(); }
};

// Told from a board's thread how many bytes have left its port so far.
using BoardProgress = std::function<void(std::size_t board, std::size_t left)>;

// Programs one board through `connection`: opens its port when it is not
// open (a port whose device vanished is let go of first), then sends
// `stream` within `limit`, or within the line's own limit when none is given.
BoardResult ProgramBoard(PortConnection& connection, std::span<const std::uint8_t> stream,
                         std::optional<std::chrono::milliseconds> limit, const WriteProgress& progress = {});

// Programs every board of `boards` at once, each on a thread of its own, and
// returns when all have ended, their results in the same order. `progress`,
// when given, is called from the boards' threads.
std::vector<BoardResult> ProgramBoards(const std::vector<PortConnection*>& boards, std::span<const std::uint8_t> stream,
                                       std::optional<std::chrono::milliseconds> limit,
                                       const BoardProgress& progress = {});
