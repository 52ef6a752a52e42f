// Input that no polite user types, and output that goes away: the session must end cleanly,
// promptly and with bounded output, and never touch memory out of bounds (the sanitizer build
// runs these too).
#include <gtest/gtest.h>

#include <chrono>

#include "app/menu.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

struct Outcome {
    int status;
    std::string text;
    std::size_t reads;
};

Outcome session(const std::string& input, std::time_t clock = 1'700'000'000) {
    ConsoleTest console(input);
    console.host.clock = clock;
    const int status = run();
    return {status, console.host.text(), console.host.reads()};
}

TEST(HostileInput, EndOfInputAtEveryPromptEndsTheSession) {
    // Cut sessions off after every word: at the menu, at move prompts in both modes, in a game
    // against the computer, after a listing. Each must end with the quit message and status 0.
    for (const std::string script : {"1 f5 f6 e6 4 0 2 auto auto", "3 2 f5 auto 4 1 f5 f6 0 1"}) {
        std::string input;
        std::size_t from = 0;
        while (from <= script.size()) {
            const std::size_t space = script.find(' ', from);
            input = script.substr(0, space);
            from = space == std::string::npos ? script.size() + 1 : space + 1;
            const Outcome outcome = session(input);
            EXPECT_EQ(outcome.status, 0) << input;
            EXPECT_LT(outcome.text.size(), 100'000u) << input;
            EXPECT_TRUE(outcome.text.ends_with("\n　終了します\n")) << input;
            EXPECT_LE(outcome.reads, 2u) << "nothing reads on after the end: " << input;
        }
    }
}

TEST(HostileInput, MebibyteWordsAreSkippedOrJudgedByTheirStart) {
    const std::string mebibyte(1 << 20, '7');
    // At the menu a huge number is no answer; at the move prompt a huge word starting with f5
    // plays f5 and one starting with "out" is not the quit word.
    const Outcome menu = session(mebibyte + "\n-1\n");
    EXPECT_EQ(menu.status, 0);
    EXPECT_LT(menu.text.size(), 1000u);
    const Outcome move = session("3 1 f5" + mebibyte + " out" + mebibyte + " out 4 -1");
    EXPECT_EQ(move.status, 0);
    EXPECT_NE(move.text.find("  1 [BLACK] : f5\n   BLACK : 4\n"), std::string::npos);
    EXPECT_EQ(move.text.find("  2 ["), std::string::npos);
}

TEST(HostileInput, ControlAndNonAsciiBytesAreOrdinaryWrongWords) {
    using namespace std::string_literals;
    const std::string junk =
        "\0\x01\x7f \xff\xfe \x82\xa0 \xe3\x81 \x1b[2J \xef\xbc\x95 f\xef\xbc\x95 f5\0 "s;
    // At the menu each junk word is one more silent prompt; at the move prompt likewise, until
    // "f5\0" whose first two bytes make the square f5.
    const Outcome outcome = session(junk + "1 " + junk + "out 4 -1");
    EXPECT_EQ(outcome.status, 0);
    const Outcome clean = session("1 f5 out 4 -1");
    EXPECT_NE(outcome.text.find("  1 [BLACK] : f5\n"), std::string::npos);
    EXPECT_EQ(outcome.text.find("そこには置けません"), std::string::npos);
    EXPECT_EQ(outcome.text.find("\x1b"), std::string::npos) << "input is never echoed";
    EXPECT_GT(outcome.text.size(), clean.text.size());
}

TEST(HostileInput, CarriageReturnLineEndsReadLikeNewlines) {
    EXPECT_EQ(session("1\r\nf5\r\nf6\r\nout\r\n4\r\n-1\r\n").text,
              session("1\nf5\nf6\nout\n4\n-1\n").text);
}

TEST(HostileInput, ClosedOutputStopsAtOnceWithAMessageAndFailure) {
    for (const auto output : {testing::Output::Closed, testing::Output::BrokenPipe}) {
        const auto start = std::chrono::steady_clock::now();
        // Plenty of input that would keep a careless program busy for long.
        std::string input = "3 ";
        for (int i = 0; i < 2000; ++i) {
            input += "2 auto auto auto out 4 0 ";
        }
        const auto result = testing::runProgram(input, output);
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.status, -1) << "it exits, it is not killed by a signal";
        EXPECT_EQ(result.err, "orvanta: standard output is closed\n");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

}  // namespace
}  // namespace orvanta
