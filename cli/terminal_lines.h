// The lines a run draws on standard error, one per board: for one board its
// progress alone, for a set each line headed by its board's name. On a
// terminal they are redrawn in place, at most ten times a second, each
// fitted to the terminal's width so that none wraps and the redraw stays
// where it is; elsewhere a line as a board starts and one as it ends. The
// boards' threads call it.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One board's line in at most `columns` - 1 characters (80 when 0): its
// name (none for a lone board), then its bar and the bytes that have left,
// or once it has ended, `result`. The bar narrows first, then the text is
// cut short with "…".
std::string BoardLine(const std::string& name, std::size_t left, std::size_t total,
                      const std::optional<std::string>& result, int columns);

class BoardLines {
public:
    // `set`: several boards, each line named; otherwise one board.
    explicit BoardLines(bool set);

    // A board, named as its line shows it; its number is the count before.
    void Add(std::string name);
    // Its port is open and `device` is being sent to.
    void Opened(std::size_t board, const std::string& device);
    void Progressed(std::size_t board, std::size_t left);
    // It has ended, with `left` bytes out and `brief` its result in a line.
    void Ended(std::size_t board, std::size_t left, const std::string& brief);

private:
    enum class Style {
        InPlace,  // one board on a terminal: its line rewritten after a carriage return
        Redrawn,  // a set on a terminal that moves the cursor: every line redrawn
        Plain,    // no terminal: a line as each board starts and ends
    };
    struct Line {
        std::string name;
        bool opened = false;
        std::size_t left = 0;
        std::optional<std::string> result;
    };
    void Draw(bool now);

    const bool set_;
    const Style style_;
    std::mutex mutex_;
    std::vector<Line> lines_;
    std::size_t drawn_ = 0;    // lines on the screen, for Redrawn
    std::size_t widest_ = 0;   // the longest line drawn, for InPlace
    std::chrono::steady_clock::time_point drawnAt_{};
};
