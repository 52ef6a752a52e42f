// How the program meets terminals: the character set (CP932 for files and pipes, the locale's
// own set on a terminal that can show the text) and the width of ambiguous-width characters.
#include <gtest/gtest.h>
#include <termios.h>

#include <clocale>
#include <csignal>
#include <cwchar>

#include "app/launch.hpp"
#include "app/menu.hpp"
#include "platform/terminal.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::Stream;

std::string encode(const std::string& utf8, const char* charset) {
    return std::string(platform::Converter(charset).convert(utf8));
}

// What the program writes on a terminal to measure it, and erases again.
const std::string kProbe = "\r─\x1b[6n\r\x1b[K";

// Unicode's own table decides which characters are ambiguous; every character of the
// repertoire must be classed as it says.

// The real program on terminals: only standard output decides the character set, the locale's
// when it can show the text, else Shift-JIS; the width is
// measured only when the terminal is on both streams; its answer, else the option, else the
// locale decides whether a space follows ambiguous-width characters.
TEST(RealProgramTerminal, ChoosesCharsetAndWidthAndTypedBytesSurviveTheProbe) {
    constexpr Stream P = Stream::Pipe, T = Stream::Terminal;
    const struct {
        Stream in, out;
        std::string answer;  // to the cursor-position request; "" never answers
        const char* locale;
        std::vector<std::string> args;
        const char* charset;
        bool probe, padded;
    } cases[] = {
        {P, T, "", "C.UTF-8", {}, "UTF-8", false, true},
        {P, T, "", "C", {}, "CP932", false, true},
        {P, T, "", "ja_JP.eucJP", {}, "EUC-JP", false, false},  // installed or not
        {P, T, "", "de_DE.ISO-8859-1", {}, "CP932", false, true},
        {T, P, "", "C.UTF-8", {}, "CP932", false, false},
        {T, T, "\x1b[1;2R", "C.UTF-8", {}, "UTF-8", true, true},
        {T, T, "\x1b[1;3R", "C.UTF-8", {}, "UTF-8", true, false},
        {T, T, "", "C.UTF-8", {}, "UTF-8", true, true},
        {T, T, "", "ja_JP.UTF-8", {}, "UTF-8", true, false},  // installed or not
        {T, T, "\x1b[1;2R", "C", {"--ambiguous-width=2"}, "CP932", false, false},
    };
    const std::string screen =
        testing::sessionText("3 1 f5 out -1");  // in test mode: without pauses
    for (const auto& c : cases) {
        const auto run = testing::runProgram({.input = "3\n1\nf5\nout\n-1\n",
                                              .args = c.args,
                                              .env = {std::string("LC_ALL=") + c.locale},
                                              .in = c.in,
                                              .out = c.out,
                                              .answer = c.answer});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, encode((c.probe ? kProbe : "") +
                                      (c.padded ? platform::padAmbiguous(screen) : screen),
                                  c.charset))
            << c.answer << c.locale << int(c.in);
        EXPECT_LT(run.time, std::chrono::milliseconds(1500)) << "the probe waits 200 ms at most";
    }
    // Bytes typed before and after the answer, arriving with it, are read as if it never came.
    const auto typed = testing::runProgram({.env = {"LC_ALL=C.UTF-8"},
                                            .in = Stream::Terminal,
                                            .out = Stream::Terminal,
                                            .answer = "3\n1\nf5\n\x1b[1;3Rout\n-1\n"});
    EXPECT_EQ(typed.out, kProbe + screen);
}

TEST(RealProgramTerminal, ItsModeIsRestoredAfterTheProbeEvenWhenASignalArrives) {
    for (const int signal : {0, SIGTERM, SIGINT}) {
        const auto run = testing::runProgram({.input = "-1\n",
                                              .env = {"LC_ALL=C.UTF-8"},
                                              .in = Stream::Terminal,
                                              .out = Stream::Terminal,
                                              .answer = "\x1b[1;2R",
                                              .signal = signal,
                                              .cooked = true});
        EXPECT_EQ(run.signal, signal);
        EXPECT_EQ(run.terminalModes & (ICANON | ECHO), unsigned{ICANON | ECHO}) << signal;
    }
}

// The columns a line takes on a terminal that draws ambiguous-width characters narrow (as
// wcwidth says, which is what tmux follows), and where each of `marks` starts.
std::pair<int, std::vector<int>> layout(const std::string& line, std::u32string_view marks) {
    std::mbstate_t state{};
    int column = 0;
    std::vector<int> found;
    for (const char* p = line.data(); p < line.data() + line.size();) {
        wchar_t character = 0;
        p += std::mbrtowc(&character, p, static_cast<std::size_t>(line.data() + line.size() - p),
                          &state);
        if (marks.find(static_cast<char32_t>(character)) != std::u32string_view::npos) {
            found.push_back(column);
        }
        column += wcwidth(character);
    }
    return {column, found};
}

TEST(Terminal, OnANarrowTerminalTheBoardLinesUp) {
    // What the program writes there, as the test above checks.
    const std::string screen = platform::padAmbiguous(testing::sessionText("3 1 f5 out -1"));
    std::locale::global(std::locale("C.UTF-8"));
    std::istringstream lines(screen.substr(screen.find("    a")));
    std::string line;
    std::getline(lines, line);
    const auto [width, letters] = layout(line, U"abcdefgh");
    std::vector<int> bars;
    for (int i = 0; i < 17 && std::getline(lines, line); ++i) {
        const auto [lineWidth, marks] = layout(line, U"│┌┐└┘├┤┬┴┼");
        EXPECT_EQ(lineWidth, width) << line;
        EXPECT_EQ(marks, i == 0 ? marks : bars) << line;
        bars = marks;
    }
    std::locale::global(std::locale::classic());
    ASSERT_EQ(bars.size(), 9u);
    for (std::size_t i = 0; i < letters.size(); ++i) {
        EXPECT_TRUE(bars[i] < letters[i] && letters[i] < bars[i + 1]) << "column " << i;
    }
}

}  // namespace
}  // namespace orvanta
