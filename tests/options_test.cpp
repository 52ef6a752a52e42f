// The command line: what each option sets, and one clear complaint for every bad use.
#include <gtest/gtest.h>

#include "app/options.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

TEST(Options, EachOptionSetsItsFieldAndEveryBadUseIsNamed) {
    const struct {
        std::vector<std::string> args;
        int ambiguousWidth;
        std::string error;
    } cases[] = {
        {{}, 0, ""},
        {{"--ambiguous-width=1"}, 1, ""},
        {{"--ambiguous-width", "2"}, 2, ""},
        {{"--amb=2"}, 2, ""},  // an unambiguous prefix, as GNU programs take it
        {{"--ambiguous-width=3"}, 0, "invalid value '3' for --ambiguous-width (1 or 2)"},
        {{"--ambiguous-width=1x"}, 0, "invalid value '1x' for --ambiguous-width (1 or 2)"},
        {{"--ambiguous-width="}, 0, "invalid value '' for --ambiguous-width (1 or 2)"},
        {{"--ambiguous-width"}, 0, "option '--ambiguous-width' requires a value"},
        {{"--help=yes"}, 0, "option '--help' takes no value"},
        {{"--bogus"}, 0, "unrecognized option '--bogus'"},
        {{"-x"}, 0, "invalid option -- 'x'"},
        {{"play"}, 0, "unexpected argument 'play'"},
        {{"-h", "--", "-h"}, 0, "unexpected argument '-h'"},
    };
    for (const auto& c : cases) {
        const auto parsed = parseOptions(c.args);
        const auto* error = std::get_if<UsageError>(&parsed);
        EXPECT_EQ(error ? error->message : "", c.error) << c.args.size();
        EXPECT_EQ(error ? 0 : std::get<Options>(parsed).ambiguousWidth, c.ambiguousWidth);
    }
}

TEST(Options, TheRealProgramAnswersBadUseWithTwoLinesOnStandardErrorAndStatusTwo) {
    const auto bad = testing::runProgram({.input = "-1\n", .args = {"--bogus"}});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err,
              "orvanta: unrecognized option '--bogus'\n"
              "Try 'orvanta --help' for more information.\n");
    const auto help = testing::runProgram({.args = {"-h"}});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, usage());
    EXPECT_NE(help.out.find("\n      --ambiguous-width=N "), std::string::npos);
}

}  // namespace
}  // namespace orvanta
