// A match between two GTP engines, refereed on the engine's own rules: random balanced openings
// of a few moves, each played twice with the colours swapped. Reports the score of the first
// engine, the mean disc difference and the mean time a move of each side.
//
// Usage: match [--pairs N] [--seed S] [--opening N] [--balance DISCS] --a "CMD ARGS" --b "CMD ARGS"
// Commands are split at blanks (no shell). Example:
//   match --pairs 8 --a "build-bench/orvanta --gtp --level=10" --b "gtp-rhino --level 4"
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/game_state.hpp"
#include "engine/search.hpp"

namespace {

using namespace orvanta::engine;
using Clock = std::chrono::steady_clock;

// One engine behind pipes, spoken to in GTP.
class Engine {
  public:
    explicit Engine(const std::string& command) : command_(command) {
        std::istringstream words(command);
        std::vector<std::string> args;
        for (std::string word; words >> word;) {
            args.push_back(word);
        }
        int toChild[2];
        int fromChild[2];
        if (args.empty() || pipe(toChild) != 0 || pipe(fromChild) != 0) {
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
    ~Engine() {
        std::fputs("quit\n", in_);
        std::fclose(in_);
        std::fclose(out_);
        waitpid(pid_, nullptr, 0);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

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

struct Side {
    double seconds = 0;
    int moves = 0;
};

std::string colourName(Colour c) {
    return c == Colour::kBlack ? "black" : "white";
}

// Random openings whose position a short search of the engine finds near even.
std::vector<std::vector<int>> openings(int count, int length, int balance, std::uint32_t seed) {
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

}  // namespace

int main(int argc, char** argv) {
    int pairs = 8;
    int length = 6;
    int balance = 4;
    std::uint32_t seed = 1;
    std::string commands[2];
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const std::string value = argv[i + 1];
        if (flag == "--pairs") {
            pairs = std::atoi(value.c_str());
        } else if (flag == "--opening") {
            length = std::atoi(value.c_str());
        } else if (flag == "--balance") {
            balance = std::atoi(value.c_str());
        } else if (flag == "--seed") {
            seed = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (flag == "--a" || flag == "--b") {
            commands[flag == "--a" ? 0 : 1] = value;
        } else {
            std::fprintf(stderr, "match: unknown option %s\n", flag.c_str());
            return 2;
        }
    }
    if (commands[0].empty() || commands[1].empty() || pairs < 1) {
        std::fprintf(stderr, "usage: match [--pairs N] [--seed S] --a \"CMD\" --b \"CMD\"\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    try {
        Engine a(commands[0]);
        Engine b(commands[1]);
        Engine* engines[2] = {&a, &b};
        Side sides[2];
        double points = 0;
        int difference = 0;
        int games = 0;
        for (const auto& opening : openings(pairs, length, balance, seed)) {
            for (int aPlays = 0; aPlays < 2; ++aPlays) {
                // aPlays 0: A is black; 1: A is white.
                GameState game;
                for (Engine* engine : engines) {
                    engine->ask("boardsize 8");
                    engine->ask("clear_board");
                }
                for (const int move : opening) {
                    const Colour mover = game.toMove();
                    game.play(move);
                    for (Engine* engine : engines) {
                        engine->ask("play " + colourName(mover) + " " + squareName(move));
                    }
                }
                while (!game.isOver()) {
                    if (game.mustPass()) {
                        game.play(kPass);  // both engines pass on their own
                        continue;
                    }
                    const Colour mover = game.toMove();
                    const int index = (mover == Colour::kBlack) == (aPlays == 0) ? 0 : 1;
                    const auto start = Clock::now();
                    const std::string answer = engines[index]->ask("genmove " + colourName(mover));
                    sides[index].seconds +=
                        std::chrono::duration<double>(Clock::now() - start).count();
                    ++sides[index].moves;
                    const auto move = parseSquare(answer);
                    if (!move || game.play(*move) != MoveError::kNone) {
                        throw std::runtime_error("illegal move " + answer + " from " +
                                                 commands[index]);
                    }
                    engines[1 - index]->ask("play " + colourName(mover) + " " + answer);
                }
                const int black = game.position().mover() == Colour::kBlack
                                      ? game.position().finalScore()
                                      : -game.position().finalScore();
                const int forA = aPlays == 0 ? black : -black;
                points += forA > 0 ? 1 : forA == 0 ? 0.5 : 0;
                difference += forA;
                ++games;
                std::printf("game %2d: A %s, %+3d for A\n", games, aPlays == 0 ? "black" : "white",
                            forA);
                std::fflush(stdout);
            }
        }
        std::printf("A: %s\nB: %s\n", commands[0].c_str(), commands[1].c_str());
        std::printf("games %d, A scores %.1f of %d (%.1f%%), mean disc difference %+.2f\n", games,
                    points, games, 100 * points / games, static_cast<double>(difference) / games);
        for (int i = 0; i < 2; ++i) {
            std::printf("%c: %d moves, %.3f s a move\n", "AB"[i], sides[i].moves,
                        sides[i].moves ? sides[i].seconds / sides[i].moves : 0.0);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "match: %s\n", error.what());
        return 1;
    }
    return 0;
}
