#pragma once

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/game_state.hpp"

namespace orvanta::bench {

// One opening a line: its moves as squares separated by blanks ("f5 d6 c3"); blank lines and
// lines starting with # are skipped. Every move must be legal. A message names a bad line.
inline std::optional<std::vector<std::vector<int>>> readOpenings(const std::string& path,
                                                                 std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::vector<std::vector<int>> openings;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#') {
            continue;
        }
        std::istringstream words(line);
        engine::GameState game;
        for (std::string word; words >> word;) {
            const auto move = engine::parseSquare(word);
            if (!move || game.play(*move) != engine::MoveError::kNone) {
                error = path;
                error.append(":").append(std::to_string(number)).append(": ").append(word);
                error += " is not legal here";
                return std::nullopt;
            }
        }
        openings.push_back(game.moves());
    }
    if (openings.empty()) {
        error = path + ": no openings";
        return std::nullopt;
    }
    return openings;
}

}  // namespace orvanta::bench
