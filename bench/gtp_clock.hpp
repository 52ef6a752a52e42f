#pragma once

// The clock a match keeps for one side under GTP's time_settings. Plain computation, so that a
// test can check it.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

namespace orvanta::bench {

// A side's clock as a controller keeps it for `time_settings M B S` (main time, then byo-yomi
// periods of B seconds for S stones each), told to the engine by `time_left` before each of its
// moves, as GUIs do: without it an engine cannot know what is left of a period. Time over is
// not a loss here; the next period starts when the stones are played.
class GtpClock {
  public:
    // From "M B S" (whole numbers, as time_settings takes them); nullopt when malformed, and
    // when it sets no limit (B > 0 with S = 0, or nothing at all), so that nothing is told.
    static std::optional<GtpClock> parse(const std::string& settings) {
        std::istringstream words(settings);
        long long m = -1;
        long long b = -1;
        long long stones = -1;
        std::string rest;
        if (!(words >> m >> b >> stones) || (words >> rest) || m < 0 || b < 0 || stones < 0 ||
            (b > 0 && stones == 0) || m + b == 0) {
            return std::nullopt;
        }
        return GtpClock(static_cast<double>(m), static_cast<double>(b), stones);
    }

    // The arguments of `time_left` after the colour: seconds left and stones left (0 in main
    // time).
    std::string left() const {
        char text[64];
        std::snprintf(text, sizeof text, "%.3f %lld", std::max(byoYomi_ ? period_ : main_, 0.001),
                      byoYomi_ ? stonesLeft_ : 0LL);
        return text;
    }

    // A move that took `seconds`.
    void spend(double seconds) {
        if (!byoYomi_) {
            main_ -= seconds;
            if (main_ >= 0 || stones_ == 0) {
                return;
            }
            byoYomi_ = true;  // the overdraft opens the first period, with this move its stone
            seconds = -main_;
            period_ = byoYomiSeconds_;
            stonesLeft_ = stones_;
        }
        period_ -= seconds;
        if (--stonesLeft_ == 0) {
            period_ = byoYomiSeconds_;
            stonesLeft_ = stones_;
        }
    }

  private:
    GtpClock(double main, double byoYomi, long long stones)
        : main_(main),
          byoYomiSeconds_(byoYomi),
          stones_(stones),
          byoYomi_(main <= 0 && stones > 0),
          period_(byoYomi),
          stonesLeft_(stones) {}

    double main_;
    double byoYomiSeconds_;
    long long stones_;
    bool byoYomi_;
    double period_;
    long long stonesLeft_;
};

}  // namespace orvanta::bench
