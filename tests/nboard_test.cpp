// The NBoard front end: transcripts of whole sessions in tests/nboard/ (NAME.in the GUI's lines,
// NAME.out the engine's; ORVANTA_UPDATE_SESSIONS=1 rewrites the answers), the GGF reader of
// `set game`, analysis checked against the exact solver, and the reading thread that ends a
// search when a line comes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/nboard.hpp"
#include "app/nboard_ggf.hpp"
#include "engine/solve.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

const std::string kNboard = ORVANTA_SESSIONS_DIR "/../nboard/";
const std::string kStart =
    "BO[8 ---------------------------O*------*O--------------------------- *]";

// A session without the reading thread: every line is carried out to the end. The clock moves
// on by `tick` each time it is read (not at all by default).
std::string session(const std::string& input,
                    std::chrono::nanoseconds tick = std::chrono::nanoseconds(0)) {
    std::string output;
    std::chrono::nanoseconds now(0);
    Nboard nboard(
        1 << 20, [&now, tick] { return now += tick; },
        [&output](std::string_view line) { output += line; });
    std::istringstream lines(input);
    for (std::string line; !nboard.done() && std::getline(lines, line);) {
        nboard.run(line);
    }
    return output;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream stream(line);
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

// A transcript, and how far its clock moves each time it is read: a millisecond in the session
// whose moves play under the game's clock.
struct Transcript {
    const char* name;
    std::chrono::nanoseconds tick{0};
};

class NboardSession : public ::testing::TestWithParam<Transcript> {};

TEST_P(NboardSession, AnswersAsItsTranscriptSays) {
    const std::string name = GetParam().name;
    const std::string output = session(testing::readFile(kNboard + name + ".in"), GetParam().tick);
    const std::string expected = kNboard + name + ".out";
    if (std::getenv("ORVANTA_UPDATE_SESSIONS") != nullptr) {
        std::ofstream(expected, std::ios::binary) << output;
    }
    EXPECT_EQ(output, testing::readFile(expected));
}

INSTANTIATE_TEST_SUITE_P(Transcripts, NboardSession,
                         ::testing::Values(Transcript{"protocol"}, Transcript{"analysis"},
                                           Transcript{"endgame"}, Transcript{"analyze"},
                                           Transcript{"hint_rounds"},
                                           Transcript{"clock", std::chrono::milliseconds(1)},
                                           Transcript{"pass"}),
                         [](const auto& test) { return std::string(test.param.name); });

engine::GameState readOrFail(const std::string& text) {
    auto game = readNboardGame(text);
    if (const auto* error = std::get_if<std::string>(&game)) {
        ADD_FAILURE() << text << ": " << *error;
        return {};
    }
    return std::get<NboardGame>(game).state;
}

TEST(NboardGame, ReadsWholeGamesWithTheirPassesWrittenOrImplied) {
    // A game to its end, one square left empty; black passes before white's last move.
    const std::string moves =
        "B[C4]W[C3]B[E6]W[F6]B[C2]W[F4]B[E3]W[D6]B[E7]W[F5]B[G4]W[G3]B[G2]W[H4]B[C5]W[F2]B[H2]"
        "W[B6]B[H3]W[B4]B[D2]W[C1]B[G1]W[F7]B[F8]W[E2]B[D3]W[G8]B[B1]W[G6]B[A4]W[A1]B[G5]W[H6]"
        "B[B3]W[E8]B[D1]W[A2]B[D7]W[D8]B[H5]W[E1]B[H7]W[F3]B[B5]W[B2]B[F1]W[G7]B[A7]W[A3]B[C8]"
        "W[C6]B[H8]W[H1]B[C7]W[B7]B[A5]W[A6]";
    for (const char* ending : {"B[PA]W[A8]", "W[a8//1.5]", "B[pass]W[A8/-8.00/0.01]"}) {
        const engine::GameState game = readOrFail(std::string("(;GM[Othello]PC[NBoard]TY[8]")
                                                      .append(kStart)
                                                      .append(moves)
                                                      .append(ending)
                                                      .append(";)"));
        EXPECT_TRUE(game.isOver()) << ending;
        EXPECT_EQ(game.moves().size(), 60u) << ending;  // the pass counts
        EXPECT_EQ(game.discs(engine::Colour::kBlack), 28) << ending;
        EXPECT_EQ(game.discs(engine::Colour::kWhite), 35) << ending;
    }
    // The same game through the protocol: set game, then the last moves one by one.
    std::string output;
    Nboard nboard(
        1 << 16, [] { return std::chrono::nanoseconds(0); },
        [&output](std::string_view line) { output += line; });
    nboard.run("set game (;GM[Othello]" + kStart + moves + ";)");
    nboard.run("move PA");
    nboard.run("move A8/8.00/0.5");
    EXPECT_EQ(output, "");
    EXPECT_TRUE(nboard.game().isOver());
    EXPECT_EQ(nboard.game().discs(engine::Colour::kWhite), 35);
}

TEST(NboardGame, StartsFromAnyBoardAndSideToMove) {
    // White to move on a board of two discs, blanks among the squares.
    const engine::GameState game =
        readOrFail("  (;GM[othello]BO[8 O*------ " + std::string(56, '-') + " O]W[C1];)\n");
    EXPECT_TRUE(game.isOver());  // white took everything
    EXPECT_EQ(game.discs(engine::Colour::kWhite), 3);
}

TEST(NboardGame, RefusesWhatIsNotAGameOfOthelloItCanPlay) {
    // The records' reader (game/ggf_reader) reads NBoard's games too; these are its messages.
    const std::string noBoard = "the board is not BO[8 <64 squares of *, O or -> <* or O>]";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"", "no game"},
        {"(;)", "expected a tag such as B[f5], found ')'"},
        {"(;GM[Othello]" + kStart, "the game that begins here has no end \";)\""},
        {"(;GM[Othello];)", "the game has no board BO[...]"},
        {"(;GM[Go]" + kStart + ";)", "not an Othello game: GM[Go]"},
        {"(;TY[10]" + kStart + ";)", "only the standard 8x8 game (TY[8]) is read, not TY[10]"},
        {"(;TY[8a]" + kStart + ";)", "only the standard 8x8 game (TY[8]) is read, not TY[8a]"},
        {"(;BO[10 ---];)", noBoard},
        {"(;BO[8 -----];)", noBoard},
        {"(;BO[8 ---------------------------O*------*O---------------------------];)", noBoard},
        {"(;BO[8 ---------------------------O*------*X--------------------------- *];)", noBoard},
        {"(;" + kStart +
             "BO[8 ---------------------------O*------*O--------------------------- O];)",
         "a second board BO in one game"},
        {"(;B[F5]" + kStart + ";)", "(read)"},  // tags in any order
        {"(;" + kStart + "B[F5]W[F6]B[Z9];)", "not a move: B[Z9]"},
        {"(;" + kStart + "B[F5]W[F6]B[];)", "not a move: B[]"},
        {"(;" + kStart + "B[F5]B[F6];)", "f6 is given for black, but white is to move"},
        {"(;" + kStart + "W[F5];)", "f5 is given for white, but black is to move"},
        {"(;" + kStart + "B[A1];)", "a1 is not legal for black"},
        {"(;" + kStart + "B[PA];)", "black may not pass: it has a legal move"},
        {"(;" + kStart + "B[F5]W[F5];)", "f5 is not legal for white"},
        {"(;" + kStart + "B[F5;)", "the value of B has no ']'"},
        {"(;" + kStart + "B;)", "the tag B has no value in [ ]"},
        {"(;" + kStart + " [F5];)", "expected a tag such as B[f5], found '['"},
        {"(;" + kStart + "B-[F5];)", "the tag B has no value in [ ]"},
    };
    for (const auto& c : cases) {
        const auto game = readNboardGame(c.text);
        const auto* error = std::get_if<std::string>(&game);
        EXPECT_EQ(error ? *error : "(read)", c.error) << c.text;
    }
    // An escaped bracket stays inside its value.
    EXPECT_EQ(readOrFail("(;PB[a \\] b]" + kStart + "B[F5];)").moves().size(), 1u);
}

// Each line reduced to its kind: "search" for a search line, the command for nodestats and ===,
// the whole line otherwise.
std::vector<std::string> kindsOf(const std::vector<std::string>& lines) {
    std::vector<std::string> kinds;
    for (const std::string& line : lines) {
        const std::string first = line.substr(0, line.find(' '));
        const bool withValues = first == "search" || first == "nodestats" || first == "===";
        kinds.push_back(withValues ? first : line);
    }
    return kinds;
}

// The session of the issue: a mid-game position reached through a pass, hint 3, then go, with
// pings between. The hint sends its three best moves after each round, best first, every round
// a ply deeper; go sends each iteration and plays the last one's move.
TEST(NboardAnalysis, HintsAndMovesInAMidGamePositionAfterAPass) {
    const std::string game =
        "(;GM[Othello]" + kStart + "B[C4]W[C3]B[C2]W[B2]B[E6]W[C1]B[A1]W[A3]B[PA]W[C5]B[B3]W[F5];)";
    const engine::GameState state = readOrFail(game);
    const std::vector<std::string> lines = linesOf(session(
        "nboard 2\nset depth 4\nset game " + game + "\nping 1\nhint 3\nping 2\ngo\nping 3\n"));
    const std::string thinking = "status Orvanta is thinking";
    const std::string waiting = "status Orvanta is waiting";
    const std::vector<std::string> search(3, "search");
    std::vector<std::string> expected = {"set myname Orvanta", waiting, "pong 1", thinking};
    for (int round = 2; round <= 4; ++round) {
        expected.insert(expected.end(), search.begin(), search.end());
    }
    expected.insert(expected.end(), {"nodestats", waiting, "pong 2", thinking});
    for (int depth = 1; depth <= 4; ++depth) {
        expected.emplace_back("search");
    }
    expected.insert(expected.end(), {"nodestats", "===", waiting, "pong 3"});
    ASSERT_EQ(kindsOf(lines), expected);

    for (std::size_t round = 0; round < 3; ++round) {
        std::vector<int> hinted;
        double last = 1e9;
        for (std::size_t i = 4 + 3 * round; i < 7 + 3 * round; ++i) {
            const auto words = wordsOf(lines[i]);
            ASSERT_EQ(words.size(), 5u) << lines[i];
            const auto move = engine::parseSquare(words[1].substr(0, 2));
            ASSERT_TRUE(move) << words[1];
            EXPECT_NE(state.legalMoves() & engine::bit(*move), 0u) << words[1];
            EXPECT_EQ(std::count(hinted.begin(), hinted.end(), *move), 0) << words[1];
            hinted.push_back(*move);
            const double score = std::stod(words[2]);
            EXPECT_LE(score, last) << lines[i];  // best first
            last = score;
            EXPECT_EQ(words[3], "0");
            EXPECT_EQ(words[4], std::to_string(round + 2)) << lines[i];
        }
    }
    for (std::size_t depth = 1; depth <= 4; ++depth) {
        EXPECT_EQ(wordsOf(lines[16 + depth]).back(), std::to_string(depth)) << lines[16 + depth];
    }
    const auto played = engine::parseSquare(lines[22].substr(4, 2));
    ASSERT_TRUE(played) << lines[22];
    EXPECT_NE(state.legalMoves() & engine::bit(*played), 0u);
    EXPECT_EQ(lines[22].substr(4, 2), wordsOf(lines[20])[1].substr(0, 2));
}

// Within the solving range a hint's scores are exact: each is the solver's for its move.
TEST(NboardAnalysis, HintsScoresSolvedExactlyNearTheEnd) {
    const std::string game =
        "(;GM[Othello]" + kStart +
        "B[C4]W[C3]B[E6]W[F6]B[C2]W[F4]B[E3]W[D6]B[E7]W[F5]B[G4]W[G3]B[G2]W[H4]B[C5]W[F2]B[H2]"
        "W[B6]B[H3]W[B4]B[D2]W[C1]B[G1]W[F7]B[F8]W[E2]B[D3]W[G8]B[B1]W[G6]B[A4]W[A1]B[G5]W[H6]"
        "B[B3]W[E8]B[D1]W[A2]B[D7]W[D8]B[H5]W[E1]B[H7]W[F3];)";
    const engine::Position position = readOrFail(game).position();
    ASSERT_LE(position.empties(), nboardExactEmpties(9));
    const std::vector<std::string> lines =
        linesOf(session("set depth 9\nset game " + game + "\nhint 60\n"));
    // One round: every move is solved at once.
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(engine::popcount(position.moves())) + 3);
    engine::TranspositionTable table(1 << 16);
    for (std::size_t i = 1; i + 2 < lines.size(); ++i) {
        const auto words = wordsOf(lines[i]);
        ASSERT_EQ(words.size(), 5u) << lines[i];
        EXPECT_EQ(words[4], "100%") << lines[i];
        const int move = *engine::parseSquare(words[1].substr(0, 2));
        const int solved = -engine::solve(position.after(move), table).score;
        EXPECT_EQ(words[2], std::to_string(solved) + ".00") << lines[i];
    }
}

TEST(NboardAnalysis, ALongSearchSaysNowAndThenThatItGoesOn) {
    // A clock that runs a second each time it is read.
    std::chrono::seconds now(0);
    std::string output;
    Nboard nboard(
        1 << 20, [&now] { return now += std::chrono::seconds(1); },
        [&output](std::string_view line) { output += line; });
    nboard.run("set depth 10");
    nboard.run("go");
    const auto lines = linesOf(output);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "status Orvanta is thinking");
    int reports = 0;
    long long last = 0;
    for (std::size_t i = 1; i + 3 < lines.size(); ++i) {
        if (lines[i].starts_with("status Orvanta is thinking, ")) {
            const long long seconds = std::stoll(lines[i].substr(28));
            EXPECT_GT(seconds, last) << lines[i];
            last = seconds;
            ++reports;
        } else {
            EXPECT_TRUE(lines[i].starts_with("search ")) << lines[i];
        }
    }
    EXPECT_GT(reports, 0);
    EXPECT_EQ(kindsOf({lines.end() - 3, lines.end()}),
              (std::vector<std::string>{"nodestats", "===", "status Orvanta is waiting"}));
}

// Under the game's clock, go keeps to the move's share of the time left, however deep the set
// depth: the time left over the moves to come and a few more, less a tenth. The clock runs a
// millisecond each time it is read.
TEST(NboardClock, GoKeepsToItsShareOfTheTimeLeft) {
    // After f5 d6 c3 d3 c4 f4, black to move: 54 empty squares, 27 moves to come and 4 held back.
    const auto game = [](const std::string& blackTimes) {
        return "(;GM[Othello]TI[5:00]" + kStart + "B[F5" + blackTimes + "]W[D6//1]B[C3]W[D3//1]" +
               "B[C4]W[F4//1];)";
    };
    const struct {
        std::string blackTimes;  // what black's first move took
        double left;
    } cases[] = {{"//100", 200}, {"//290", 10}, {"//299.5", 0.5}, {"//400", 0}};
    for (const auto& c : cases) {
        const auto lines =
            linesOf(session("set depth 60\nset game " + game(c.blackTimes) + "\ngo\n",
                            std::chrono::milliseconds(1)));
        ASSERT_GE(lines.size(), 2u);
        const std::string& answer = lines[lines.size() - 2];
        ASSERT_TRUE(answer.starts_with("=== ")) << answer;
        const double seconds = std::stod(answer.substr(answer.rfind('/') + 1));
        const double share = std::max(c.left / (27 + 4) * 0.9, 0.01);
        EXPECT_LE(seconds, share + 0.02) << c.blackTimes << ": " << answer;
        EXPECT_GE(seconds, share / 4) << c.blackTimes << ": " << answer;  // and uses it
    }
    // Without a clock the same search goes to its depth.
    const auto lines = linesOf(
        session("set depth 6\nset game (;" + kStart + "B[F5]W[D6]B[C3]W[D3]B[C4]W[F4];)\ngo\n",
                std::chrono::milliseconds(1)));
    EXPECT_EQ(wordsOf(lines[lines.size() - 4]).back(), "6");
}

// The real thing: lines read in a thread of their own, a line during a search ends it. Without
// the book, so that go from the start searches.
std::vector<std::string> threadedSession(const std::string& input) {
    testing::ConsoleTest console(input);
    EXPECT_EQ(runNboard(1, 1, false), 0);
    return linesOf(console.host.output());
}

TEST(NboardThreads, ALineDuringASearchEndsItAndIsAnsweredAfterIt) {
    // Depth 60 from the start would search for hours; the ping ends it at once.
    const auto lines = threadedSession("nboard 2\nset depth 60\nset game (;" + kStart +
                                       ";)\ngo\nping 7\nhint 2\nping 8\nquit\nping 9\n");
    // Runs of search lines as one: how many an interrupted search sent depends on the timing.
    std::vector<std::string> kinds;
    for (const std::string& kind : kindsOf(lines)) {
        if (kind != "search" || kinds.back() != "search") {
            kinds.push_back(kind);
        }
    }
    const std::string thinking = "status Orvanta is thinking";
    const std::string waiting = "status Orvanta is waiting";
    // The first iteration of go and the first round of hint always finish: an interrupted hint
    // still scores every move.
    EXPECT_EQ(kinds, (std::vector<std::string>{"set myname Orvanta", waiting, thinking, "search",
                                               "nodestats", "===", waiting, "pong 7", thinking,
                                               "search", "nodestats", waiting, "pong 8"}));
    const auto played = std::find_if(lines.begin(), lines.end(),
                                     [](const std::string& l) { return l.starts_with("=== "); });
    ASSERT_NE(played, lines.end());
    const auto move = engine::parseSquare(played->substr(4, 2));
    ASSERT_TRUE(move) << *played;
    EXPECT_NE(engine::Position().moves() & engine::bit(*move), 0u);
}

TEST(NboardThreads, TheEndOfTheInputEndsASearch) {
    const auto lines = threadedSession("set depth 60\nset game (;" + kStart + ";)\ngo\n");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(lines[lines.size() - 2].starts_with("=== ")) << lines[lines.size() - 2];
}

TEST(NboardThreads, ALineTooLongIsRefusedAndTheSessionGoesOn) {
    const auto lines = threadedSession("set game " + std::string(20000, 'x') + "\nping 1\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"status error: line too long", "pong 1"}));
}

TEST(RealProgramNboard, SpeaksOnlyTheProtocolAndEndsWithQuit) {
    const auto run = testing::runProgram(
        {.input = "nboard 2\r\n\x01garbage\nping 1\r\nquit\nping 2\n", .args = {"--nboard"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "set myname Orvanta\nstatus Orvanta is waiting\n"
              "status error: unknown command 'garbage'\npong 1\n");
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace orvanta
