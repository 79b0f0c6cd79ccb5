#include "board_run.h"

#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// How long a port that has only just appeared is given to become openable,
// and how often its open is tried meanwhile.
constexpr std::chrono::milliseconds kSettingUp{2000};
constexpr std::chrono::milliseconds kSettingUpRetry{100};

// Opens the connection's port; one that has only just appeared is tried
// again while the system may still be setting it up.
OpenResult OpenWhenReady(PortConnection& connection, bool fresh) {
    connection.LetGoIfGone();
    OpenResult opened = connection.EnsureOpen();
    const auto deadline = Clock::now() + kSettingUp;
    while (fresh && !opened.ok() && Clock::now() < deadline &&
           (opened.cause == PortCause::NoDevice || opened.cause == PortCause::NoPermission)) {
        std::this_thread::sleep_for(kSettingUpRetry);
        opened = connection.EnsureOpen();
    }
    return opened;
}

}  // namespace

std::string RunBoard::Name() const {
    const std::string name = listed ? listed->name : port.Name();
    return listed && !listed->location.empty() ? listed->location + " (" + name + ")" : name;
}

BoardRun::BoardRun(const ProgrammingStream& stream, std::optional<std::chrono::milliseconds> limit,
                   RunObserver* observer)
    : stream_(stream), limit_(limit), observer_(observer) {}

BoardRun::~BoardRun() {
    Wait();
}

std::size_t BoardRun::Add(RunBoard board) {
    const std::lock_guard lock(mutex_);
    const std::size_t number = boards_.size();
    boards_.push_back({std::move(board), std::nullopt});
    threads_.emplace_back([this, number] { Program(number); });
    return number;
}

void BoardRun::Wait() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
}

bool BoardRun::Ended() const {
    const std::lock_guard lock(mutex_);
    for (const BoardOutcome& board : boards_) {
        if (!board.result) return false;
    }
    return true;
}

std::vector<BoardOutcome> BoardRun::Outcomes() const {
    const std::lock_guard lock(mutex_);
    return {boards_.begin(), boards_.end()};
}

void BoardRun::Program(std::size_t number) {
    RunBoard board;
    {
        const std::lock_guard lock(mutex_);
        board = boards_[number].board;
    }
    BoardResult result;
    result.started = std::chrono::system_clock::now();
    const auto start = Clock::now();
    std::optional<PortConnection> own;
    PortConnection& connection = board.lent != nullptr ? *board.lent : own.emplace(board.port, board.listed);
    OpenResult opened = OpenWhenReady(connection, board.fresh);
    if (opened.ok() && board.fresh) {
        if (std::string prober = ModemManagerProbing(opened.device); !prober.empty()) {
            connection.Close();
            opened.failure = PortFailure::CannotOpen;
            opened.cause = PortCause::Probed;
            opened.holder = std::move(prober);
        }
    }
    result.opened = opened;
    if (opened.ok()) {
        if (observer_ != nullptr) observer_->Opened(number, connection.Handle());
        WriteProgress progress;
        if (observer_ != nullptr) progress = [this, number](std::size_t left) { observer_->Progressed(number, left); };
        result.written = connection.Send(stream_, limit_.value_or(connection.WriteLimitFor(stream_.size())), progress);
    }
    result.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (observer_ != nullptr) observer_->Ended(number, result);
    // The run's own connection gives its port back before the board counts
    // as ended, so that whatever comes next can open it at once.
    own.reset();
    const std::lock_guard lock(mutex_);
    boards_[number].result = std::move(result);
}
