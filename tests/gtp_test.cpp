// The GTP front end, as a controller sees it: transcripts of whole sessions in tests/gtp/
// (NAME.in the commands, NAME.out the answers; ORVANTA_UPDATE_SESSIONS=1 rewrites the answers).
#include <gtest/gtest.h>

#include <fstream>

#include "app/gtp.hpp"
#include "platform/random.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

const std::string kGtp = ORVANTA_SESSIONS_DIR "/../gtp/";

struct GtpTranscript {
    const char* name;
    int level;
    bool book = true;
    // How far the steady clock moves at each look: a search under a clock runs until it ends.
    std::chrono::milliseconds tick{0};
};

class GtpSession : public ::testing::TestWithParam<GtpTranscript> {};

TEST_P(GtpSession, AnswersAsItsTranscriptSays) {
    testing::ConsoleTest console(testing::readFile(kGtp + GetParam().name + ".in"));
    console.host.tick = GetParam().tick;
    platform::fixSeeds(1);
    EXPECT_EQ(runGtp(GetParam().level, 1, 1, GetParam().book), 0);
    platform::fixSeeds(std::nullopt);
    const std::string expected = kGtp + GetParam().name + ".out";
    if (std::getenv("ORVANTA_UPDATE_SESSIONS") != nullptr) {
        std::ofstream(expected, std::ios::binary) << console.host.output();
    }
    EXPECT_EQ(console.host.output(), testing::readFile(expected));
}

INSTANTIATE_TEST_SUITE_P(Transcripts, GtpSession,
                         ::testing::Values(GtpTranscript{"protocol", 10},
                                           GtpTranscript{"passes", 10}, GtpTranscript{"genmove", 1},
                                           // Searches under time control, out of the book: a
                                           // clock that moves 10 ms at each look.
                                           GtpTranscript{"genmove_strong", 10, false,
                                                         std::chrono::milliseconds(10)},
                                           // Book moves, chosen among near equals with seed 1.
                                           GtpTranscript{"book", 9}, GtpTranscript{"quarry", 3},
                                           GtpTranscript{"games", 6}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(GtpLines, ALineTooLongIsRefusedWithItsIdAndTheNextOneAnswered) {
    const std::string endless(5000, 'x');
    testing::ConsoleTest console("7 name " + endless + "\n8 name\n" + endless + "\n9 name\n");
    EXPECT_EQ(runGtp(1, 1, 1, false), 0);
    EXPECT_EQ(console.host.output(),
              "?7 line too long\n\n=8 Orvanta\n\n? line too long\n\n=9 Orvanta\n\n");
}

TEST(RealProgramGtp, SpeaksOnlyTheProtocolAndEndsWithTheInput) {
    const auto run = testing::runProgram(
        {.input = "name\n\x01garbage\nboardsize 9\n", .args = {"--gtp", "--level=1"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "= Orvanta\n\n? unknown command\n\n? unacceptable size\n\n");
    EXPECT_EQ(run.err, "");
}

}  // namespace
}  // namespace orvanta
