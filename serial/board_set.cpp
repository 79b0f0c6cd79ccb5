#include "board_set.h"

#include <thread>

BoardResult ProgramBoard(PortConnection& connection, std::span<const std::uint8_t> stream,
                         std::optional<std::chrono::milliseconds> limit, const WriteProgress& progress) {
    BoardResult result;
    result.started = std::chrono::system_clock::now();
    const auto start = std::chrono::steady_clock::now();
    connection.LetGoIfGone();
    result.opened = connection.EnsureOpen();
    if (result.opened.ok()) {
        result.written = connection.Send(stream, limit.value_or(connection.WriteLimitFor(stream.size())), progress);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

std::vector<BoardResult> ProgramBoards(const std::vector<PortConnection*>& boards, std::span<const std::uint8_t> stream,
                                       std::optional<std::chrono::milliseconds> limit, const BoardProgress& progress) {
    std::vector<BoardResult> results(boards.size());
    std::vector<std::thread> threads;
    threads.reserve(boards.size());
    for (std::size_t i = 0; i < boards.size(); ++i) {
        threads.emplace_back([&, i] {
            WriteProgress told;
            if (progress) told = [&progress, i](std::size_t left) { progress(i, left); };
            results[i] = ProgramBoard(*boards[i], stream, limit, told);
        });
    }
    for (std::thread& thread : threads) thread.join();
    return results;
}
