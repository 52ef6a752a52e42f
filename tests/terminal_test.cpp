// How the program meets terminals: the character set (CP932 for files and pipes, the locale's
// own set on a terminal that can show the text) and the width of ambiguous-width characters.
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

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
    // What the program writes to ask a terminal whether it is UTF-8 (as raw bytes), and to
    // measure its width (in the output's character set); both are erased again.
    const std::string askUtf8 = "\r\xC3\xA9\x1b[6n\r\x1b[K";
    enum Probes { kNone, kWidth, kBoth, kCharsetOnly };
    const struct {
        Stream in, out;
        std::string answer;  // to the cursor-position request; "" never answers
        const char* locale;
        std::vector<std::string> args;
        const char* charset;
        Probes probes;
        bool padded;
    } cases[] = {
        {P, T, "", "C.UTF-8", {}, "UTF-8", kNone, true},
        {P, T, "", "C", {}, "CP932", kNone, true},
        {P, T, "", "ja_JP.eucJP", {}, "EUC-JP", kNone, false},  // installed or not
        {P, T, "", "de_DE.ISO-8859-1", {}, "CP932", kNone, true},
        {T, P, "", "C.UTF-8", {}, "CP932", kNone, false},
        {T, T, "\x1b[1;2R", "C.UTF-8", {}, "UTF-8", kWidth, true},
        {T, T, "\x1b[1;3R", "C.UTF-8", {}, "UTF-8", kWidth, false},
        {T, T, "", "C.UTF-8", {}, "UTF-8", kWidth, true},
        {T, T, "", "ja_JP.UTF-8", {}, "UTF-8", kWidth, false},  // installed or not
        // A locale that names no set for the text: a UTF-8 terminal says so by the column
        // after "é"; any other answer, or none, leaves Shift-JIS.
        {T, T, "\x1b[1;2R", "C", {}, "UTF-8", kBoth, true},
        {T, T, "\x1b[1;3R", "POSIX", {}, "CP932", kBoth, false},
        {T, T, "", "C", {}, "CP932", kCharsetOnly, true},
        {T, T, "\x1b[1;2R", "C", {"--ambiguous-width=2"}, "UTF-8", kCharsetOnly, false},
        {T, T, "\x1b[1;2R", "C.UTF-8", {"--ambiguous-width=2"}, "UTF-8", kNone, false},
        // An explicit width pads files and pipes too.
        {P, P, "", "C", {"--ambiguous-width=1"}, "CP932", kNone, true},
    };
    const std::string screen =
        testing::sessionText("3 1 f5 out -1");  // in test mode: without pauses
    // How long each run took: a terminal that never answers costs each probe its 200 ms at
    // most, counted above the fastest run (which waits for nothing), so that a slow or busy
    // machine's start-up does not count.
    std::vector<std::pair<std::chrono::duration<double>, std::string>> times;
    for (const auto& c : cases) {
        const auto run = testing::runProgram({.input = "3\n1\nf5\nout\n-1\n",
                                              .args = c.args,
                                              .env = {std::string("LC_ALL=") + c.locale},
                                              .in = c.in,
                                              .out = c.out,
                                              .answer = c.answer});
        EXPECT_EQ(run.status, 0);
        const std::string charsetProbe =
            c.probes == kBoth || c.probes == kCharsetOnly ? askUtf8 : "";
        const std::string widthProbe =
            c.probes == kBoth || c.probes == kWidth ? encode(kProbe, c.charset) : "";
        EXPECT_EQ(run.out,
                  charsetProbe + widthProbe +
                      encode(c.padded ? platform::padAmbiguous(screen) : screen, c.charset))
            << c.answer << c.locale << int(c.in);
        times.emplace_back(run.time, c.answer + c.locale + std::to_string(int(c.in)));
    }
    const auto fastest = std::ranges::min(times).first;
    for (const auto& [time, name] : times) {
        EXPECT_LT(time - fastest, std::chrono::milliseconds(1000)) << name;
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
