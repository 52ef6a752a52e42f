// The output character set: CP932 for files and pipes, the locale's own set on a terminal that
// can show the program's text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/menu.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/program.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::Stream;

// The screen of a session that quits at once, as UTF-8.
std::string quitAtOnce() {
    ConsoleTest console("-1\n");
    run();
    return console.host.text();
}

std::string encode(const std::string& utf8, const char* charset) {
    return std::string(platform::Converter(charset).convert(utf8));
}

TEST(Charset, TerminalsGetTheirLocalesSetWhenItCanShowTheText) {
    const std::string text = quitAtOnce();
    const struct {
        bool terminal;
        const char* locale;
        const char* expected;
    } cases[] = {{true, "UTF-8", "UTF-8"},
                 {true, "EUC-JP", "EUC-JP"},
                 {true, "ISO-8859-1", "CP932"},
                 {true, "NO-SUCH-SET", "CP932"},
                 {false, "EUC-JP", "CP932"}};
    for (const auto& c : cases) {
        ConsoleTest console("-1\n");
        console.host.terminal = c.terminal;
        console.host.locale = c.locale;
        run();
        EXPECT_EQ(platform::console().charset(), c.expected) << c.locale;
        EXPECT_EQ(console.host.output(), encode(text, c.expected)) << c.locale;
    }
}

TEST(Charset, RepertoireHoldsEveryCharacterOfTheTranscripts) {
    const std::string repertoire(orvanta::repertoire());
    for (const auto& entry : std::filesystem::directory_iterator(ORVANTA_SESSIONS_DIR)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        for (std::size_t i = 0, length = 1; entry.path().extension() == ".out" && i < text.size();
             i += length) {
            const auto lead = static_cast<unsigned char>(text[i]);
            length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            EXPECT_TRUE(length == 1 || repertoire.find(text.substr(i, length)) != std::string::npos)
                << text.substr(i, length) << " in " << entry.path();
        }
    }
}

// The real program with a terminal on one or both of its standard streams: only standard output
// decides the character set.
TEST(Terminal, TheRealProgramWritesTheLocalesSetOnlyWhenItsOutputIsATerminal) {
    const struct {
        Stream in, out;
        const char* locale;
        const char* expected;
    } cases[] = {{Stream::Terminal, Stream::Terminal, "C.UTF-8", "UTF-8"},
                 {Stream::Terminal, Stream::Terminal, "C", "CP932"},
                 {Stream::Pipe, Stream::Terminal, "C.UTF-8", "UTF-8"},
                 {Stream::Terminal, Stream::Pipe, "C.UTF-8", "CP932"}};
    const std::string screen = quitAtOnce();
    for (const auto& c : cases) {
        const auto run = testing::runProgram({.input = "-1\n",
                                              .env = {std::string("LC_ALL=") + c.locale},
                                              .in = c.in,
                                              .out = c.out});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, encode(screen, c.expected)) << c.locale << " " << int(c.in);
    }
}

}  // namespace
}  // namespace orvanta
