// The command line: what each option does, and one clear complaint for every bad use.
#include <gtest/gtest.h>

#include <regex>

#include "app/launch.hpp"
#include "app/options.hpp"
#include "platform/converter.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::Stream;

// Every field of the options in one line, to compare in tables.
std::string describe(const Options& o) {
    return (o.help ? "help " : "") + std::string(o.version ? "version " : "") +
           "width=" + std::to_string(o.ambiguousWidth) +
           " seed=" + (o.seed ? std::to_string(*o.seed) : "-") +
           " pause=" + std::to_string(o.pauseScale.value_or(1)) + " charset=" + o.charset +
           (o.testMode ? " test" : "") + " record=" + o.record + (o.book ? "" : " book=off");
}

TEST(Options, EachOptionSetsItsFieldAndEveryBadUseIsNamed) {
    const std::string plain = describe({});
    const struct {
        std::vector<std::string> args;
        std::string expected;  // the options described, or the complaint
    } cases[] = {
        {{}, plain},
        {{"-h", "--version"}, "help version " + plain},
        {{"--seed=0", "--seed", "4294967295"},
         "width=0 seed=4294967295 pause=1.000000 charset= record="},
        {{"--pause-scale=0.25", "--test-mode"},
         "width=0 seed=- pause=0.250000 charset= test record="},
        {{"--pause-scale", "10", "--charset=UTF-8"},
         "width=0 seed=- pause=10.000000 charset=UTF-8 record="},
        {{"--record", "games.ggf", "--amb=1"},
         "width=1 seed=- pause=1.000000 charset= record=games.ggf"},
        {{"--seed=4294967296"},
         "invalid value '4294967296' for --seed (a whole number from 0 to 4294967295)"},
        {{"--seed=-1"}, "invalid value '-1' for --seed (a whole number from 0 to 4294967295)"},
        {{"--seed= 7"}, "invalid value ' 7' for --seed (a whole number from 0 to 4294967295)"},
        {{"--pause-scale=10.5"}, "invalid value '10.5' for --pause-scale (a decimal from 0 to 10)"},
        {{"--pause-scale=1e1"}, "invalid value '1e1' for --pause-scale (a decimal from 0 to 10)"},
        {{"--pause-scale=."}, "invalid value '.' for --pause-scale (a decimal from 0 to 10)"},
        {{"--pause-scale=nan"}, "invalid value 'nan' for --pause-scale (a decimal from 0 to 10)"},
        {{"--ambiguous-width=3"}, "invalid value '3' for --ambiguous-width (1 or 2)"},
        {{"--record="}, "invalid value '' for --record (it may not be empty)"},
        {{"--perft=21"}, "invalid value '21' for --perft (1 to 20)"},
        {{"--hash=0"}, "invalid value '0' for --hash (1 to 4096)"},
        {{"--threads=0"}, "invalid value '0' for --threads (1 to 64)"},
        {{"--threads=65"}, "invalid value '65' for --threads (1 to 64)"},
        {{"--threads=two"}, "invalid value 'two' for --threads (1 to 64)"},
        {{"--threads="}, "invalid value '' for --threads (1 to 64)"},
        {{"--perft=3", "--solve=x"},
         "only one of --gtp, --nboard, --perft and --solve may be given"},
        {{"--nboard", "--gtp"}, "only one of --gtp, --nboard, --perft and --solve may be given"},
        {{"--nboard", "--level=3"}, "--nboard takes its depth from the GUI, not --level"},
        {{"--gtp", "--level=0"}, "--gtp plays at levels 1 to 10"},
        {{"--charset"}, "option '--charset' requires a value"},
        {{"--help=yes"}, "option '--help' takes no value"},
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--s=1"}, "option '--s' is ambiguous; possibilities: '--seed' '--solve'"},
        {{"--col=white", "--pa=0"}, "width=0 seed=- pause=0.000000 charset= record="},
        {{"-x"}, "invalid option -- 'x'"},
        {{"play"}, "unexpected argument 'play'"},
        {{"-V", "--", "-h"}, "unexpected argument '-h'"},
        {{"--book=off"}, plain + " book=off"},
        {{"--book=off", "--bo", "on"}, plain},
        {{"--book=On"}, "invalid value 'On' for --book (on or off)"},
        {{"--book="}, "invalid value '' for --book (on or off)"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseOptions(c.args);
        const auto* error = std::get_if<UsageError>(&parsed);
        EXPECT_EQ(error ? error->message : describe(std::get<Options>(parsed)), c.expected);
    }
}

TEST(RealProgramOptions, BadUseGivesTwoLinesOnStandardErrorNothingElseAndStatusTwo) {
    const std::string unwritable = "/proc/orvanta-no-such-dir/games.ggf";
    const struct {
        std::vector<std::string> args;
        std::string complaint;
    } cases[] = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--seed"}, "option '--seed' requires a value"},
        {{"--solve=x.obf", "--threads=65"}, "invalid value '65' for --threads (1 to 64)"},
        {{"--charset=ISO-8859-1"}, "character set 'ISO-8859-1' cannot show the program's text"},
        {{"--charset=NO-SUCH-SET"}, "character set 'NO-SUCH-SET' is unknown"},
        {{"--nboard", "--charset=NOPE"}, "character set 'NOPE' is unknown"},
        {{"--perft=1", "--charset=NOPE"}, "character set 'NOPE' is unknown"},
        {{"--record=" + unwritable},
         "cannot open record file '" + unwritable + "': No such file or directory"},
    };
    for (const auto& c : cases) {
        const auto run = testing::runProgram({.input = "-1\n", .args = c.args});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err,
                  "orvanta: " + c.complaint + "\nTry 'orvanta --help' for more information.\n");
    }
    const auto help = testing::runProgram({.args = {"--help"}});
    EXPECT_EQ(help.out, usage());
    for (std::size_t start = 0, end; (end = help.out.find('\n', start)) != std::string::npos;
         start = end + 1) {
        EXPECT_LE(end - start, 80u) << help.out.substr(start, end - start);
    }
    EXPECT_EQ(std::count(help.out.begin(), help.out.end(), '\n'), 28) << "one line per option";
    const auto version = testing::runProgram({.args = {"-V"}});
    EXPECT_EQ(version.out, versionText());
    EXPECT_TRUE(std::regex_search(version.out, std::regex("^orvanta [0-9]+\\.[0-9]+\\.[0-9]+\n")));
    EXPECT_EQ(help.status + version.status, 0);
}

// A session against the computer, its screen with the pauses marked, at a given second.
std::string session(const Options& options, std::time_t clock, const std::string& input) {
    ConsoleTest console(input);
    console.host.clock = clock;
    EXPECT_EQ(run(options), 0);
    return console.host.screen();
}

TEST(Options, ASeedMakesTheSameSessionAtAnyTimeAndOtherSeedsOtherSessions) {
    std::string autoGame = "2";
    for (int i = 0; i < 40; ++i) {
        autoGame += " auto";
    }
    const std::string seeded = session({.seed = 7}, 1'700'000'000, autoGame);
    EXPECT_EQ(session({.seed = 7}, 1'800'000'123, autoGame), seeded);
    EXPECT_NE(session({.seed = 8}, 1'700'000'000, autoGame), seeded);
    EXPECT_NE(session({}, 1'700'000'000, autoGame), session({}, 1'700'000'001, autoGame));
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(Options, ThePauseScaleStretchesEveryPauseAndZeroRemovesThem) {
    const std::string input = "0 4 1 f5 f6 out 4 2 auto out -1";
    const std::string normal = session({.seed = 1}, 1, input);
    EXPECT_EQ(session({.seed = 1, .pauseScale = 0.5}, 1, input),
              replaceAll(replaceAll(normal, "{pause 1000}", "{pause 500}"), "{pause 2000}",
                         "{pause 1000}"));
    EXPECT_EQ(session({.seed = 1, .pauseScale = 0}, 1, input),
              replaceAll(replaceAll(normal, "{pause 1000}", ""), "{pause 2000}", ""));
}

TEST(Options, AForcedCharsetHoldsOnFilesAndPipes) {
    const std::string text = testing::sessionText("-1\n");
    ConsoleTest console("-1\n");
    run({.charset = "EUC-JP"});
    EXPECT_EQ(console.host.output(), std::string(platform::Converter("EUC-JP").convert(text)));
}

TEST(RealProgramOptions, FailingInputAndOutputNameTheirCauseAndEndWithStatusOneAtOnce) {
    std::string busy = "3 ";  // plenty of input that would keep a careless program busy
    for (int i = 0; i < 2000; ++i) {
        busy += "2 auto auto auto out 4 0 ";
    }
    const auto directory = testing::runProgram({.in = Stream::Directory});
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(directory.err, "orvanta: standard input: Is a directory\n");
    EXPECT_EQ(directory.out, testing::runProgram({}).out) << "the screen of the end of input";
    // A reader that went away (a broken pipe) is no error to report, as with git or ripgrep.
    const struct {
        Stream out;
        std::vector<std::string> args;
        const char* complaint;
    } cases[] = {{Stream::Full, {}, "orvanta: write error: No space left on device\n"},
                 {Stream::Closed, {}, "orvanta: write error: Bad file descriptor\n"},
                 {Stream::BrokenPipe, {}, ""},
                 {Stream::BrokenPipe, {"--perft=12"}, ""},
                 {Stream::Full, {"--gtp"}, "orvanta: write error: No space left on device\n"}};
    for (const auto& c : cases) {
        const auto failed = testing::runProgram({.input = busy, .args = c.args, .out = c.out});
        EXPECT_EQ(failed.status, 1) << "it exits, it is not killed by SIGPIPE";
        EXPECT_LT(failed.time, std::chrono::seconds(10));
        EXPECT_EQ(failed.err, c.complaint);
    }
}

}  // namespace
}  // namespace orvanta
