// The analysis commands: --perft and --solve, from the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

TEST(RealProgramAnalysis, PerftPrintsTheCountOfEachDepthAndItsSpeedApart) {
    const auto run = testing::runProgram({.args = {"--perft=9"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "1 4\n2 12\n3 56\n4 244\n5 1396\n6 8200\n7 55092\n8 390216\n9 3005288\n");
    EXPECT_TRUE(std::regex_match(
        run.err, std::regex("orvanta: perft 9: 3460508 nodes in [0-9.]+ s, [0-9.]+ M nodes/s\n")))
        << run.err;
}

TEST(RealProgramAnalysis, SolveAnswersEachPositionAndNamesEachLineThatIsNone) {
    const std::string ffo = testing::readFile(ORVANTA_FFO_DIR "/fforum-1-19.obf");
    const auto path = testing::scratchPath("solve.obf");
    std::ofstream(path) << ffo.substr(0, ffo.find('\n') + 1)  // FFO #1: g8 +18
                        << "\n"                               // blank lines are skipped
                        << std::string(64, 'X') + " O\r\n"    // a full board: over
                        << "XO- X\n"
                        << std::string(63, '-') + "X O; white cannot move either\n"
                        << std::string(64, 'Z') + " X\n";
    const auto run = testing::runProgram({.args = {"--solve", path.string(), "--hash=1"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "g8 +18\nnone -64\nnone -64\n");
    // On two threads too (g8 is FFO #1's only best move).
    const auto threaded =
        testing::runProgram({.args = {"--solve", path.string(), "--hash=1", "--threads=2"}});
    EXPECT_EQ(threaded.status, 1);
    EXPECT_EQ(threaded.out, run.out);
    const std::string where = "orvanta: " + path.string() + ":";
    for (const int line : {4, 6}) {
        EXPECT_NE(run.err.find(where + std::to_string(line) + ": not a position"),
                  std::string::npos)
            << run.err;
    }
    for (const auto& [unreadable, cause] :
         {std::pair{path.string() + ".none", "No such file or directory"},
          std::pair{path.parent_path().string(), "Is a directory"}}) {
        const auto missing = testing::runProgram({.args = {"--solve=" + unreadable}});
        EXPECT_EQ(missing.status, 2);
        EXPECT_EQ(missing.out, "");
        EXPECT_EQ(missing.err, "orvanta: cannot read '" + unreadable + "': " + cause +
                                   "\nTry 'orvanta --help' for more information.\n");
    }
    std::filesystem::remove(path);
}

// Only the start of a long line is kept: a long comment leaves the position readable, a long line
// of anything else is no position, and neither costs memory by its length.
TEST(RealProgramAnalysis, SolveReadsLongLinesInBoundedMemory) {
    const std::string ffo = testing::readFile(ORVANTA_FFO_DIR "/fforum-1-19.obf");
    const auto path = testing::scratchPath("long.obf");
    std::ofstream(path) << ffo.substr(0, ffo.find('\n')) << "; " << std::string(100'000, 'c')
                        << "\n"
                        << std::string(100'000, 'X') << " O\n";
    const auto run = testing::runProgram({.args = {"--solve", path.string(), "--hash=1"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "g8 +18\n");
    EXPECT_NE(run.err.find(path.string() + ":2: not a position"), std::string::npos) << run.err;
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace orvanta
