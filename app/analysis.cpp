#include "app/analysis.hpp"

#include "app/exit_status.hpp"
#include "app/options.hpp"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/perft.hpp"
#include "engine/solve.hpp"
#include "platform/console.hpp"

namespace orvanta {

namespace {

using platform::console;

// "12345 nodes in 0.250 s, 49.4 M nodes/s".
std::string speed(std::uint64_t nodes, std::chrono::nanoseconds time) {
    const double seconds = std::chrono::duration<double>(time).count();
    char text[96];
    std::snprintf(text, sizeof text, "%" PRIu64 " nodes in %.3f s, %.1f M nodes/s", nodes, seconds,
                  seconds > 0 ? static_cast<double>(nodes) / seconds / 1e6 : 0.0);
    return text;
}

// Longer lines are no position; only this much of one is kept, so that a file without line ends
// (or an endless device) costs bounded memory.
constexpr std::size_t kMaxObfLine = 4096;

// The next line of `file` without its line end, cut to kMaxObfLine bytes; nothing at the end.
std::optional<std::string> boundedLine(std::istream& file) {
    std::string line;
    bool any = false;
    for (int c; (c = file.get()) != std::char_traits<char>::eof();) {
        any = true;
        if (c == '\n') {
            return line;
        }
        if (line.size() < kMaxObfLine) {
            line += static_cast<char>(c);
        }
    }
    return any ? std::optional<std::string>(line) : std::nullopt;
}

}  // namespace

std::optional<engine::Position> parseObfLine(std::string_view line) {
    return engine::Position::parse(line.substr(0, line.find(';')));
}

int runPerft(int depth) {
    const engine::Position start;
    std::uint64_t total = 0;
    const auto begin = console().steadyTime();
    for (int d = 1; d <= depth; ++d) {
        const std::uint64_t count = engine::perft(start, d);
        total += count;
        console().write(std::to_string(d) + " " + std::to_string(count) + "\n");
    }
    console().error("perft " + std::to_string(depth) + ": " +
                    speed(total, console().steadyTime() - begin));
    return kExitSuccess;
}

int runSolve(const std::string& path, int hashMiB, int threads) {
    std::error_code error;
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    const int cause = std::filesystem::is_directory(path, error) ? EISDIR
                      : !file                                    ? (errno != 0 ? errno : ENOENT)
                                                                 : 0;
    if (cause != 0) {
        console().error("cannot read '" + path + "': " + std::strerror(cause) +
                        "\nTry 'orvanta --help' for more information.");
        return kExitBadUse;
    }
    engine::TranspositionTable table(tableBytes(hashMiB));
    engine::SolveBudget budget;
    budget.threads = threads;
    int status = kExitSuccess;
    std::uint64_t total = 0;
    const auto begin = console().steadyTime();
    int number = 0;
    for (std::optional<std::string> read; (read = boundedLine(file));) {
        const std::string& line = *read;
        ++number;
        const std::string where = path + ":" + std::to_string(number);
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        const auto position = parseObfLine(line);
        if (!position) {
            console().error(where + ": not a position (64 squares of X, O or -, a blank, X or O)");
            status = kExitFailure;
            continue;
        }
        const auto started = console().steadyTime();
        const engine::SolveResult result =
            engine::solve(*position, engine::kMinScore, engine::kMaxScore, table, budget);
        total += result.nodes;
        const std::string move = position->isOver() ? "none" : engine::squareName(result.move);
        char score[8];
        std::snprintf(score, sizeof score, "%+d", result.score);
        console().write(move + " " + score + "\n");
        console().error(where + ": " + speed(result.nodes, console().steadyTime() - started));
    }
    if (file.bad()) {
        console().error("cannot read '" + path + "'");
        return kExitFailure;
    }
    console().error("solved " + path + ": " + speed(total, console().steadyTime() - begin));
    return status;
}

}  // namespace orvanta
