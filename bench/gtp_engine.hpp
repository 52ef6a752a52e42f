#pragma once

// What the match tools share: a GTP engine behind pipes, random balanced openings, and one game
// refereed on the engine's own rules. POSIX only (fork, pipes), like the tools.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/gtp_clock.hpp"
#include "engine/game_state.hpp"
#include "engine/search.hpp"

namespace orvanta::bench {

using namespace orvanta::engine;

// One engine behind pipes, spoken to in GTP.
class GtpEngine {
  public:
    explicit GtpEngine(const std::string& command) : command_(command) {
        std::istringstream words(command);
        std::vector<std::string> args;
        for (std::string word; words >> word;) {
            args.push_back(word);
        }
        int toChild[2];
        int fromChild[2];
        // Close-on-exec, so that an engine started later does not hold this one's pipes open:
        // an engine must see the end of its input when its own match goes.
        if (args.empty() || pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) {
            throw std::runtime_error("cannot start " + command);
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close(toChild[1]);
            close(fromChild[0]);
            std::vector<char*> argv;
            argv.reserve(args.size() + 1);
            for (auto& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
    }
    // Says quit and reads to the end, so that the engine's answer finds the pipe open.
    ~GtpEngine() {
        std::fputs("quit\n", in_);
        std::fclose(in_);
        char line[4096];
        while (std::fgets(line, sizeof line, out_) != nullptr) {
        }
        std::fclose(out_);
        waitpid(pid_, nullptr, 0);
    }
    GtpEngine(const GtpEngine&) = delete;
    GtpEngine& operator=(const GtpEngine&) = delete;

    // Sends a command; returns the answer's text, or throws when the engine refuses or dies.
    std::string ask(const std::string& command) {
        std::fputs((command + "\n").c_str(), in_);
        std::fflush(in_);
        std::string answer;
        char line[4096];
        while (std::fgets(line, sizeof line, out_) != nullptr) {
            if (line[0] == '\n' && !answer.empty()) {
                break;
            }
            answer += line;
        }
        if (answer.size() < 1 || answer[0] != '=') {
            throw std::runtime_error(command_ + " answered '" + answer + "' to " + command);
        }
        const std::size_t start = answer.find_first_not_of("= \n");
        const std::size_t end = answer.find_last_not_of(" \n");
        return start == std::string::npos ? "" : answer.substr(start, end - start + 1);
    }

  private:
    std::string command_;
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};

inline std::string colourName(Colour c) {
    return c == Colour::kBlack ? "black" : "white";
}

// Random openings whose position a short search of the engine finds near even.
inline std::vector<std::vector<int>> randomOpenings(int count, int length, int balance,
                                                    std::uint32_t seed) {
    std::mt19937 draw(seed);
    Search search(std::size_t{1} << 20);
    std::vector<std::vector<int>> result;
    while (static_cast<int>(result.size()) < count) {
        GameState game;
        for (int i = 0; i < length && !game.isOver(); ++i) {
            std::vector<int> moves;
            for (Bitboard m = game.legalMoves(); m != 0; m &= m - 1) {
                moves.push_back(firstSquare(m));
            }
            game.play(moves.empty() ? kPass : moves[draw() % moves.size()]);
        }
        SearchLimits limits;
        limits.depth = 6;
        const int score = search.run(game.position(), limits).score;
        if (std::abs(score) <= balance * kScoreScale) {
            result.push_back(game.moves());
        }
    }
    return result;
}

// The seconds one side spent thinking and the moves it made.
struct Side {
    double seconds = 0;
    int moves = 0;
};

// Plays one game from `opening` between engines[0] (black when aIsBlack, else white) and
// engines[1]; returns the final disc difference for engines[0]. Throws on an illegal move.
// A side with a clock (clocks[i], given with time_settings beforehand) is told its time left
// before each move.
inline int playGame(GtpEngine* engines[2], const std::vector<int>& opening, bool aIsBlack,
                    Side sides[2], std::optional<GtpClock> clocks[2] = nullptr) {
    using Clock = std::chrono::steady_clock;
    GameState game;
    for (int i = 0; i < 2; ++i) {
        engines[i]->ask("boardsize 8");
        engines[i]->ask("clear_board");
    }
    for (const int move : opening) {
        const Colour mover = game.toMove();
        game.play(move);
        for (int i = 0; i < 2; ++i) {
            engines[i]->ask("play " + colourName(mover) + " " + squareName(move));
        }
    }
    while (!game.isOver()) {
        if (game.mustPass()) {
            game.play(kPass);  // both engines pass on their own
            continue;
        }
        const Colour mover = game.toMove();
        const int index = (mover == Colour::kBlack) == aIsBlack ? 0 : 1;
        std::optional<GtpClock>* clock =
            clocks != nullptr && clocks[index] ? &clocks[index] : nullptr;
        if (clock != nullptr) {
            engines[index]->ask("time_left " + colourName(mover) + " " + (*clock)->left());
        }
        const auto start = Clock::now();
        const std::string answer = engines[index]->ask("genmove " + colourName(mover));
        const double spent = std::chrono::duration<double>(Clock::now() - start).count();
        sides[index].seconds += spent;
        if (clock != nullptr) {
            (*clock)->spend(spent);
        }
        ++sides[index].moves;
        const auto move = parseSquare(answer);
        if (!move || game.play(*move) != MoveError::kNone) {
            throw std::runtime_error("illegal move " + answer + " from engine " + "AB"[index]);
        }
        engines[1 - index]->ask("play " + colourName(mover) + " " + answer);
    }
    const int black = game.position().mover() == Colour::kBlack ? game.position().finalScore()
                                                                : -game.position().finalScore();
    return aIsBlack ? black : -black;
}

}  // namespace orvanta::bench
