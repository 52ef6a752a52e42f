#include "engine/time_manager.hpp"

#include <algorithm>

namespace orvanta::engine {

namespace {

// The share of a budget the search may use; the rest is for reading, writing and the
// controller's clock.
constexpr double kUsedShare = 0.9;
// Moves counted beyond those still to come, so that a long game never runs out.
constexpr int kMovesHeldInReserve = 4;
// No move is given more than a day, which is as good as no limit.
constexpr double kLongestMoveSeconds = 24.0 * 60 * 60;
// The soft limit as a share of the hard one, while time not spent is kept for later moves.
constexpr double kSoftShare = 0.5;

}  // namespace

std::optional<MoveTime> moveTime(const TimeControl& control, std::optional<TimeLeft> left,
                                 int empties) {
    if (control.byoYomiSeconds > 0 && control.byoYomiStones == 0) {
        return std::nullopt;
    }
    // The last stone of a byo-yomi period: what the move leaves unspent is lost with the period.
    const bool lastStone =
        left ? left->stones == 1 : control.mainSeconds <= 0 && control.byoYomiStones == 1;
    double seconds = 0;
    if (left && left->stones > 0) {
        seconds = left->seconds / static_cast<double>(left->stones);
    } else {
        const double time = left ? left->seconds : control.mainSeconds;
        const int movesLeft = (std::max(empties, 0) + 1) / 2;
        seconds = time / (movesLeft + kMovesHeldInReserve);
        if (control.byoYomiStones > 0) {
            seconds += control.byoYomiSeconds / static_cast<double>(control.byoYomiStones);
        }
    }
    // Capped before it becomes nanoseconds: a clock of centuries would not fit in them.
    const double used = std::min(seconds * kUsedShare, kLongestMoveSeconds);
    const auto hard = std::max<std::chrono::nanoseconds>(
        kShortestMove, std::chrono::nanoseconds(static_cast<long long>(used * 1e9)));
    if (lastStone) {
        return MoveTime{hard, hard};
    }
    return MoveTime{std::chrono::nanoseconds(
                        static_cast<long long>(static_cast<double>(hard.count()) * kSoftShare)),
                    hard};
}

Deadline deadline(const SteadyClock& clock, const MoveTime& time) {
    const auto start = clock();
    return {[clock, start, hard = time.hard] { return clock() - start > hard; },
            [clock, start, soft = time.soft] { return clock() - start > soft; }};
}

}  // namespace orvanta::engine
