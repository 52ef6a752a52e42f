#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "engine/position.hpp"

namespace orvanta::testing {

// One line of an FFO file: the position and some moves with their exact scores, best first.
struct FfoPosition {
    int line = 0;
    engine::Position position;
    struct Scored {
        int move;
        int score;
    };
    std::vector<Scored> moves;
};

// Reads "<64 squares> <X|O>; MOVE:SCORE; ..." lines; an unreadable line yields no moves.
inline std::vector<FfoPosition> readFfo(const std::string& path) {
    std::vector<FfoPosition> out;
    std::ifstream file(path);
    std::string text;
    while (std::getline(file, text)) {
        FfoPosition p;
        p.line = static_cast<int>(out.size()) + 1;
        const std::size_t semicolon = text.find(';');
        if (const auto position = engine::Position::parse(text.substr(0, semicolon))) {
            p.position = *position;
            for (std::size_t at = semicolon; at != std::string::npos && at + 1 < text.size();
                 at = text.find(';', at + 1)) {
                const std::size_t colon = text.find(':', at);
                const std::size_t begin = text.find_first_not_of(' ', at + 1);
                if (colon == std::string::npos) {
                    break;
                }
                const auto move = engine::parseSquare(text.substr(begin, colon - begin));
                p.moves.push_back({move.value_or(-1), std::stoi(text.substr(colon + 1))});
            }
        }
        out.push_back(p);
    }
    return out;
}

}  // namespace orvanta::testing
