#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace orvanta::engine {

// How long a move may take under a game's clock, as controllers describe it (GTP's time_settings
// and time_left, NBoard's TI and its moves' times), and the stops that keep a search to it.

// The clock of each side: main time, then byo-yomi periods of `byoYomiSeconds` for
// `byoYomiStones` moves each. Byo-yomi time with 0 stones means no limit at all.
struct TimeControl {
    double mainSeconds = 0;
    double byoYomiSeconds = 0;
    long long byoYomiStones = 0;
};

// What the controller last said is left to the side to move: seconds, and the stones of the
// current byo-yomi period (0 while still in main time).
struct TimeLeft {
    double seconds = 0;
    long long stones = 0;
};

// The time of one move. The search should not begin another iteration after `soft` (the next
// one usually costs more than all before it), and must stop at `hard`. On the last stone of a
// byo-yomi period, whose unspent time is lost, `soft` is `hard`.
struct MoveTime {
    std::chrono::nanoseconds soft;
    std::chrono::nanoseconds hard;
};

// The move's time with `empties` empty squares on the board (the moves still to come are about
// half of them). Nothing when the clock sets no limit. The hard limit shares the time left over
// the moves to come and a few held in reserve, plus a byo-yomi period's share; in byo-yomi, the
// period's time over its stones. A tenth is kept back for reading, writing and the
// controller's own clock, and no move gets less than kShortestMove.
std::optional<MoveTime> moveTime(const TimeControl& control, std::optional<TimeLeft> left,
                                 int empties);

inline constexpr std::chrono::milliseconds kShortestMove(10);

// A steady clock: the time since some fixed moment, never going back.
using SteadyClock = std::function<std::chrono::nanoseconds()>;

// The stops of a search that keeps to a move's time (SearchLimits::stop and softStop).
struct Deadline {
    std::function<bool()> stop;      // true once the hard limit has passed
    std::function<bool()> softStop;  // true once the soft limit has passed
};

// The deadline of `time` counted from now on `clock`.
Deadline deadline(const SteadyClock& clock, const MoveTime& time);

}  // namespace orvanta::engine
