#include "app/nboard.hpp"

#include "app/exit_status.hpp"
#include "app/options.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "app/nboard_ggf.hpp"
#include "app/numbers.hpp"
#include "engine/time_manager.hpp"
#include "game/review.hpp"
#include "platform/console.hpp"
#include "players/levels.hpp"
#include "players/move_scores.hpp"

namespace orvanta {

namespace nboard {

// How often a long search says that it goes on.
constexpr std::chrono::seconds kStatusInterval(2);
// The most empty squares a search solves exactly, whatever the depth.
constexpr int kMostExactEmpties = 20;
// The longest line kept: a whole game in GGF with an eval and a time on every move fits.
constexpr std::size_t kLongestLine = 16384;
// How long `quit` waits for the reading thread to see the end of the input before leaving it.
constexpr std::chrono::seconds kQuitGrace(2);

// The first word of `text` and the rest, blanks trimmed.
std::pair<std::string_view, std::string_view> split(std::string_view text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return {};
    }
    text.remove_prefix(begin);
    const auto end = std::min(text.find(' '), text.size());
    std::string_view rest = text.substr(end);
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    while (!rest.empty() && rest.back() == ' ') {
        rest.remove_suffix(1);
    }
    return {text.substr(0, end), rest};
}

// A whole number from `low` to `high`: an optional sign and digits, nothing else.
std::optional<long long> whole(std::string_view text, long long low, long long high) {
    return parseWhole(text, low, high, Sign::kAllowed);
}

// A decimal as the GUI writes evals and times: a sign, digits, a point (not "inf" or "nan").
std::optional<double> decimal(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);  // from_chars takes only a minus
        if (text.starts_with('-')) {
            return std::nullopt;
        }
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string fixed(double value) {
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                   std::chars_format::fixed, 2)
                         .ptr;
    return {digits.data(), end};
}

// A score in 1/kScoreScale discs as NBoard reads evals: "2.00", "-1.50".
std::string eval(int score) {
    return fixed(static_cast<double>(score) / engine::kScoreScale);
}

std::string seconds(std::chrono::nanoseconds time) {
    return fixed(std::chrono::duration<double>(time).count());
}

// "F5", "PA" for a pass.
std::string moveName(int move) {
    return move == engine::kPass ? "PA" : engine::squareName(move, engine::Letters::kUpper);
}

// "F5-D6-C3".
std::string pvText(const std::vector<int>& moves) {
    std::string text;
    for (const int move : moves) {
        text.append(text.empty() ? "" : "-").append(moveName(move));
    }
    return text;
}

// A search line: "search F5-D6 2.00 0 12", the depth "100%" when the score is exact.
std::string searchLine(const std::vector<int>& pv, int score, bool exact, int depth) {
    return "search " + pvText(pv) + " " + eval(score) + " 0 " +
           (exact ? std::string("100%") : std::to_string(depth)) + "\n";
}

// Lines are read in one thread and carried out in another: the queue between them.
class LineQueue {
  public:
    void push(platform::Word line) {
        const std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
        changed_.notify_all();
    }
    void close() {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }
    // The next line, waiting for it; nothing once the input has ended and every line is taken.
    std::optional<platform::Word> pop() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !lines_.empty() || closed_; });
        if (lines_.empty()) {
            return std::nullopt;
        }
        platform::Word line = std::move(lines_.front());
        lines_.pop_front();
        return line;
    }
    // Whether a line (or the end of the input) is waiting to be taken.
    bool waiting() {
        const std::lock_guard lock(mutex_);
        return !lines_.empty() || closed_;
    }
    // Waits at most `limit` for the end of the input; whether it came.
    bool awaitClose(std::chrono::nanoseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return closed_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<platform::Word> lines_;
    bool closed_ = false;
};

}  // namespace nboard

int nboardExactEmpties(int depth) {
    return std::min(2 * depth + 2, nboard::kMostExactEmpties);
}

engine::Selectivity nboardSelectivity(int /*depth*/) {
    return engine::Selectivity::k11;
}

Nboard::Nboard(std::size_t hashBytes, std::function<std::chrono::nanoseconds()> clock,
               std::function<void(std::string_view)> send, engine::Book book)
    : search_(hashBytes), book_(book), clock_(std::move(clock)), send_(std::move(send)) {}

void Nboard::error(const std::string& message) {
    send_("status error: " + message + "\n");
}

void Nboard::run(std::string_view line, const std::function<bool()>& interrupted) {
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\t') {
            text += ' ';
        } else if (byte >= 32 && byte != 127) {
            text += c;
        }
    }
    const auto [command, rest] = nboard::split(text);
    if (command.empty()) {
        return;
    }
    if (command == "nboard") {
        const auto version = nboard::whole(rest, 0, 1'000'000);
        if (!version) {
            error("nboard takes the protocol's version");
        } else if (*version != 2) {
            error("this engine speaks version 2 of the protocol");
        } else {
            send_("set myname Orvanta\n");
            send_("status Orvanta is waiting\n");
        }
    } else if (command == "set") {
        const auto [what, value] = nboard::split(rest);
        set(what, value);
    } else if (command == "move") {
        move(rest);
    } else if (command == "hint") {
        hint(rest, interrupted);
    } else if (command == "go" && rest.empty()) {
        go(interrupted);
    } else if (command == "analyze" && rest.empty()) {
        analyze(interrupted);
    } else if (command == "ping") {
        if (!nboard::whole(rest, 0, 999'999'999'999'999'999)) {
            error("ping takes a whole number");
        } else {
            send_("pong " + std::string(rest) + "\n");
        }
    } else if (command == "learn" && rest.empty()) {
        send_("learned\n");
    } else if (command == "quit" && rest.empty()) {
        done_ = true;
    } else if (command == "go" || command == "analyze" || command == "learn" || command == "quit") {
        error(std::string(command) + " takes nothing");
    } else {
        error("unknown command '" + std::string(command) + "'");
    }
}

void Nboard::set(std::string_view what, std::string_view value) {
    if (what == "depth") {
        const auto depth = nboard::whole(value, 1, kMaxDepth);
        if (!depth) {
            return error("the depth goes from 1 to 60");
        }
        depth_ = static_cast<int>(*depth);
    } else if (what == "game") {
        auto game = readNboardGame(value);
        if (const auto* message = std::get_if<std::string>(&game)) {
            return error("set game: " + *message);
        }
        auto& read = std::get<NboardGame>(game);
        game_ = std::move(read.state);
        timeLimit_ = read.timeLimit;
        timeUsed_ = read.timeUsed;
    } else if (what == "contempt") {
        const auto contempt =
            nboard::whole(value, -engine::kSquares * 100LL, engine::kSquares * 100LL);
        if (!contempt) {
            return error("the contempt is a whole number of centi-discs");
        }
        contempt_ = static_cast<int>(*contempt);
    } else {
        error("unknown setting '" + std::string(what) + "'");
    }
}

void Nboard::move(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t end = std::min(text.find('/', from), text.size());
        parts.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    const std::string name = parts.empty() ? "" : std::string(parts[0]);
    const bool pass = name == "PA" || name == "pa" || name == "pass";
    const auto square = pass ? std::optional<int>(engine::kPass) : engine::parseSquare(name);
    const bool wellFormed =
        square && parts.size() <= 3 && text.find(' ') == std::string_view::npos &&
        std::all_of(parts.begin() + 1, parts.end(),
                    [](std::string_view part) { return part.empty() || nboard::decimal(part); });
    if (!wellFormed) {
        return error("move takes a square or PA, perhaps with /eval/time");
    }
    // A square for the side whose opponent had to pass stands for the pass and the move.
    const std::size_t before = game_.moves().size();
    const engine::Colour mover = *square != engine::kPass && game_.mustPass()
                                     ? engine::other(game_.toMove())
                                     : game_.toMove();
    if (*square != engine::kPass && game_.mustPass()) {
        game_.play(engine::kPass);
    }
    if (game_.play(*square) != engine::MoveError::kNone) {
        while (game_.moves().size() > before) {
            game_.undo();
        }
        return error(name + " is not legal here");
    }
    if (parts.size() == 3 && !parts[2].empty()) {
        timeUsed_[static_cast<std::size_t>(mover)] += std::max(*nboard::decimal(parts[2]), 0.0);
    }
}

engine::SearchLimits Nboard::limits(const std::function<bool()>& interrupted) {
    searchStart_ = lastStatus_ = clock_();
    send_("status Orvanta is thinking\n");
    engine::SearchLimits limits;
    limits.depth = depth_;
    limits.exactEmpties = nboardExactEmpties(depth_);
    limits.selectivity = nboardSelectivity(depth_);
    limits.stop = [this, &interrupted] {
        const auto now = clock_();
        if (now - lastStatus_ >= nboard::kStatusInterval) {
            lastStatus_ = now;
            send_(
                "status Orvanta is thinking, " +
                std::to_string(
                    std::chrono::duration_cast<std::chrono::seconds>(now - searchStart_).count()) +
                " s\n");
        }
        return interrupted && interrupted();
    };
    return limits;
}

void Nboard::finish(std::uint64_t nodes) {
    send_("nodestats " + std::to_string(nodes) + " " + nboard::seconds(clock_() - searchStart_) +
          "\n");
    send_("status Orvanta is waiting\n");
}

void Nboard::hint(std::string_view count, const std::function<bool()>& interrupted) {
    const auto wanted = nboard::whole(count, 1, 1'000'000);
    if (!wanted) {
        return error("hint takes how many moves to show, from 1");
    }
    const engine::Position& position = game_.position();
    std::vector<int> moves;
    for (engine::Bitboard set = position.moves(); set != 0; set &= set - 1) {
        moves.push_back(engine::firstSquare(set));
    }
    // Every move is searched a ply deeper each round, the best of the last round first, and the
    // best `wanted` are sent after each round. The first round always finishes, so that an
    // interrupted hint still has a score for every move. A move keeps its deepest score.
    engine::SearchLimits searchLimits = limits(interrupted);
    struct Hinted {
        MoveScore score;
        int depth = 0;
    };
    std::vector<Hinted> hinted;
    std::uint64_t nodes = 0;
    bool stopped = false;
    for (int depth = 2; !moves.empty() && !stopped; ++depth) {
        searchLimits.depth = std::min(depth, depth_);
        bool allExact = true;
        for (std::size_t i = 0; i < moves.size() && (!stopped || hinted.size() < moves.size());
             ++i) {
            MoveScore score = scoreMove(search_, position, moves[i], searchLimits);
            nodes += search_.lastNodes();
            stopped = interrupted && interrupted();
            allExact = allExact && score.exact;
            if (i == hinted.size()) {
                hinted.push_back({std::move(score), searchLimits.depth});
            } else if (!stopped || score.exact) {
                hinted[i] = {std::move(score), searchLimits.depth};
            }
        }
        std::stable_sort(hinted.begin(), hinted.end(), [](const Hinted& a, const Hinted& b) {
            return a.score.score > b.score.score;
        });
        for (std::size_t i = 0; i < hinted.size(); ++i) {
            moves[i] = hinted[i].score.move;
            if (i < static_cast<std::size_t>(*wanted)) {
                const MoveScore& s = hinted[i].score;
                send_(nboard::searchLine(s.line, s.score, s.exact, hinted[i].depth));
            }
        }
        if (allExact || searchLimits.depth == depth_) {
            break;
        }
    }
    finish(nodes);
}

void Nboard::go(const std::function<bool()>& interrupted) {
    const engine::Position& position = game_.position();
    if (position.isOver()) {
        return error("the game is over");
    }
    if (position.mustPass()) {
        send_("=== PA\n");
        return;
    }
    searchStart_ = clock_();
    if (const auto fromBook =
            depth_ >= kBookDepth ? bookMove(kMaxLevel, book_, position) : std::nullopt) {
        const std::string time = nboard::seconds(clock_() - searchStart_);
        send_("nodestats 0 " + time + "\n");
        send_("=== " + nboard::moveName(fromBook->move) + "/" + nboard::eval(fromBook->score) +
              "/" + time + "\n");
        return;
    }
    engine::SearchLimits searchLimits = limits(interrupted);
    // Under the game's clock the move gets its share of the time left: the search begins no
    // iteration after the soft limit and gives up the one under way at the hard limit.
    if (timeLimit_) {
        const double left = *timeLimit_ - timeUsed_[static_cast<std::size_t>(position.mover())];
        if (const auto time =
                engine::moveTime({*timeLimit_, 0, 0}, engine::TimeLeft{std::max(left, 0.0), 0},
                                 position.empties())) {
            const engine::Deadline deadline = engine::deadline(clock_, *time);
            searchLimits.stop = [poll = searchLimits.stop, hard = deadline.stop] {
                return poll() || hard();
            };
            searchLimits.softStop = deadline.softStop;
        }
    }
    searchLimits.onIteration = [this](const engine::SearchResult& result) {
        send_(nboard::searchLine(result.pv, result.score, result.exact, result.depth));
    };
    const engine::SearchResult result = search_.run(position, searchLimits);
    const std::string time = nboard::seconds(clock_() - searchStart_);
    send_("nodestats " + std::to_string(result.nodes) + " " + time + "\n");
    send_("=== " + nboard::moveName(result.move) + "/" + nboard::eval(result.score) + "/" + time +
          "\n");
    send_("status Orvanta is waiting\n");
}

void Nboard::analyze(const std::function<bool()>& interrupted) {
    engine::SearchLimits searchLimits = limits(interrupted);
    std::uint64_t nodes = 0;
    analyseBackwards(search_, game_.start(), game_.moves(), searchLimits,
                     [&](std::size_t n, int score) {
                         nodes += search_.lastNodes();
                         if (interrupted && interrupted()) {
                             return false;  // the search was cut short: its value is not sent
                         }
                         send_("analysis " + std::to_string(n) + " " + nboard::eval(score) + "\n");
                         return true;
                     });
    finish(nodes);
}

int runNboard(int hashMiB, int threads, bool book) {
    auto& console = platform::console();
    auto queue = std::make_shared<nboard::LineQueue>();
    std::thread reader;
    try {
        reader = std::thread([queue, &console] {
            while (auto line = console.readLine(nboard::kLongestLine)) {
                queue->push(std::move(*line));
            }
            queue->close();
        });
    } catch (const std::system_error& error) {
        // The protocol reads its input while it searches, which needs this second thread.
        console.error(std::string("cannot start the input reader: ") + error.what());
        return kExitFailure;
    }
    // The reader is joined once the input has ended, or left to the end of the process (blocked
    // in a read, it touches nothing else).
    const auto release = [&] {
        if (queue->awaitClose(nboard::kQuitGrace)) {
            reader.join();
            return true;
        }
        reader.detach();
        return false;
    };
    try {
        Nboard nboard(
            tableBytes(hashMiB), [&console] { return console.steadyTime(); },
            [&console](std::string_view text) { console.write(text); },
            book ? engine::builtinBook() : engine::Book());
        nboard.setThreads(threads);
        const std::function<bool()> interrupted = [&queue] { return queue->waiting(); };
        while (!nboard.done()) {
            const auto line = queue->pop();
            if (!line) {
                break;
            }
            if (line->truncated) {
                console.write("status error: line too long\n");
                continue;
            }
            nboard.run(line->bytes, interrupted);
        }
    } catch (...) {
        release();
        throw;
    }
    if (release() && console.inputError() != 0) {
        console.error(std::string("standard input: ") + std::strerror(console.inputError()));
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace orvanta
