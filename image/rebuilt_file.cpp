#include "rebuilt_file.h"

#include <system_error>

std::optional<FileStamp> StampOf(const std::filesystem::path& file) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(file, error);
    if (error) return std::nullopt;
    const auto size = std::filesystem::file_size(file, error);
    if (error) return std::nullopt;
    return FileStamp{time, size};
}

bool RebuiltFile::Look(const std::optional<FileStamp>& stamp, Clock::time_point now) {
    if (stamp != seen_) {
        // A change: it is judged afresh once it has settled.
        seen_ = stamp;
        since_ = now;
        unfinished_ = waited_ = false;
        return false;
    }
    if (!seen_) return false;  // gone: waited for until it comes back
    if (seen_ != loaded_ && now - since_ >= kHexFileSettle) {
        loaded_ = seen_;
        return true;
    }
    if (unfinished_ && !waited_ && now - since_ >= kUnfinishedWait) {
        waited_ = true;
        return true;
    }
    return false;
}

RebuiltFile::Verdict RebuiltFile::Judge(const HexResult& result) {
    const bool unfinished =
        !result.summary.HasEndRecord() && (result.ok() || result.status == HexStatus::UnexpectedEnd);
    if (unfinished && !waited_) {
        unfinished_ = true;
        return Verdict::Wait;
    }
    return result.ok() ? Verdict::Take : Verdict::Refuse;
}
