// A HEX file that a compiler rewrites, followed by looking at it again and
// again: when to load it, and what to make of what the load found. The
// window and ktq51-flash --watch follow a file by this one rule. Looking at
// the file's path each time, not watching its folder, follows it through
// anything a build does to it: written in place, written beside it and
// renamed over it, deleted and made again, its folder removed and made
// again (make clean).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "hexfile.h"

// A file as one look finds it: its time and size. Nothing while it does
// not exist.
struct FileStamp {
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::filesystem::path& file);

// How often a follower looks.
inline constexpr std::chrono::milliseconds kHexFileLook{100};
// How long a changed file must stay unchanged before it is taken as
// written: compilers write their output in pieces.
inline constexpr std::chrono::milliseconds kHexFileSettle{300};
// How long a changed file may stay without its end record (or end inside a
// record) before it is taken as it is: a compiler writes the end record
// last, within moments of the rest.
inline constexpr std::chrono::milliseconds kUnfinishedWait{2000};

class RebuiltFile {
public:
    using Clock = std::chrono::steady_clock;

    // Follows a file that looked like `loaded` when it was last loaded.
    explicit RebuiltFile(std::optional<FileStamp> loaded) : loaded_(loaded), seen_(loaded) {}

    // Told how the file looks at `now`, at each look. True when it is to be
    // loaded now: it has changed since it was loaded and has then stayed
    // unchanged for kHexFileSettle; or the last load found it unfinished
    // and it has stayed so for kUnfinishedWait.
    bool Look(const std::optional<FileStamp>& stamp, Clock::time_point now);

    enum class Verdict {
        Take,    // the image the load gave
        Wait,    // unfinished: no end record yet, or it ends inside a record
        Refuse,  // it cannot be loaded: its message is shown, the image stays
    };
    // What to make of the load that Look asked for.
    Verdict Judge(const HexResult& result);

private:
    std::optional<FileStamp> loaded_;  // as it was when last loaded
    std::optional<FileStamp> seen_;    // as the last look found it
    Clock::time_point since_{};        // when it began to look like that
    bool unfinished_ = false;          // the last load found it unfinished
    bool waited_ = false;              // and it has been loaded again as it is
};
