// The GGF reader: the records this program writes, records as servers keep them, and the faults
// it names.
#include <gtest/gtest.h>

#include <random>

#include "board/board.hpp"
#include "game/ggf_reader.hpp"
#include "game/record.hpp"
#include "tests/support/engine_games.hpp"

namespace orvanta {
namespace {

// The standard starting board as BO writes it.
const std::string kStart = std::string(27, '-') + "O*------*O" + std::string(27, '-');
// White on a1, black on b1: black to move must pass, then white's c1 ends the game.
const std::string kPassBoard = "O*" + std::string(62, '-');

std::string game(const std::string& board, const std::string& side, const std::string& tags) {
    return "(;GM[Othello]TY[8]BO[8 " + board + " " + side + "]" + tags + ";)";
}

// Each game as "<line> <start or its board> <moves>", one a line, or "<line>: <what>".
std::string summary(const std::variant<std::vector<GgfGame>, GgfError>& read) {
    if (const auto* error = std::get_if<GgfError>(&read)) {
        return std::to_string(error->line) + ": " + error->what;
    }
    std::string text;
    for (const GgfGame& g : std::get<std::vector<GgfGame>>(read)) {
        text += std::to_string(g.line) + " " +
                (g.start == engine::Position() ? "start" : g.start.text()) + " [" + g.players[0] +
                "|" + g.players[1] + "]";
        for (const int move : g.moves) {
            text += " " + engine::squareName(move);
        }
        text += "\n";
    }
    return text;
}

struct Case {
    const char* name;
    std::string text;
    std::string expected;
};

const std::vector<Case>& cases() {
    const std::string passStart = "OX" + std::string(62, '-') + " X";
    static const std::vector<Case> table = {
        {"nothing", " \n\r\n", ""},
        {"as --record writes",
         "(;GM[Othello]PC[orvanta]DT[2026.12.07_18:49:06.UTC]PB[human]PW[orvanta-level-3]"
         "RE[+14.00]TY[8]BO[8 " +
             kStart + " *]B[f5]W[d6]B[c3];)\n",
         "1 start [human|orvanta-level-3] f5 d6 c3\n"},
        {"server games: rows apart, evaluations and times, either case, over lines",
         "(;GM[Othello]PC[GGS/os]DT[2003.01.01_00:00:00.GMT]PB[alice]PW[bob]RE[?]"
         "TI[15:00//02:00]TY[8]BO[8 -------- -------- -------- ---O*--- ---*O--- -------- "
         "-------- -------- *]B[F5//1.23]W[d6/-2.00/5.1]\nB[c3/1/2] W[D3];)\n"
         "(;GM[Othello]\r\nPB[c\\]d]PW[\x01z]TY[8]\n  BO[8 " +
             kStart + " *]\nB[e6]\n;)\n",
         "1 start [alice|bob] f5 d6 c3 d3\n3 start [c?d|?z] e6\n"},
        {"tags in any order, unknown ones, passes as PA or pass",
         "(;B[pass]C[a [comment\\] here]KM[0]W[c1]TY[8]BO[8 " + kPassBoard + " *]GM[Othello];)" +
             game(kPassBoard, "*", "B[PA]W[C1/+3]"),
         "1 " + passStart + " [|] pass c1\n1 " + passStart + " [|] pass c1\n"},
        {"a forced pass left out", game(kPassBoard, "*", "W[c1]"),
         "1 " + passStart + " [|] pass c1\n"},
        {"white to move first", game(kStart, "O", "W[e3]"),
         "1 " + std::string(27, '-') + "OX------XO" + std::string(27, '-') + " O [|] e3\n"},

        {"a move that captures nothing", game(kStart, "*", "B[f5]W[d6]\nB[a1]"),
         "2: a1 is not legal for black"},
        {"an occupied square", game(kStart, "*", "B[d4]"), "1: d4 is not legal for black"},
        {"out of turn", game(kStart, "*", "B[f5]B[d6]"),
         "1: d6 is given for black, but white is to move"},
        {"a pass with a move at hand", game(kStart, "*", "B[PA]"),
         "1: black may not pass: it has a legal move"},
        {"after the end", game(kPassBoard, "*", "B[PA]W[c1]\nB[d1]"),
         "2: d1 comes after the end of the game"},
        {"not a move", game(kStart, "*", "B[z9]"), "1: not a move: B[z9]"},
        {"an empty move", game(kStart, "*", "B[ ]"), "1: not a move: B[]"},
        {"another size", "(;GM[Othello]TY[10]BO[10 ...];)",
         "1: only the standard 8x8 game (TY[8]) is read, not TY[10]"},
        {"a variant", "\n(;GM[Othello]TY[8r]BO[8 " + kStart + " *];)",
         "2: only the standard 8x8 game (TY[8]) is read, not TY[8r]"},
        {"another game", "(;GM[Go]SZ[19];)", "1: not an Othello game: GM[Go]"},
        {"a board of 63 squares", game(kStart.substr(1), "*", ""),
         "1: the board is not BO[8 <64 squares of *, O or -> <* or O>]"},
        {"a board without its mover", "(;BO[8 " + kStart + "];)",
         "1: the board is not BO[8 <64 squares of *, O or -> <* or O>]"},
        {"two boards", "(;BO[8 " + kStart + " *]BO[8 " + kStart + " *];)",
         "1: a second board BO in one game"},
        {"no board", "(;GM[Othello]\nB[f5];)", "1: the game has no board BO[...]"},
        {"no end", game(kStart, "*", "B[f5]") + "\n\n(;GM[Othello]\nB[f5]",
         "3: the game that begins here has no end \";)\""},
        {"a value without its end", "(;GM[Othello]\nPB[abc;)\n", "2: the value of PB has no ']'"},
        {"a tag without a value", "(;GM Othello;)", "1: the tag GM has no value in [ ]"},
        {"a long tag name", "(;ABCDEFGHIJKLMNOPQ[1];)", "1: a tag name longer than 16 letters"},
        {"text outside the games", game(kStart, "*", "") + "\nhello",
         "2: expected \"(;\" to begin a game, found 'h'"},
        {"a control byte", std::string("\n\x01"),
         "2: expected \"(;\" to begin a game, found \\x01"},
        {"a stray byte in a game", "(;GM[Othello] ?;)",
         "1: expected a tag such as B[f5], found '?'"},
    };
    return table;
}

TEST(GgfReader, ReadsGoodRecordsAndNamesTheLineOfABadOne) {
    for (const Case& c : cases()) {
        const auto read = readGgf(c.text);
        EXPECT_EQ(summary(read), c.expected) << c.name;
        if (const auto* games = std::get_if<std::vector<GgfGame>>(&read)) {
            // Written back, each game reads as the same game.
            for (const GgfGame& g : *games) {
                const auto again = readGgf(ggfText(g));
                ASSERT_TRUE(std::holds_alternative<std::vector<GgfGame>>(again)) << c.name;
                ASSERT_EQ(std::get<std::vector<GgfGame>>(again).size(), 1u);
                GgfGame copy = std::get<std::vector<GgfGame>>(again)[0];
                copy.line = g.line;
                EXPECT_EQ(copy, g) << c.name;
            }
        }
    }
}

// The clock of a game in progress: TI in its forms, each move's time from "/eval/time". What
// makes no sense as a clock leaves the game without one rather than refuse it.
TEST(GgfReader, ReadsTheClockAndEachMovesTime) {
    const struct {
        const char* tags;
        std::optional<double> limit;
        std::vector<double> seconds;
    } cases[] = {
        {"TI[5:00]B[f5//2.5]W[d6/-1.00/0.25]", 300, {2.5, 0.25}},
        {"TI[15:00//02:00]B[F5/1/2]", 900, {2}},
        {"TI[1:00:30.5]", 3630.5, {}},
        {"TI[ 90 ]B[f5]W[d6//]", 90, {0, 0}},
        {"TI[0:00]", std::nullopt, {}},
        {"TI[]", std::nullopt, {}},
        {"TI[5 min]", std::nullopt, {}},
        {"TI[1:2:3:4]", std::nullopt, {}},
        {"TI[-5:00]", std::nullopt, {}},
        {"TI[99999999999]", std::nullopt, {}},
        {"TI[9000:00:00]", std::nullopt, {}},
        {"B[f5//-3]W[d6//nan]B[c3//1e3]W[d3//inf]", std::nullopt, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto read = readGgf(game(kStart, "*", c.tags));
        ASSERT_TRUE(std::holds_alternative<std::vector<GgfGame>>(read)) << c.tags;
        const GgfGame& g = std::get<std::vector<GgfGame>>(read).front();
        EXPECT_EQ(g.timeLimit, c.limit) << c.tags;
        EXPECT_EQ(g.moveSeconds, c.seconds) << c.tags;
        const auto again = readGgf(ggfText(g));
        ASSERT_TRUE(std::holds_alternative<std::vector<GgfGame>>(again)) << ggfText(g);
        EXPECT_EQ(std::get<std::vector<GgfGame>>(again).front().timeLimit, c.limit) << c.tags;
        EXPECT_EQ(std::get<std::vector<GgfGame>>(again).front().moveSeconds, c.seconds) << c.tags;
    }
    // A pass that the record leaves out takes no time.
    const auto read = readGgf(game(kPassBoard, "*", "W[c1//4]"));
    EXPECT_EQ(std::get<std::vector<GgfGame>>(read).front().moveSeconds,
              (std::vector<double>{0, 4}));
}

TEST(GgfReader, NamesTheFileAndLine) {
    EXPECT_EQ(describe("games.ggf", {3, "c4 is not legal for white"}),
              "games.ggf:3: c4 is not legal for white");
}

// Whole seeded random games, passes among them, as game/record.cpp writes them: the reader gives
// back every move and pass.
TEST(GgfReader, ReadsWhatTheRecordWriterWrites) {
    std::mt19937 random(5);
    int passes = 0;
    for (int g = 0; g < 200; ++g) {
        engine::Position position;
        std::vector<int> played;
        std::vector<RecordedMove> recorded;
        while (!position.isOver()) {
            const int move = testing::randomMove(position.moves(), random);
            const std::int32_t colour =
                position.mover() == engine::Colour::kBlack ? kBlack : kWhite;
            recorded.push_back({colour, move == engine::kPass ? std::nullopt
                                                              : std::optional<Point>(Point(
                                                                    move % 8 + 1, move / 8 + 1))});
            played.push_back(move);
            passes += move == engine::kPass ? 1 : 0;
            position = position.after(move);
        }
        const std::string line = ggfRecord(recorded, {"human", "orvanta-level-3"}, 0, 0);
        const auto read = readGgf(line + "\n");
        ASSERT_TRUE(std::holds_alternative<std::vector<GgfGame>>(read)) << summary(read);
        const auto& games = std::get<std::vector<GgfGame>>(read);
        ASSERT_EQ(games.size(), 1u);
        EXPECT_EQ(games[0].moves, played) << line;
        EXPECT_EQ(games[0].start, engine::Position());
        EXPECT_EQ(games[0].players[1], "orvanta-level-3");
    }
    EXPECT_GT(passes, 5);
}

}  // namespace
}  // namespace orvanta
