#include "game/record.hpp"

#include <cstdio>

#include "board/board.hpp"

namespace orvanta {

std::string ggfRecord(const std::vector<RecordedMove>& moves,
                      const std::array<std::string, 2>& players, std::time_t date,
                      std::optional<int> margin) {
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &date);
#else
    gmtime_r(&date, &utc);
#endif
    char dateText[32];
    std::strftime(dateText, sizeof dateText, "%Y.%m.%d_%H:%M:%S.UTC", &utc);
    std::string text = "(;GM[Othello]PC[orvanta]DT[" + std::string(dateText) + "]PB[" +
                       players[kBlack] + "]PW[" + players[kWhite] + "]";
    if (margin) {
        char result[16];
        std::snprintf(result, sizeof result, "%+d.00", *margin);
        text += "RE[" + std::string(result) + "]";
    }
    text += "TY[8]BO[8 ";
    Board start;
    for (std::int32_t y = 1; y <= 8; ++y) {
        for (std::int32_t x = 1; x <= 8; ++x) {
            text += start.get(x, y) == kBlack ? '*' : start.get(x, y) == kWhite ? 'O' : '-';
        }
    }
    text += " *]";
    for (const RecordedMove& move : moves) {
        text += move.colour == kBlack ? "B[" : "W[";
        text += move.square ? squareName(*move.square) : "PA";
        text += "]";
    }
    return text + ";)";
}

}  // namespace orvanta
