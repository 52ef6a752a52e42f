// A self-play test: a candidate GTP engine against a reference one, from a fixed file of balanced
// openings, each played twice with the colours swapped, under a sequential probability ratio
// test that stops as soon as it decides. Prints every pair as it ends, then the score, the Elo
// difference with its 95% interval, the log-likelihood ratio and the verdict.
//
// Usage: sprt --openings FILE --candidate "CMD" --reference "CMD" [--time SECONDS]
//             [--candidate-clock "M B S"] [--reference-clock "M B S"]
//             [--concurrency N] [--max-games N] [--elo0 E] [--elo1 E] [--alpha A] [--beta B]
//             [--log FILE]
//        sprt --make-openings N [--seed S] [--openings FILE]
//             (writes N balanced openings to standard output: FILE's first, then random ones)
// Commands are split at blanks (no shell). Without --time both play by their own budget (the
// same --level gives both the same node budget and depth); with --time each is told
// `time_settings 0 SECONDS 1`, SECONDS a move, and one game is played at a time by default,
// else two. --candidate-clock and --reference-clock give one side `time_settings M B S` instead
// (whole seconds: "0 1 2" is a second for every two moves); the other keeps --time, or its own
// budget. A side with a clock is told `time_left` before each of its moves, as a GUI does. With
// --log, every finished pair is added to FILE, and a FILE of the same match already there is
// resumed: its pairs count and their openings are not played again (a match of many hours can be
// stopped and taken up later; pin both commands to built revisions). Exit status: 0 decided or
// played out, 1 an engine failed (or too few openings to make), 2 bad arguments or log.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/gtp_engine.hpp"
#include "bench/openings.hpp"
#include "bench/sprt_log.hpp"
#include "bench/sprt_stats.hpp"
#include "engine/symmetry.hpp"

namespace orvanta::bench {
namespace {

struct Options {
    std::string openings;
    std::string log;
    std::string commands[2];  // candidate, reference
    int time = 0;             // whole seconds a move (as GTP has it); 0: the engines' own budgets
    std::string clocks[2];    // time_settings arguments of a side, overriding `time`
    int concurrency = 0;      // 0: 1 when timed, else 2
    int maxGames = 0;         // 0: every opening with both colours
    double elo0 = 0;
    double elo1 = 10;
    double alpha = 0.05;
    double beta = 0.05;
    int makeOpenings = 0;
    std::uint32_t seed = 1;
};

std::optional<double> number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Reads the options; a message on a bad one.
std::optional<Options> parse(int argc, char** argv, std::string& error) {
    Options o;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            error = flag + " needs a value";
            return std::nullopt;
        }
        const std::string value = argv[i + 1];
        if (flag == "--openings") {
            o.openings = value;
        } else if (flag == "--log") {
            o.log = value;
        } else if (flag == "--candidate" || flag == "--reference") {
            o.commands[flag == "--candidate" ? 0 : 1] = value;
        } else if (flag == "--candidate-clock" || flag == "--reference-clock") {
            std::istringstream words(value);
            long long m = -1;
            long long b = -1;
            long long stones = -1;
            std::string rest;
            if (!(words >> m >> b >> stones) || (words >> rest) || m < 0 || b < 0 || stones < 0 ||
                m > 1000000 || b > 1000000 || stones > 1000 || m + b == 0) {
                error = "bad value for ";
                error.append(flag).append(": ").append(value).append(" (MAIN BYO-YOMI STONES)");
                return std::nullopt;
            }
            o.clocks[flag == "--candidate-clock" ? 0 : 1] =
                std::to_string(m) + " " + std::to_string(b) + " " + std::to_string(stones);
        } else {
            const auto n = number(value);
            double* target = flag == "--elo0"    ? &o.elo0
                             : flag == "--elo1"  ? &o.elo1
                             : flag == "--alpha" ? &o.alpha
                             : flag == "--beta"  ? &o.beta
                                                 : nullptr;
            int* whole = flag == "--time"            ? &o.time
                         : flag == "--concurrency"   ? &o.concurrency
                         : flag == "--max-games"     ? &o.maxGames
                         : flag == "--make-openings" ? &o.makeOpenings
                                                     : nullptr;
            if (target == nullptr && whole == nullptr && flag != "--seed") {
                error = "unknown option " + flag;
                return std::nullopt;
            }
            if (!n || *n < 0 || (whole != nullptr && (*n != std::floor(*n) || *n > 1e6))) {
                error = "bad value for ";
                error.append(flag).append(": ").append(value);
                return std::nullopt;
            }
            if (target != nullptr) {
                *target = *n;
            } else if (whole != nullptr) {
                *whole = static_cast<int>(*n);
            } else {
                o.seed = static_cast<std::uint32_t>(*n);
            }
        }
    }
    if (o.makeOpenings > 0) {
        return o;
    }
    if (o.openings.empty() || o.commands[0].empty() || o.commands[1].empty()) {
        error = "--openings, --candidate and --reference are required";
        return std::nullopt;
    }
    if (o.alpha <= 0 || o.alpha >= 0.5 || o.beta <= 0 || o.beta >= 0.5 || o.elo1 <= o.elo0) {
        error = "need 0 < alpha, beta < 0.5 and elo0 < elo1";
        return std::nullopt;
    }
    for (std::string& clock : o.clocks) {
        if (clock.empty() && o.time > 0) {
            clock = "0 " + std::to_string(o.time) + " 1";
        }
    }
    return o;
}

// What the log's header says of the time: --time's seconds when both sides have them (0 when
// neither has a clock), else each side's clock.
std::string timeField(const Options& o) {
    const std::string plain = "0 " + std::to_string(o.time) + " 1";
    if ((o.time > 0 && o.clocks[0] == plain && o.clocks[1] == plain) ||
        (o.time == 0 && o.clocks[0].empty() && o.clocks[1].empty())) {
        return std::to_string(o.time);
    }
    return "candidate " + (o.clocks[0].empty() ? "none" : o.clocks[0]) + ", reference " +
           (o.clocks[1].empty() ? "none" : o.clocks[1]);
}

bool timed(const Options& o) {
    return !o.clocks[0].empty() || !o.clocks[1].empty();
}

// Balanced random openings of six moves, no two the same position up to the board's symmetries.
// `kept` (from --openings) come first, unchanged, and the random ones fill up to `count`: a set
// grows without the openings of matches already logged moving. The balance is judged by this
// build's engine, so a set is reproduced by the revision that wrote it.
// False, with a message, when fewer than `count` distinct openings are found.
bool makeOpenings(int count, std::uint32_t seed, const std::vector<std::vector<int>>& kept) {
    constexpr int kLength = 6;
    constexpr int kBalanceDiscs = 4;
    std::set<std::pair<Bitboard, Bitboard>> seen;
    // Prints `opening` unless it is a position seen already (`kept` ones always, so that the
    // lines of the openings kept do not move).
    const auto add = [&seen](const std::vector<int>& opening, bool keep) {
        GameState game;
        std::string text;
        for (const int move : opening) {
            game.play(move);
            text += (text.empty() ? "" : " ") + squareName(move);
        }
        const Position& p = game.position();
        std::pair<Bitboard, Bitboard> canonical{~Bitboard{0}, ~Bitboard{0}};
        for (int k = 0; k < kSymmetries; ++k) {
            canonical = std::min(canonical, {symmetry(p.player(), k), symmetry(p.opponent(), k)});
        }
        if (!seen.insert(canonical).second && !keep) {
            return false;
        }
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        return true;
    };
    std::printf("# %d openings of %d moves, a 6-ply search within %d discs of even (", count,
                kLength, kBalanceDiscs);
    if (!kept.empty()) {
        std::printf("%zu kept, then ", kept.size());
    }
    std::printf("seed %u)\n", seed);
    int made = 0;
    for (const auto& opening : kept) {
        made += add(opening, true) ? 1 : 0;
    }
    // Balanced positions after six moves are about 930 up to symmetry: past them, no new one
    // comes, and the search gives up.
    constexpr int kFruitlessDraws = 20000;
    for (std::uint32_t draw = seed, fruitless = 0; made < count; ++draw) {
        const bool added = add(randomOpenings(1, kLength, kBalanceDiscs, draw).front(), false);
        made += added ? 1 : 0;
        fruitless = added ? 0 : fruitless + 1;
        if (fruitless == kFruitlessDraws) {
            std::fprintf(stderr, "sprt: no new opening in %d draws: %d made\n", kFruitlessDraws,
                         made);
            return false;
        }
    }
    return true;
}

// The match's state, shared by the workers.
class Match {
  public:
    // `logged`: the pairs of a resumed match; `log` (may be null) takes every new pair's line.
    Match(const Options& options, std::vector<std::vector<int>> openings,
          const std::vector<PairRecord>& logged, std::FILE* log)
        : options_(options),
          openings_(std::move(openings)),
          bounds_(sprtBounds(options.alpha, options.beta)),
          log_(log) {
        const int all = static_cast<int>(openings_.size());
        const int pairLimit =
            options.maxGames > 0 ? std::min(all, (options.maxGames + 1) / 2) : all;
        std::vector<bool> used(static_cast<std::size_t>(all), false);
        for (const PairRecord& r : logged) {
            used[static_cast<std::size_t>(r.opening)] = true;
            count(r);
        }
        for (int i = 0; i < all && std::ssize(logged) + std::ssize(queue_) < pairLimit; ++i) {
            if (!used[static_cast<std::size_t>(i)]) {
                queue_.push_back(i);
            }
        }
        stop_ = decided();
    }

    // Prints the score of the logged pairs a resumed match starts from.
    void summariseResumed(const std::string& path) const {
        std::printf("resumed from %s: ", path.c_str());
        summary(stdout);
        std::fflush(stdout);
    }

    // Plays pairs until the test decides, the openings run out or an engine fails.
    void work() {
        try {
            GtpEngine candidate(options_.commands[0]);
            GtpEngine reference(options_.commands[1]);
            GtpEngine* engines[2] = {&candidate, &reference};
            for (;;) {
                const int slot = next_++;
                if (slot >= std::ssize(queue_) || stop_) {
                    return;
                }
                const int index = queue_[static_cast<std::size_t>(slot)];
                Side sides[2];
                int discs[2];
                for (int game = 0; game < 2; ++game) {
                    std::optional<GtpClock> clocks[2];
                    for (int side = 0; side < 2; ++side) {
                        if (!options_.clocks[side].empty()) {
                            engines[side]->ask("time_settings " + options_.clocks[side]);
                            clocks[side] = GtpClock::parse(options_.clocks[side]);
                        }
                    }
                    discs[game] = playGame(engines, openings_[static_cast<std::size_t>(index)],
                                           game == 0, sides, clocks);
                }
                record(index, discs, sides);
            }
        } catch (const std::exception& e) {
            const std::lock_guard lock(mutex_);
            if (failure_.empty()) {
                failure_ = e.what();
            }
            stop_ = true;
        }
    }

    // Prints the summary; the exit status.
    int report() const {
        if (!failure_.empty()) {
            std::fprintf(stderr, "sprt: %s\n", failure_.c_str());
            return 1;
        }
        std::printf("candidate: %s\nreference: %s\n%s\n", options_.commands[0].c_str(),
                    options_.commands[1].c_str(),
                    timed(options_) ? ("time " + timeField(options_)).c_str()
                                    : "budgets: the engines' own (same level: same nodes)");
        summary(stdout);
        const double llr = logLikelihoodRatio(counts_, options_.elo0, options_.elo1);
        const Verdict v = verdict(llr, bounds_);
        std::printf("SPRT elo0 %+.1f elo1 %+.1f alpha %.3f beta %.3f: %s\n", options_.elo0,
                    options_.elo1, options_.alpha, options_.beta,
                    v == Verdict::kH1   ? "H1 accepted (the candidate is stronger)"
                    : v == Verdict::kH0 ? "H0 accepted (not stronger by elo1)"
                                        : "undecided (game limit reached)");
        return 0;
    }

  private:
    void record(int index, const int discs[2], const Side sides[2]) {
        const std::lock_guard lock(mutex_);
        if (stop_) {
            return;  // decided while this pair was under way: it does not count
        }
        PairRecord r;
        r.opening = index;
        for (int i = 0; i < 2; ++i) {
            r.discs[i] = discs[i];
            r.seconds[i] = sides[i].seconds;
            r.moves[i] = sides[i].moves;
        }
        count(r);
        if (log_ != nullptr) {
            std::fprintf(log_, "%s\n", pairLine(r).c_str());
            std::fflush(log_);
        }
        std::printf("pair %3d (opening %3d): %+3d %+3d  ", pairStats(counts_).pairs, index + 1,
                    discs[0], discs[1]);
        summary(stdout);
        std::fflush(stdout);
        stop_ = decided();
    }

    // Adds a finished pair to the score.
    void count(const PairRecord& r) {
        int halfPoints = 0;
        for (int game = 0; game < 2; ++game) {
            halfPoints += r.discs[game] > 0 ? 2 : r.discs[game] == 0 ? 1 : 0;
            wins_ += r.discs[game] > 0 ? 1 : 0;
            draws_ += r.discs[game] == 0 ? 1 : 0;
            discSum_ += r.discs[game];
        }
        for (int side = 0; side < 2; ++side) {
            seconds_[side] += r.seconds[side];
            moves_[side] += r.moves[side];
        }
        ++counts_[static_cast<std::size_t>(halfPoints)];
    }

    bool decided() const {
        return verdict(logLikelihoodRatio(counts_, options_.elo0, options_.elo1), bounds_) !=
               Verdict::kContinue;
    }

    void summary(FILE* out) const {
        const PairStats s = pairStats(counts_);
        const int games = 2 * s.pairs;
        const EloEstimate e = eloEstimate(counts_);
        std::fprintf(out,
                     "games %d +%d =%d -%d, score %.1f%%, discs %+.2f, Elo %+.1f [%+.1f, %+.1f], "
                     "LLR %+.2f [%+.2f, %+.2f], pairs %d-%d-%d-%d-%d, s/move %.3f %.3f\n",
                     games, wins_, draws_, games - wins_ - draws_, 100 * s.mean,
                     games > 0 ? discSum_ / games : 0.0, e.elo, e.low, e.high,
                     logLikelihoodRatio(counts_, options_.elo0, options_.elo1), bounds_.lower,
                     bounds_.upper, counts_[0], counts_[1], counts_[2], counts_[3], counts_[4],
                     moves_[0] > 0 ? seconds_[0] / moves_[0] : 0.0,
                     moves_[1] > 0 ? seconds_[1] / moves_[1] : 0.0);
    }

    const Options& options_;
    std::vector<std::vector<int>> openings_;
    SprtBounds bounds_;
    std::FILE* log_ = nullptr;
    std::vector<int> queue_;  // the openings to play, in order
    std::atomic<int> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::string failure_;
    Pentanomial counts_{};
    int wins_ = 0;
    int draws_ = 0;
    double discSum_ = 0;
    double seconds_[2] = {};
    int moves_[2] = {};
};

}  // namespace
}  // namespace orvanta::bench

int main(int argc, char** argv) {
    using namespace orvanta::bench;
    std::string error;
    const auto options = parse(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "sprt: %s\n", error.c_str());
        return 2;
    }
    if (options->makeOpenings > 0) {
        std::vector<std::vector<int>> kept;
        if (!options->openings.empty()) {
            auto read = readOpenings(options->openings, error);
            if (!read) {
                std::fprintf(stderr, "sprt: %s\n", error.c_str());
                return 2;
            }
            kept = std::move(*read);
        }
        return makeOpenings(options->makeOpenings, options->seed, kept) ? 0 : 1;
    }
    auto openings = readOpenings(options->openings, error);
    if (!openings) {
        std::fprintf(stderr, "sprt: %s\n", error.c_str());
        return 2;
    }
    std::vector<PairRecord> logged;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, &std::fclose);
    if (!options->log.empty()) {
        const std::string header = logHeader(options->commands[0], options->commands[1],
                                             timeField(*options), options->openings);
        auto read = readLog(options->log, header, static_cast<int>(openings->size()), error);
        if (!read) {
            std::fprintf(stderr, "sprt: %s\n", error.c_str());
            return 2;
        }
        logged = std::move(*read);
        if (!rewriteLog(options->log, header, logged)) {
            std::fprintf(stderr, "sprt: cannot write %s\n", options->log.c_str());
            return 2;
        }
        log.reset(std::fopen(options->log.c_str(), "ab"));
        if (!log) {
            std::fprintf(stderr, "sprt: cannot write %s\n", options->log.c_str());
            return 2;
        }
    }
    signal(SIGPIPE, SIG_IGN);
    const int workers = options->concurrency > 0 ? options->concurrency : timed(*options) ? 1 : 2;
    Match match(*options, std::move(*openings), logged, log.get());
    if (!logged.empty()) {
        match.summariseResumed(options->log);
    }
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(workers));
    for (int i = 0; i < workers; ++i) {
        threads.emplace_back([&match] { match.work(); });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    return match.report();
}
