#include "departures.h"

#include <algorithm>

bool Departures::Queued(std::size_t queued) {
    // The device answered after the previous count: that count is sure now.
    confirmed_ = left_;
    // A device cannot queue more than it took; what left stays left.
    const std::size_t pending = std::min(queued, accepted_);
    const std::size_t before = left_;
    left_ = std::max(left_, accepted_ - pending);
    return left_ != before;
}

std::chrono::milliseconds Departures::TimeLeft(Clock::time_point now, std::chrono::milliseconds slice) const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - now);
    return std::clamp(left, std::chrono::milliseconds(0), slice);
}
