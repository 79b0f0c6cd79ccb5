#include "terminal_lines.h"

#include <algorithm>
#include <cstdio>

#include "console.h"
#include "flash_texts.h"
#include "messages.h"
#include "transfer.h"

namespace {

constexpr std::size_t kWidestBar = 24, kNarrowestBar = 8;
constexpr std::chrono::milliseconds kRedraw{100};

// Characters, not bytes: UTF-8 continuation bytes do not count.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// `text` cut to `width` characters, its end "…" where it was longer.
std::string Cut(const std::string& text, std::size_t width) {
    if (Width(text) <= width) return text;
    if (width == 0) return {};
    std::string cut;
    std::size_t characters = 0;
    for (const char c : text) {
        const bool starts = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (starts && ++characters > width - 1) break;
        cut += c;
    }
    return cut + "…";
}

}  // namespace

std::string BoardLine(const std::string& name, std::size_t left, std::size_t total,
                      const std::optional<std::string>& result, int columns) {
    const std::size_t room = static_cast<std::size_t>(columns > 1 ? columns - 1 : 79);
    const std::string head = name.empty() ? std::string() : name + ": ";
    if (result) return Cut(head + *result, room);
    const std::string text = ProgressText(left, total);
    const std::size_t used = Width(head) + Width(text) + 3;  // "[", "] "
    // The bar gives way first: narrower, then not at all; then the text.
    if (used + kNarrowestBar > room) return Cut(head + text, room);
    const std::size_t bar = std::min(room - used, kWidestBar);
    const std::size_t filled = total == 0 ? bar : left * bar / total;
    return head + "[" + std::string(filled, '#') + std::string(bar - filled, '.') + "] " + text;
}

BoardLines::BoardLines(bool set)
    : set_(set),
      style_(set ? (RedrawsLines() ? Style::Redrawn : Style::Plain) : (IsTerminal(stderr) ? Style::InPlace : Style::Plain)) {}

void BoardLines::Add(std::string name) {
    const std::lock_guard lock(mutex_);
    lines_.push_back({std::move(name), false, 0, std::nullopt});
}

void BoardLines::Opened(std::size_t board, const std::string& device) {
    const std::lock_guard lock(mutex_);
    lines_[board].opened = true;
    if (style_ == Style::Plain) {
        const std::string head = set_ ? lines_[board].name + ": " : std::string();
        std::fprintf(stderr, "%s%s\n", head.c_str(), SendingText(kStreamBytes, device).c_str());
    }
    Draw(true);
}

void BoardLines::Progressed(std::size_t board, std::size_t left) {
    const std::lock_guard lock(mutex_);
    lines_[board].left = left;
    Draw(false);
}

void BoardLines::Ended(std::size_t board, std::size_t left, const std::string& brief) {
    const std::lock_guard lock(mutex_);
    Line& line = lines_[board];
    line.left = left;
    if (style_ == Style::Plain) {
        if (set_) {
            std::fprintf(stderr, "%s: %s\n", line.name.c_str(), brief.c_str());
        } else if (line.opened) {
            std::fprintf(stderr, "%s\n", ProgressText(left, kStreamBytes).c_str());
        }
    }
    if (style_ == Style::InPlace) {
        // A lone board keeps its bar; its result is its own line after it.
        if (line.opened) {
            Draw(true);
            std::fputc('\n', stderr);
        }
        return;
    }
    line.result = brief;
    Draw(true);
}

void BoardLines::Draw(bool now) {
    if (style_ == Style::Plain) return;
    const auto at = std::chrono::steady_clock::now();
    if (!now && at - drawnAt_ < kRedraw) return;
    drawnAt_ = at;
    const int columns = TerminalColumns();
    if (style_ == Style::InPlace) {
        const Line& line = lines_.front();
        if (!line.opened) return;
        std::string text = BoardLine({}, line.left, kStreamBytes, std::nullopt, columns);
        // Blanks over what a longer line drawn before left behind.
        widest_ = std::max(widest_, Width(text));
        text.append(widest_ - Width(text), ' ');
        std::fprintf(stderr, "\r%s", text.c_str());
    } else {
        if (drawn_ > 0) std::fprintf(stderr, "\x1b[%zuA", drawn_);
        for (const Line& line : lines_) {
            std::fprintf(stderr, "\r\x1b[K%s\n", BoardLine(line.name, line.left, kStreamBytes, line.result, columns).c_str());
        }
        drawn_ = lines_.size();
    }
    std::fflush(stderr);
}
