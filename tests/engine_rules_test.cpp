#include <gtest/gtest.h>

#include "board/board.hpp"
#include "engine/game_state.hpp"
#include "engine/perft.hpp"
#include "tests/support/engine_games.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/flip_slow.hpp"

namespace orvanta::engine {
namespace {

using orvanta::testing::randomGamePositions;

std::vector<Isa> supportedIsas() {
    std::vector<Isa> isas;
    for (const Isa isa : {Isa::kPortable, Isa::kAvx2}) {
        if (isaSupported(isa)) {
            isas.push_back(isa);
        }
    }
    return isas;
}

TEST(EngineSquares, NamesAndParsesSquaresAndPass) {
    for (int square = 0; square <= kPass; ++square) {
        EXPECT_EQ(parseSquare(squareName(square)), square) << squareName(square);
    }
    EXPECT_EQ(squareName(0), "a1");
    EXPECT_EQ(squareName(7), "h1");
    EXPECT_EQ(squareName(37), "f5");
    EXPECT_EQ(parseSquare("F5"), 37);
    EXPECT_EQ(parseSquare("PaSs"), kPass);
    for (const char* bad : {"", "f", "i1", "a0", "a9", "5f", "f55", "pas", "passe"}) {
        EXPECT_EQ(parseSquare(bad), std::nullopt) << bad;
    }
}

// Board's cells for a position: x is the column 1..8, y the row 1..8.
void copyToBoard(const Position& position, Board& board) {
    for (int square = 0; square < kSquares; ++square) {
        const std::int32_t value = (position.discs(Colour::kBlack) & bit(square)) != 0   ? kBlack
                                   : (position.discs(Colour::kWhite) & bit(square)) != 0 ? kWhite
                                                                                         : kEmpty;
        board.set(square % 8 + 1, square / 8 + 1, value);
    }
}

// Every position of seeded random games, for both colours: the moves and flips of every kernel
// and of the plain walk agree with Board::canPlace and Board::place.
TEST(EngineRules, AgreeWithTheBoardOnRandomGames) {
    orvanta::testing::ConsoleTest console;
    const auto positions = randomGamePositions(20240607, 60);
    ASSERT_GT(positions.size(), 3000u);
    int passes = 0;
    for (const Position& position : positions) {
        passes += position.mustPass() ? 1 : 0;
        Board board;
        copyToBoard(position, board);
        for (const Colour colour : {Colour::kBlack, Colour::kWhite}) {
            const Bitboard player = position.discs(colour);
            const Bitboard opponent = position.discs(other(colour));
            const auto boardColour = colour == Colour::kBlack ? kBlack : kWhite;
            const Bitboard slowMoves = slowLegalMoves(player, opponent);
            for (const Isa isa : supportedIsas()) {
                ASSERT_EQ(kernels(isa).legalMoves(player, opponent), slowMoves) << position.text();
            }
            ASSERT_EQ(legalMoves(player, opponent), slowMoves);
            for (int square = 0; square < kSquares; ++square) {
                if ((position.empty() & bit(square)) == 0) {
                    continue;
                }
                const Bitboard flipped = slowFlips(player, opponent, square);
                for (const Isa isa : supportedIsas()) {
                    ASSERT_EQ(kernels(isa).flips(player, opponent, square), flipped)
                        << position.text() << ' ' << squareName(square);
                }
                ASSERT_EQ(board.canPlace(square % 8 + 1, square / 8 + 1, boardColour),
                          flipped != 0);
                if (flipped != 0) {
                    Board after;
                    after.copyFrom(board).place(square % 8 + 1, square / 8 + 1, boardColour);
                    Board expected;
                    copyToBoard(Position(player ^ flipped ^ bit(square), opponent ^ flipped,
                                         Colour::kBlack),
                                expected);
                    for (int s = 0; s < kSquares; ++s) {
                        const std::int32_t cell = expected.get(s % 8 + 1, s / 8 + 1);
                        const std::int32_t mine =
                            colour == Colour::kBlack ? cell : orvanta::opponent(cell);
                        ASSERT_EQ(after.get(s % 8 + 1, s / 8 + 1), cell == kEmpty ? kEmpty : mine);
                    }
                }
            }
        }
    }
    EXPECT_GT(passes, 5) << "the games must exercise passes";
}

TEST(EnginePerft, CountsFromTheStartMatchTheKnownNumbers) {
    const std::uint64_t expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216, 3005288};
    for (const Isa isa : supportedIsas()) {
        for (int depth = 1; depth <= 9; ++depth) {
            EXPECT_EQ(perft(Position(), depth, isa), expected[depth - 1])
                << isaName(isa) << " depth " << depth;
        }
    }
    std::uint64_t total = 0;
    for (const MoveCount& m : perftByMove(Position(), 6)) {
        EXPECT_EQ(m.count, 2050u) << squareName(m.move) << ": the four openings are symmetric";
        total += m.count;
    }
    EXPECT_EQ(total, 8200u);
}

TEST(EnginePosition, ReadsAndWritesTextAndScoresFinishedGames) {
    struct Case {
        std::string text;
        int score;  // for the mover, once the game is over
        bool over;
        bool mustPass;
    };
    const auto row = [](std::size_t n, char c) { return std::string(n, c); };
    const Case cases[] = {
        {row(27, '-') + "OX" + row(6, '-') + "XO" + row(27, '-') + " X", 0, false, false},
        // Eleven black discs, none for white: black wins 64-0 with the empties.
        {row(11, 'X') + row(53, '-') + " O", -64, true, false},
        {row(33, 'X') + row(31, 'O') + " X", 2, true, false},
        {row(33, 'X') + row(31, 'O') + " O", -2, true, false},
        {row(32, 'X') + row(32, 'O') + " O", 0, true, false},
        {row(61, 'X') + "O-- O", 0, false, true},  // only black can play g8
        {"O-XX" + row(60, '-') + " O", -62, true, false},
    };
    for (const Case& c : cases) {
        const auto position = Position::parse(c.text);
        ASSERT_TRUE(position) << c.text;
        EXPECT_EQ(position->text(), c.text);
        EXPECT_EQ(position->isOver(), c.over) << c.text;
        EXPECT_EQ(position->mustPass(), c.mustPass) << c.text;
        if (c.over) {
            EXPECT_EQ(position->finalScore(), c.score) << c.text;
        }
    }
    for (const char* bad :
         {"", "X", "---------------------------OX------XO--------------------------- Y",
          "---------------------------OX------XO---------------------------X"}) {
        EXPECT_FALSE(Position::parse(bad)) << bad;
    }
    EXPECT_EQ(Position::parse(Position().text()), Position());
}

TEST(EngineGameState, TakesOnlyLegalMovesAndPassesAndUndoes) {
    GameState game;
    struct Step {
        const char* move;
        MoveError error;
    };
    // From the start: f5 d6 c3 d3 c4 ... down to a position where white must pass.
    const Step steps[] = {
        {"a1", MoveError::kNoCapture}, {"d4", MoveError::kOccupied}, {"pass", MoveError::kMustMove},
        {"f5", MoveError::kNone},      {"f4", MoveError::kNone},     {"e3", MoveError::kNone},
        {"f6", MoveError::kNone},      {"d3", MoveError::kNone},     {"e6", MoveError::kNoCapture},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(game.play(*parseSquare(s.move)), s.error) << s.move;
    }
    EXPECT_EQ(game.play(-1), MoveError::kNotASquare);
    EXPECT_EQ(game.play(kPass + 1), MoveError::kNotASquare);
    EXPECT_EQ(game.moves(), (std::vector<int>{37, 29, 20, 45, 19}));
    EXPECT_EQ(game.toMove(), Colour::kWhite);
    EXPECT_EQ(game.discs(Colour::kBlack) + game.discs(Colour::kWhite), 9);
    while (game.undo()) {
    }
    EXPECT_EQ(game.position(), Position());
    EXPECT_TRUE(game.moves().empty());

    // White has no move; black does: white passes, then black plays; once the board is stuck
    // nothing is accepted.
    GameState stuck(
        *Position::parse("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXO-- O"));
    EXPECT_TRUE(stuck.mustPass());
    EXPECT_EQ(stuck.play(62), MoveError::kNoCapture);
    EXPECT_EQ(stuck.play(kPass), MoveError::kNone);
    EXPECT_EQ(stuck.toMove(), Colour::kBlack);
    EXPECT_EQ(stuck.play(62), MoveError::kNone);
    EXPECT_TRUE(stuck.isOver());
    EXPECT_EQ(stuck.play(kPass), MoveError::kGameOver);
    EXPECT_EQ(stuck.moves(), (std::vector<int>{kPass, 62}));
}

}  // namespace
}  // namespace orvanta::engine
