#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "board/board.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> result;
    std::istringstream stream(bytes);
    for (std::string line; std::getline(stream, line);) {
        result.push_back(line);
    }
    return result;
}

TEST(BoardPrint, StartingPositionIsByteExactShiftJis) {
    ConsoleTest console;
    Board board;
    board.print();
    const std::string sep = "  \x84\xa5" + std::string("\x84\x9f\x84\xa9") + "\x84\x9f\x84\xa9" +
                            "\x84\x9f\x84\xa9\x84\x9f\x84\xa9\x84\x9f\x84\xa9\x84\x9f\x84\xa9" +
                            "\x84\x9f\x84\xa9\x84\x9f\x84\xa7";
    // Rows are built from the raw CP932 bytes: a bar 84 A0, an ideographic space 81 40,
    // black 81 9C, white 81 9B.
    auto row = [](int number, std::string_view cells) {
        std::string line = " " + std::to_string(number);
        for (const char c : cells) {
            line += "\x84\xa0";
            line += c == 'B' ? "\x81\x9c" : c == 'W' ? "\x81\x9b" : "\x81\x40";
        }
        return line + "\x84\xa0";
    };
    std::string expected = "    a    b   c   d   e   f   g   h  \n";
    expected +=
        "  \x84\xa1\x84\x9f\x84\xa6\x84\x9f\x84\xa6\x84\x9f\x84\xa6\x84\x9f\x84\xa6\x84\x9f\x84\xa6"
        "\x84\x9f\x84\xa6\x84\x9f\x84\xa6\x84\x9f\x84\xa2\n";
    const char* rows[] = {"........", "........", "........", "...WB...",
                          "...BW...", "........", "........", "........"};
    for (int y = 1; y <= 8; ++y) {
        expected += row(y, rows[y - 1]) + "\n";
        if (y != 8) {
            expected += sep + "\n";
        }
    }
    expected +=
        "  \x84\xa4\x84\x9f\x84\xa8\x84\x9f\x84\xa8\x84\x9f\x84\xa8\x84\x9f\x84\xa8\x84\x9f\x84\xa8"
        "\x84\x9f\x84\xa8\x84\x9f\x84\xa8\x84\x9f\x84\xa3\n";
    EXPECT_EQ(console.host.output(), expected);

    const auto drawn = lines(console.host.output());
    ASSERT_EQ(drawn.size(), 18u);
    for (const auto& line : drawn) {
        EXPECT_EQ(line.size(), 36u) << testing::fromCp932(line);
    }
}

TEST(BoardPrint, ReadsAsTheExpectedTextWithStonesAndEmptyCells) {
    ConsoleTest console;
    Board board;
    board.set(1, 1, kBlack);
    board.set(8, 8, kWhite);
    board.print();
    const auto drawn = lines(console.host.text());
    EXPECT_EQ(drawn[0], "    a    b   c   d   e   f   g   h  ");
    EXPECT_EQ(drawn[1], "  ┌─┬─┬─┬─┬─┬─┬─┬─┐");
    EXPECT_EQ(drawn[2], " 1│●│　│　│　│　│　│　│　│");
    EXPECT_EQ(drawn[3], "  ├─┼─┼─┼─┼─┼─┼─┼─┤");
    EXPECT_EQ(drawn[8], " 4│　│　│　│○│●│　│　│　│");
    EXPECT_EQ(drawn[10], " 5│　│　│　│●│○│　│　│　│");
    EXPECT_EQ(drawn[16], " 8│　│　│　│　│　│　│　│○│");
    EXPECT_EQ(drawn[17], "  └─┴─┴─┴─┴─┴─┴─┴─┘");
}

TEST(BoardPrint, FullBoardHasNoEmptyCellAndDrawingChangesNothing) {
    ConsoleTest console;
    Board board;
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            board.set(x, y, y <= 4 ? kBlack : kWhite);
        }
    }
    board.print();
    EXPECT_EQ(console.host.text().find("　"), std::string::npos);
    EXPECT_EQ(board.count(kBlack), 32);
    EXPECT_EQ(lines(console.host.text())[2], " 1│●│●│●│●│●│●│●│●│");
}

TEST(BoardPrint, EmptyBoardDrawsEveryCellAsAnIdeographicSpace) {
    ConsoleTest console;
    Board board;
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            board.set(x, y, kEmpty);
        }
    }
    board.print();
    const auto drawn = lines(console.host.text());
    for (int y = 1; y <= 8; ++y) {
        EXPECT_EQ(drawn[static_cast<std::size_t>(2 * y)],
                  " " + std::to_string(y) + "│　│　│　│　│　│　│　│　│");
    }
}

TEST(BoardPrint, DrawingBetweenTestAndPlaceKeepsTheFlags) {
    ConsoleTest console;
    Board board;
    ASSERT_TRUE(board.canPlace(6, 5, kBlack));
    board.print();
    board.place(6, 5, kBlack);
    EXPECT_EQ(board.get(5, 5), kBlack);
    EXPECT_EQ(board.count(kBlack), 4);
}

}  // namespace
}  // namespace orvanta
