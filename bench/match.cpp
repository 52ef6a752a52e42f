// A match between two GTP engines, refereed on the engine's own rules: random balanced openings
// of a few moves, each played twice with the colours swapped. Reports the score of the first
// engine, the mean disc difference and the mean time a move of each side.
//
// Usage: match [--pairs N] [--seed S] [--opening N] [--balance DISCS] --a "CMD ARGS" --b "CMD ARGS"
// Commands are split at blanks (no shell). Example:
//   match --pairs 8 --a "build-bench/orvanta --gtp --level=10" --b "gtp-rhino --level 4"
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/gtp_engine.hpp"

using namespace orvanta::bench;

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
        GtpEngine a(commands[0]);
        GtpEngine b(commands[1]);
        GtpEngine* engines[2] = {&a, &b};
        Side sides[2];
        double points = 0;
        int difference = 0;
        int games = 0;
        for (const auto& opening : randomOpenings(pairs, length, balance, seed)) {
            for (int aPlays = 0; aPlays < 2; ++aPlays) {
                // aPlays 0: A is black; 1: A is white.
                const int forA = playGame(engines, opening, aPlays == 0, sides);
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
