// What one write has achieved, by the counts the device reports: how many
// bytes the port took, how many of them have left it (taken minus what it
// still queues), and how many had left before the device last answered.
// That last count is the sure one when the device vanishes: the bytes of the
// last interval may still have been in the adapter itself, where no query
// sees them. Also the time left of the write's limit. No system calls: each
// platform's WritePort asks its device and tells this class.
#pragma once

#include <chrono>
#include <cstddef>

#include "port.h"

class Departures {
public:
    using Clock = std::chrono::steady_clock;

    Departures(std::size_t total, Clock::time_point deadline) : total_(total), deadline_(deadline) {}

    // The port took `bytes` more.
    void Took(std::size_t bytes) { accepted_ += bytes; }

    // The device says it still queues `queued` bytes. Returns true when the
    // count of bytes that have left changed, so that it can be reported.
    bool Queued(std::size_t queued);

    std::size_t Total() const { return total_; }
    std::size_t Accepted() const { return accepted_; }
    std::size_t Left() const { return left_; }
    std::size_t Confirmed() const { return confirmed_; }
    bool AllTaken() const { return accepted_ == total_; }
    bool AllLeft() const { return left_ == total_; }
    // All had left before the device answered once more: the write is done.
    bool AllConfirmed() const { return confirmed_ == total_; }

    // What counts as sent when the write ends early.
    std::size_t Sent(bool deviceGone) const { return deviceGone ? confirmed_ : left_; }

    // The time left until the deadline, rounded up to whole milliseconds, at
    // least 0 and at most `slice`: the longest a single wait may take.
    std::chrono::milliseconds TimeLeft(Clock::time_point now, std::chrono::milliseconds slice) const;

private:
    std::size_t total_;
    Clock::time_point deadline_;
    std::size_t accepted_ = 0;
    std::size_t left_ = 0;
    std::size_t confirmed_ = 0;
};

// The end of every write, on every platform. Waits, within the deadline,
// until the device says that all it took has left, and, asked once more,
// still says so: `ask` asks it and tells `departures` (false once the device
// failed, with the reason in `result`); `sleep(wait, pending)` sleeps at most
// `wait` while `pending` bytes are still queued. Then sets the count written:
// all of it on success; otherwise what counts as sent, after `discard` has
// thrown away what is still queued, so that nothing of this stream reaches
// the line later, in front of the next one.
template <typename Ask, typename Sleep, typename Discard>
void FinishWrite(Departures& departures, WriteResult& result, std::chrono::milliseconds slice, const Ask& ask,
                 const Sleep& sleep, const Discard& discard) {
    while (result.ok()) {
        if (!ask() || departures.AllConfirmed()) break;
        if (departures.AllLeft()) continue;
        const auto wait = departures.TimeLeft(Departures::Clock::now(), slice);
        if (wait.count() == 0) {
            result.cause = PortCause::TimedOut;
            break;
        }
        sleep(wait, departures.Accepted() - departures.Left());
    }
    result.taken = departures.Accepted();
    if (result.ok()) {
        result.written = departures.Total();
        return;
    }
    discard();
    result.written = departures.Sent(result.DeviceGone());
}
