// `orvanta --review=FILE [--game=N]`: its options, its screen, and its streams and status from
// the real program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/launch.hpp"
#include "app/options.hpp"
#include "app/review_command.hpp"
#include "engine/position.hpp"
#include "game/ggf_reader.hpp"
#include "game/review.hpp"
#include "platform/terminal.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"
#include "tests/support/scratch.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::sessionFile;

TEST(ReviewOptions, FileGameAndLevelOrOneComplaint) {
    const struct {
        std::vector<std::string> args;
        std::string expected;  // "review=FILE game=N level=L", or the complaint
    } cases[] = {
        {{"--review=a.ggf"}, "review=a.ggf game=0 level=-"},
        {{"--review", "a.ggf", "--game=3", "--level=10"}, "review=a.ggf game=3 level=10"},
        {{"--game=1000000", "--review=a"}, "review=a game=1000000 level=-"},
        {{"--review="}, "invalid value '' for --review (it may not be empty)"},
        {{"--review=a", "--game=0"}, "invalid value '0' for --game (1 to 1000000)"},
        {{"--review=a", "--game=1000001"}, "invalid value '1000001' for --game (1 to 1000000)"},
        {{"--review=a", "--game=-1"}, "invalid value '-1' for --game (1 to 1000000)"},
        {{"--game=2"}, "--game needs --review"},
        {{"--review-boards"}, "--review-boards needs --review"},
        {{"--review=a", "--level=0"}, "--review reviews at levels 1 to 10"},
        {{"--review=a", "--gtp"},
         "--review may not be given with --gtp, --nboard, --perft or --solve"},
        {{"--solve=b", "--review=a"},
         "--review may not be given with --gtp, --nboard, --perft or --solve"},
        {{"--nboard", "--review=a"},
         "--review may not be given with --gtp, --nboard, --perft or --solve"},
    };
    EXPECT_EQ(Options{}.reviewLevel, kDefaultReviewLevel) << "player mode reviews as --review";
    for (const auto& c : cases) {
        const auto parsed = parseOptions(c.args);
        const auto* error = std::get_if<UsageError>(&parsed);
        std::string described;
        if (const auto* o = std::get_if<Options>(&parsed)) {
            described = "review=" + o->review + " game=" + std::to_string(o->reviewGame) +
                        " level=" + (o->level ? std::to_string(*o->level) : "-");
        }
        EXPECT_EQ(error ? error->message : described, c.expected);
    }
}

// Two games at level 6: an opening as a server writes it, and an endgame from a board with white
// to move, passes and bad moves, solved exactly. Set ORVANTA_UPDATE_SESSIONS=1 to rewrite the
// transcript (then read the diff).
TEST(ReviewScreen, MatchesItsTranscriptAndGameNPicksOneGame) {
    const std::string file = ORVANTA_SESSIONS_DIR "/review_two_games.ggf";
    std::string whole;
    {
        ConsoleTest console;
        EXPECT_EQ(launch({"--review=" + file, "--level=6"}), 0);
        whole = console.host.screen();
        EXPECT_EQ(console.host.errors, "");
    }
    if (std::getenv("ORVANTA_UPDATE_SESSIONS") != nullptr) {
        std::ofstream(ORVANTA_SESSIONS_DIR "/review_two_games.out", std::ios::binary) << whole;
    }
    EXPECT_EQ(whole, sessionFile("review_two_games.out"));
    ConsoleTest console;
    EXPECT_EQ(launch({"--review=" + file, "--level=6", "--game=2"}), 0);
    EXPECT_EQ(console.host.screen(), whole.substr(whole.find(" 2局目")));
}

// Walking a review on a terminal (next, the end of the list, previous, the start of the list,
// a jump, a move not reviewed, a wrong answer, back), and the boards of --review-boards: each
// pinned by its transcript, every line within 79 columns.
TEST(ReviewScreen, WalkingTheMovesAndTheBoardsMatchTheirTranscripts) {
    const std::string file = ORVANTA_SESSIONS_DIR "/review_two_games.ggf";
    const struct {
        const char* name;
        std::string input;
        Options options;
    } cases[] = {
        {"review_walk",
         "\nn\nn\nn\nn\np\np\np\np\n8\n3\nx\nq\n",
         {.level = 6, .review = file, .reviewGame = 2, .walk = true}},
        {"review_boards", "", {.level = 6, .review = file, .reviewGame = 2, .boards = true}},
    };
    for (const auto& c : cases) {
        ConsoleTest console(c.input);
        EXPECT_EQ(runReview(c.options), 0);
        const std::string expected = std::string(c.name) + ".out";
        if (std::getenv("ORVANTA_UPDATE_SESSIONS") != nullptr) {
            std::ofstream(ORVANTA_SESSIONS_DIR "/" + expected, std::ios::binary)
                << console.host.screen();
        }
        EXPECT_EQ(console.host.screen(), sessionFile(expected));
        const std::string bytes = console.host.output();
        for (std::size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos;
             start = end + 1) {
            EXPECT_LE(end - start, 79u) << c.name << ": " << console.host.text();
        }
    }
}

// On a terminal the walk is offered without being asked for: the real program on a
// pseudo-terminal shows the walk's transcript in the terminal's character set.
TEST(RealProgramReview, WalksTheReviewOnATerminal) {
    std::string screen = sessionFile("review_walk.out");
    const auto run =
        testing::runProgram({.input = "\nn\nn\nn\nn\np\np\np\np\n8\n3\nx\nq\n",
                             .args = {"--review=" ORVANTA_SESSIONS_DIR "/review_two_games.ggf",
                                      "--game=2", "--level=6"},
                             .env = {"LC_ALL=C.UTF-8", "NO_COLOR=1"},
                             .in = testing::Stream::Terminal,
                             .out = testing::Stream::Terminal,
                             .answer = "\x1b[1;2R"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "\r─\x1b[6n\r\x1b[K" + platform::padAmbiguous(screen));
}

// Standard output holds whole reviews or nothing: every fault is one line on standard error
// naming the file (and the line), with status 1.
TEST(RealProgramReview, ReviewsOnStandardOutputAndNamesWhatCannotBeRead) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto good = testing::scratchPath("good.ggf");
    const auto bad = testing::scratchPath("bad.ggf");
    const std::string start = "(;GM[Othello]TY[8]BO[8 " + std::string(27, '-') + "O*------*O" +
                              std::string(27, '-') + " *]";
    std::ofstream(good) << start << "B[f5]W[f6];)\n";
    std::ofstream(bad) << start << "B[f5]W[f6];)\n" << start << "B[f5]\nW[f6]\nB[e6]W[c4];)\n";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;  // after "orvanta: "
    } cases[] = {
        {{"--review=" + good.string(), "--level=2"}, 0, ""},
        {{"--review=" + bad.string(), "--level=2"},
         1,
         bad.string() + ":4: c4 is not legal for white\n"},
        {{"--review=" + good.string(), "--game=2"},
         1,
         "'" + good.string() + "' holds 1 game, not 2\n"},
        {{"--review=" + good.string() + ".none"},
         1,
         "cannot read '" + good.string() + ".none': No such file or directory\n"},
        {{"--review=" + dir.string()}, 1, "cannot read '" + dir.string() + "': Is a directory\n"},
        {{"--review=/dev/zero"}, 1, "cannot review '/dev/zero': larger than 64 MiB\n"},
        {{"--review=" + good.string(), "--charset=ASCII"},
         2,
         "character set 'ASCII' cannot show the program's text\nTry 'orvanta --help' for more "
         "information.\n"},
    };
    for (const auto& c : cases) {
        const auto run = testing::runProgram({.args = c.args});
        EXPECT_EQ(run.status, c.status) << c.args[0];
        if (c.status == 0) {
            EXPECT_EQ(run.err, "");
            EXPECT_TRUE(testing::fromCp932(run.out).starts_with(" 1局目  黒 -  白 -\n"))
                << "CP932 on a pipe";
        } else {
            EXPECT_EQ(run.err, "orvanta: " + c.err);
            EXPECT_EQ(run.out, "");
        }
    }
    const auto utf8 = testing::runProgram(
        {.args = {"--review=" + good.string(), "--level=2", "--charset=UTF-8"}});
    EXPECT_EQ(utf8.status, 0);
    EXPECT_EQ(testing::fromCp932(
                  testing::runProgram({.args = {"--review=" + good.string(), "--level=2"}}).out),
              utf8.out);
    std::filesystem::remove(good);
    std::filesystem::remove(bad);
}

// The review after a game in player mode, which searches while the game is played, is the review
// of the game's record, line for line: the background's results are those the review would find.
// Moves handed over to the computer ("auto") are listed as its own and count in no loss.
TEST(ReviewAfterAGame, IsTheReviewOfItsRecordAndAutoMovesAreNotThePlayers) {
    const auto reviewIn = [](const std::string& screen) {
        const auto from = screen.find("　─対局の振り返り─");
        return from == std::string::npos
                   ? std::string()
                   : screen.substr(from, screen.find("　─メニュー─", from) - from);
    };
    // Two players who hand every move to the computer.
    const testing::Scratch first("first.ggf");
    std::string words = "1";
    for (int i = 0; i < 70; ++i) {
        words += " auto";
    }
    std::string handedOver;
    {
        ConsoleTest console(words + " -1");
        ASSERT_EQ(
            run({.seed = 5, .record = first.path, .level = 2, .coach = true, .reviewLevel = 5}), 0);
        handedOver = reviewIn(console.host.text());
    }
    ASSERT_FALSE(handedOver.empty()) << "the game ended";
    EXPECT_NE(handedOver.find(" 損失の合計 : 黒 = 0,  白 = 0\n"), std::string::npos) << handedOver;
    EXPECT_NE(handedOver.find("（auto）"), std::string::npos);
    EXPECT_EQ(handedOver.find("悪手"), std::string::npos);

    // The same game typed move by move: now the players' own.
    const auto games = std::get<std::vector<GgfGame>>(readGgf(testing::readFile(first.path)));
    ASSERT_EQ(games.size(), 1u);
    std::string typed = "1";
    for (const int move : games[0].moves) {
        if (move != engine::kPass) {
            typed += " " + engine::squareName(move);
        }
    }
    const testing::Scratch second("second.ggf");
    std::string review;
    {
        ConsoleTest console(typed + " -1");
        ASSERT_EQ(run({.record = second.path, .level = 2, .coach = true, .reviewLevel = 5}), 0);
        review = reviewIn(console.host.text());
    }
    EXPECT_EQ(review.find("（auto）"), std::string::npos);
    EXPECT_NE(review.find("悪手"), std::string::npos);
    ConsoleTest console("");
    ASSERT_EQ(runReview({.level = 5, .review = second.path}), 0);
    const std::string text = console.host.text();
    EXPECT_TRUE(text.starts_with(" 1局目  黒 human  白 human\n"));
    EXPECT_EQ(text.substr(text.find('\n') + 1), review);
}

}  // namespace
}  // namespace orvanta
