// Player mode: the marks of the legal moves, undo, the configuration file and the choices kept
// between runs. (Its screens are pinned by the coach_* transcripts.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "app/choices.hpp"
#include "app/config.hpp"
#include "app/launch.hpp"
#include "platform/converter.hpp"
#include "platform/terminal.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/positions.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::Rows;
using testing::sessionFile;

// A move prompt of player mode: the colour to move and the board drawn last before it, with
// the marked squares as a separate set of rows ('*' a dot or the hint's double circle, '.' not)
// and the squares framed by heavy lines (the last move) as '#'.
struct Prompt {
    std::int32_t colour;
    Rows cells;
    Rows marks;
    Rows framed;
};

std::vector<Prompt> promptsOf(const std::string& screen) {
    std::vector<Prompt> prompts;
    Rows cells(8), marks(8), framed(8);
    const auto isEdge = [](std::string_view text) { return text == "│" || text == "┃"; };
    std::size_t start = 0;
    for (std::size_t end; (end = screen.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = screen.substr(start, end - start);
        if (line.size() > 3 && line[0] == ' ' && line[1] >= '1' && line[1] <= '8' &&
            isEdge(line.substr(2, 3))) {
            const auto row = static_cast<std::size_t>(line[1] - '1');
            cells[row].clear();
            marks[row].clear();
            framed[row].clear();
            for (std::size_t at = 2; isEdge(line.substr(at, 3)) && at + 3 < line.size();) {
                const std::string cell = line.substr(at + 3, 3);
                cells[row] += cell == "●" ? 'B' : cell == "○" ? 'W' : '.';
                marks[row] += cell == "・" || cell == "◎" ? '*' : '.';
                const bool heavy = line.substr(at, 3) == "┃" && line.substr(at + 6, 3) == "┃";
                framed[row] += heavy ? '#' : '.';
                at += 6;
            }
        }
        if (line.find("どこに置きますか？(f5, hint") != std::string::npos) {
            prompts.push_back({line.starts_with(" ●黒") ? kBlack : kWhite, cells, marks, framed});
        }
    }
    return prompts;
}

Rows legalRows(const Rows& cells, std::int32_t colour) {
    Board board;
    testing::setRows(board, cells);
    Rows legal(8, std::string(8, '.'));
    for (std::int32_t y = 1; y <= 8; ++y) {
        for (std::int32_t x = 1; x <= 8; ++x) {
            if (board.canPlace(x, y, colour)) {
                legal[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)] = '*';
            }
        }
    }
    return legal;
}

TEST(PlayerMode, TheMarksAreTheLegalMovesAtEveryPromptAndUndoRestoresEarlierBoards) {
    for (const char* name : {"coach_two_players", "coach_white_level_3"}) {
        const auto prompts = promptsOf(sessionFile(std::string(name) + ".out"));
        ASSERT_GT(prompts.size(), 10u) << name;
        for (std::size_t i = 0; i < prompts.size(); ++i) {
            EXPECT_EQ(prompts[i].marks, legalRows(prompts[i].cells, prompts[i].colour))
                << name << ", prompt " << i;
            // The last move framed, one square with a disc on it; none at the start.
            const std::string framed =
                std::accumulate(prompts[i].framed.begin(), prompts[i].framed.end(), std::string());
            const std::string cells =
                std::accumulate(prompts[i].cells.begin(), prompts[i].cells.end(), std::string());
            const auto at = framed.find('#');
            if (cells == std::string(27, '.') + "WB......BW" + std::string(27, '.')) {
                EXPECT_EQ(at, std::string::npos) << name << ", prompt " << i;
            } else {
                ASSERT_NE(at, std::string::npos) << name << ", prompt " << i;
                EXPECT_NE(cells[at], '.') << name << ", prompt " << i;
                EXPECT_EQ(framed.find('#', at + 1), std::string::npos) << name << ", prompt " << i;
            }
        }
    }
    // White's words: hint, auto, auto, hint, undo, undo, ... Each undo takes back white's move
    // and black's reply: the board of the prompt before that move comes back exactly.
    const auto prompts = promptsOf(sessionFile("coach_white_level_3.out"));
    EXPECT_EQ(prompts[5].cells, prompts[2].cells);
    EXPECT_EQ(prompts[6].cells, prompts[0].cells);
    EXPECT_NE(prompts[2].cells, prompts[0].cells);
}

TEST(PlayerMode, TheListingAndTheRecordKeepTheGameAsFinallyPlayed) {
    const testing::Scratch record("record.ggf");
    const std::string& path = record.path;
    {
        ConsoleTest console("1 f5 d6 undo f4 undo undo c4 e3 f6 out 4 -1");
        EXPECT_EQ(run({.record = path, .coach = true}), 0);
        EXPECT_NE(console.host.text().find("  1 [BLACK] : c4\n  2 [WHITE] : e3\n  3 [BLACK] : f6\n"
                                           "   BLACK : 5"),
                  std::string::npos);
    }
    EXPECT_NE(testing::readFile(path).find("B[c4]W[e3]B[f6];)"), std::string::npos);
}

TEST(RealProgramPlayerMode, AGameOnATerminalIsTheTranscriptsGameInTheTerminalsCharacterSet) {
    // NO_COLOR=1 for the transcripts written on a file without colour; the colour transcript,
    // written with --colour=always, is what a terminal gets by default.
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* env;
    } cases[] = {
        {"coach_white_level_3",
         {"--coach", "--seed=11", "--review-level=6", "--pause-scale=0"},
         "NO_COLOR=1"},
        {"coach_words_and_answers",
         {"--coach", "--seed=3", "--level=1", "--pause-scale=0"},
         "NO_COLOR=1"},
        {"coach_colour", {"--coach", "--seed=3", "--level=1", "--pause-scale=0"}, "NO_COLOR="},
        {"english_coach",
         {"--coach", "--seed=11", "--review-level=6", "--pause-scale=0", "--lang=en"},
         "NO_COLOR=1"},
    };
    for (const auto& c : cases) {
        std::string screen = sessionFile(std::string(c.name) + ".out");
        for (auto at = screen.find("{pause"); at != std::string::npos; at = screen.find("{pause")) {
            screen.erase(at, screen.find('}', at) + 1 - at);
        }
        // On a terminal a review may be walked: the player answers q, back to the menu.
        std::string input = sessionFile(std::string(c.name) + ".in");
        const bool english = std::string_view(c.name).starts_with("english");
        if (const auto review =
                screen.find(english ? "  -Review of the game-" : "　─対局の振り返り─");
            review != std::string::npos) {
            screen.insert(
                screen.find(english ? "  -Menu-" : "　─メニュー─", review),
                english
                    ? " On the board: Enter or n next, p previous, a number, q done -> \n"
                    : " 盤面で見る : Enter か n 次の手, p 前の手, 番号 その手目, q 終わり -> \n");
            input.insert(input.rfind("4\n-1\n"), "q\n");
        }
        const auto run = testing::runProgram({.input = input,
                                              .args = c.args,
                                              .env = {"LC_ALL=C.UTF-8", c.env},
                                              .in = testing::Stream::Terminal,
                                              .out = testing::Stream::Terminal,
                                              .answer = "\x1b[1;2R"});
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_EQ(run.out, "\r─\x1b[6n\r\x1b[K" + platform::padAmbiguous(screen)) << c.name;
        EXPECT_NE(run.err.find("warning: cannot keep the choices in '/proc/orvanta-tests/state/"),
                  std::string::npos)
            << "an unwritable state folder is one warning, and the game goes on: " << c.name;
    }
}

std::string describe(const std::variant<Options, UsageError>& parsed) {
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return error->message;
    }
    const Options& o = std::get<Options>(parsed);
    return "level=" + (o.level ? std::to_string(*o.level) : "-") + (o.coach ? " coach" : "") +
           (o.seat ? " seat=" + std::to_string(static_cast<int>(*o.seat)) : "") +
           (o.gtp ? " gtp" : "") + (o.threads ? " threads=" + std::to_string(*o.threads) : "") +
           (o.book ? "" : " book=off") +
           (o.colouring == Colouring::kAlways  ? " colour=always"
            : o.colouring == Colouring::kNever ? " colour=never"
                                               : "");
}

TEST(Config, ItsOptionsComeBeforeTheCommandLineAndABadLineIsNamed) {
    const struct {
        std::string text;  // "" no file
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {"", {}, "level=-"},
        {"# mine\n\n  level = 3  # a comment\ncoach\r\n", {}, "level=3 coach"},
        {"level=3\ncolour=white\n", {"--level=5"}, "level=5 seat=1"},
        {"level=3\n", {"--no-config"}, "level=-"},
        {"level=0\n", {"--gtp"}, "level=- gtp"},
        {"levle=3\n", {}, "@:1: 'levle' is no option of the game (see orvanta --help)"},
        {"coach\n\nlevel=11\n", {}, "@:3: invalid value '11' for --level (0 to 10)"},
        {"gtp\n",
         {},
         "@:1: 'gtp' is an option of the command line only (orvanta --gtp), not of this file"},
        {"coach=yes\n", {}, "@:1: option '--coach' takes no value"},
        {"level\n", {}, "@:1: option '--level' requires a value"},
        {"lev=3\n", {}, "@:1: 'lev' is no option of the game (see orvanta --help)"},
        {"level=3\n", {"--bogus"}, "unrecognized option '--bogus'"},
        {"", {"--color=black"}, "level=- seat=0"},
        {"colour=toss\n", {}, "level=- seat=2"},
        {"threads=2\n", {}, "level=- threads=2"},
        {"threads=2\n", {"--threads=64"}, "level=- threads=64"},
        {"threads=0\n", {}, "@:1: invalid value '0' for --threads (1 to 64)"},
        {"book=off\n", {}, "level=- book=off"},
        {"book=off\n", {"--book=on"}, "level=-"},
        {"",
         {"--colour=red"},
         "invalid value 'red' for --colour (black, white, toss, auto, always or never)"},
        {"color=never\n", {"--color=always"}, "level=- colour=always"},
        {"", {"--colour=never", "--colour=white"}, "level=- seat=1 colour=never"},
    };
    for (const auto& c : cases) {
        const testing::Scratch file("config", c.text);
        std::string expected = c.expected;
        if (expected.starts_with("@")) {
            expected.replace(0, 1, file.path);
        }
        EXPECT_EQ(describe(optionsWithConfig(c.args, file.path)), expected) << c.text;
    }
    const testing::Scratch folder("config-folder");
    std::filesystem::create_directory(folder.path);
    EXPECT_EQ(describe(optionsWithConfig({}, folder.path)),
              "cannot read configuration file '" + folder.path + "': Is a directory");
}

TEST(RealProgramConfig, ABadLineIsBadUseAndNoFileIsEverCreated) {
    const testing::Scratch home("home");
    std::filesystem::create_directories(home.path + "/config/orvanta");
    std::ofstream(home.path + "/config/orvanta/config") << "coach\nhash=0\n";
    const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + home.path + "/config",
                                          "XDG_STATE_HOME=" + home.path + "/state"};
    const auto bad = testing::runProgram({.input = "-1\n", .env = env});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "orvanta: " + home.path +
                           "/config/orvanta/config:2: invalid value '0' for --hash (1 to 4096)\n"
                           "Try 'orvanta --help' for more information.\n");
    std::filesystem::remove_all(home.path + "/config");
    const auto plain = testing::runProgram({.input = "3\n2\nf5\nout\n-1\n", .env = env});
    EXPECT_EQ(plain.status, 0);
    EXPECT_FALSE(std::filesystem::exists(home.path + "/config"));
    EXPECT_FALSE(std::filesystem::exists(home.path + "/state")) << "only player mode keeps state";
}

TEST(RealProgramChoices, TheLastAnswersAreTheNextDefaultsAndAreWrittenWhole) {
    const testing::Scratch home("state");
    const std::vector<std::string> env = {"XDG_STATE_HOME=" + home.path};
    const auto first = testing::runProgram(
        {.input = "2\n2\n5\nout\n-1\n", .args = {"--coach", "--pause-scale=0"}, .env = env});
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(testing::readFile(home.path + "/orvanta/choices"), "colour=white\nlevel=5\n");
    EXPECT_FALSE(std::filesystem::exists(home.path + "/orvanta/choices.new"));
    const auto second = testing::runProgram(
        {.input = "2\n\n\nout\n-1\n", .args = {"--coach", "--pause-scale=0"}, .env = env});
    const std::string text = testing::fromCp932(second.out);
    EXPECT_NE(text.find("コイントス [2] -> \n"), std::string::npos);
    EXPECT_NE(text.find("やさしい-最強 [5] -> \n ゲームを開始します"), std::string::npos);
    EXPECT_NE(text.find(" 後攻です"), std::string::npos);
    // Damaged or partial files fall back to the defaults, line by line.
    EXPECT_EQ(parseChoices("colour=black\nlevel=11\n"), (Choices{Seat::kBlack, 3}));
    EXPECT_EQ(parseChoices("level=7"), (Choices{Seat::kToss, 7}));
    EXPECT_EQ(parseChoices(choicesText({Seat::kWhite, 0})), (Choices{Seat::kWhite, 0}));
}

// Colour: always and never as asked; by default only on a terminal, and not there when NO_COLOR
// is set to anything but "" or the terminal is dumb.
TEST(PlayerModeColour, FollowsTheOptionTheTerminalAndNoColor) {
    const struct {
        Colouring colouring;
        bool terminal;
        const char* noColour;
        const char* term;
        bool expected;
    } cases[] = {
        {Colouring::kAuto, true, nullptr, "xterm-256color", true},
        {Colouring::kAuto, false, nullptr, "xterm", false},
        {Colouring::kAuto, true, "1", "xterm", false},
        {Colouring::kAuto, true, "", "xterm", true},
        {Colouring::kAuto, true, nullptr, "dumb", false},
        {Colouring::kAuto, true, nullptr, nullptr, true},
        {Colouring::kAlways, false, "1", "dumb", true},
        {Colouring::kNever, true, nullptr, "xterm", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wantsColour(c.colouring, c.terminal, c.noColour, c.term), c.expected)
            << static_cast<int>(c.colouring) << c.terminal << (c.noColour ? c.noColour : "-")
            << (c.term ? c.term : "-");
    }
}

}  // namespace
}  // namespace orvanta
