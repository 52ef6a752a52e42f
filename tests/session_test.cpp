// Whole sessions of the program, from the title to the exit status, compared with stored
// transcripts. Each transcript is a pair of files in tests/sessions/: NAME.in holds the bytes
// typed, NAME.out the expected screen as UTF-8, with every pause written where it falls as
// "{pause N}". Set ORVANTA_UPDATE_SESSIONS=1 to rewrite the .out files from the program (then
// read the diff before committing it).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/menu.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::FakeHost;
using testing::fromCp932;
using testing::toCp932;

const std::filesystem::path kSessions = ORVANTA_SESSIONS_DIR;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// The screen of a session: the output decoded from CP932 with the pauses marked.
std::string screen(const FakeHost& host) {
    std::string text;
    std::size_t from = 0;
    for (const auto& pause : host.pauses()) {
        text += fromCp932(host.output().substr(from, pause.at - from));
        text += "{pause " + std::to_string(pause.milliseconds) + "}";
        from = pause.at;
    }
    return text + fromCp932(host.output().substr(from));
}

struct Transcript {
    const char* name;
    std::time_t clock = 1'700'000'000;
};

class Session : public ::testing::TestWithParam<Transcript> {};

TEST_P(Session, MatchesItsTranscript) {
    const Transcript& transcript = GetParam();
    ConsoleTest console(readFile(kSessions / (std::string(transcript.name) + ".in")));
    console.host.clock = transcript.clock;
    EXPECT_EQ(run(), 0);
    const std::string actual = screen(console.host);
    const auto expectedPath = kSessions / (std::string(transcript.name) + ".out");
    if (std::getenv("ORVANTA_UPDATE_SESSIONS") != nullptr) {
        std::ofstream(expectedPath, std::ios::binary) << actual;
    }
    EXPECT_EQ(actual, readFile(expectedPath));
}

INSTANTIATE_TEST_SUITE_P(
    Transcripts, Session,
    ::testing::Values(Transcript{"f5_normal_mode"}, Transcript{"f5_test_mode"},
                      Transcript{"listing_after_quit"}, Transcript{"abandoned_at_first_prompt"},
                      Transcript{"full_board_draw"}, Transcript{"pass_then_white_wins"},
                      Transcript{"wipeout_black_wins"}, Transcript{"menu_edge_cases"},
                      Transcript{"computer_plays_black", 1'700'000'002},
                      Transcript{"human_plays_black_with_auto", 1'700'000'000}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(SessionBytes, BannerCountsAndListingAreShiftJisOnTheWire) {
    ConsoleTest console(readFile(kSessions / "listing_after_quit.in"));
    run();
    const std::string& bytes = console.host.output();
    // " ─黒の手番─": the box-drawing line is 84 9F, 黒 8D 95, の 82 CC, 手 8E E8, 番 94 D4.
    EXPECT_NE(bytes.find(" \x84\x9f\x8d\x95\x82\xcc\x8e\xe8\x94\xd4\x84\x9f"), std::string::npos);
    EXPECT_NE(bytes.find(" \x8c\xc2\x90\x94 : \x8d\x95\x90\xce = 4,  \x94\x92\x90\xce = 1"),
              std::string::npos);
    EXPECT_NE(bytes.find("\n  1 [BLACK] : f5\n  2 [WHITE] : f6\n   BLACK : 3\n   WHITE : 3\n"),
              std::string::npos);
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
}

TEST(RealProgram, TestModeGameBetweenTwoHumansThroughPipes) {
    const auto run = testing::runProgram(readFile(kSessions / "f5_test_mode.in"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, toCp932(readFile(kSessions / "f5_test_mode.out")));
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace orvanta
