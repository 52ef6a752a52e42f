// Game records: every game that ends becomes one GGF line, which a reader written here from the
// format alone replays on the reference board.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "app/launch.hpp"
#include "board/board.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

// What a record says, checked move by move against the rules: the tags, and the margin of a
// finished game computed from the final position (empty squares to the winner).
struct Replayed {
    std::string tags;  // every property but the moves, in order
    int moves = 0;
    int passes = 0;
    bool over = false;
    int margin = 0;
};

Replayed replay(const std::string& line) {
    Replayed result;
    const std::regex node(R"(^\(;(.*);\)$)");
    std::smatch match;
    EXPECT_TRUE(std::regex_match(line, match, node)) << line;
    const std::string body = match[1];
    const std::regex property(R"(([A-Z]+)\[([^\]]*)\])");
    Board board;
    std::int32_t side = kBlack;
    for (auto it = std::sregex_iterator(body.begin(), body.end(), property);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        const std::string value = (*it)[2];
        if (name != "B" && name != "W") {
            result.tags += (*it)[0];
            continue;
        }
        EXPECT_EQ(name == "B" ? kBlack : kWhite, side) << "out of turn: " << value;
        Point square(0, 0);
        if (value == "PA") {
            EXPECT_FALSE(board.hasMove(side)) << "a pass with a legal move";
            ++result.passes;
        } else {
            EXPECT_TRUE(square.parse(value) && value.size() == 2 && board.canPlace(square, side))
                << value << " is not legal";
            board.place(square, side);
            ++result.moves;
        }
        side = opponent(side);
    }
    result.over = !board.hasMove(kBlack) && !board.hasMove(kWhite);
    const int black = board.count(kBlack);
    const int white = board.count(kWhite);
    const int empty = board.count(kEmpty);
    result.margin = black > white   ? black + empty - white
                    : black < white ? black - white - empty
                                    : 0;
    return result;
}

TEST(Record, EveryGameThatEndsIsOneGgfLineThatReplaysAndTheScreenStaysTheSame) {
    const struct {
        std::string input;
        std::string black, white, result;  // result "": abandoned, no RE tag
        int moves, passes;
        int level = 0;
    } cases[] = {
        {testing::sessionFile("full_board_draw.in"), "human", "human", "+0.00", 60, 0},
        {testing::sessionFile("pass_then_white_wins.in"), "human", "human", "-8.00", 59, 1},
        {testing::sessionFile("wipeout_black_wins.in"), "human", "human", "+64.00", 9, 0},
        {"1 f5 f6 out -1", "human", "human", "", 2, 0},
        {"2", "orvanta", "human", "", 1, 0},  // the computer moves first, the input ends
        {"2", "orvanta-level-3", "human", "", 1, 0, 3},
    };
    const auto path = testing::scratchPath("record.ggf");
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        ConsoleTest plain(c.input);
        plain.host.clock = 1'700'000'002;
        run({.seed = 5, .level = c.level});
        ConsoleTest recorded(c.input);
        recorded.host.clock = 1'700'000'002;
        run({.seed = 5, .record = path.string(), .level = c.level});
        EXPECT_EQ(recorded.host.screen(), plain.host.screen());
        const std::string games = testing::readFile(path.string());
        ASSERT_EQ(std::count(games.begin(), games.end(), '\n'), 1) << c.input.substr(0, 20);
        const Replayed game = replay(games.substr(0, games.size() - 1));
        EXPECT_EQ(game.tags, "GM[Othello]PC[orvanta]DT[2023.11.14_22:13:22.UTC]PB[" + c.black +
                                 "]PW[" + c.white + "]" +
                                 (c.result.empty() ? "" : "RE[" + c.result + "]") + "TY[8]BO[8 " +
                                 std::string(27, '-') + "O*------*O" + std::string(27, '-') +
                                 " *]");
        EXPECT_EQ(game.over, !c.result.empty());
        if (game.over) {
            EXPECT_EQ(std::stoi(c.result), game.margin);
        }
        EXPECT_EQ(game.moves, c.moves);
        EXPECT_EQ(game.passes, c.passes);
    }
    std::filesystem::remove(path);
}

TEST(Record, AFailingRecordFileIsReportedOnceAndTheGamesGoOn) {
    ConsoleTest plain("1 f5 out 1 out -1");
    run();
    ConsoleTest full("1 f5 out 1 out -1");
    EXPECT_EQ(run({.record = "/dev/full"}), 0);
    EXPECT_EQ(full.host.screen(), plain.host.screen());
    EXPECT_EQ(full.host.errors, "orvanta: /dev/full: No space left on device\n");
}

}  // namespace
}  // namespace orvanta
