// The output character set: CP932 for files and pipes, the locale's own set on a terminal that
// can show the program's text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/menu.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

// The screen of a session that quits at once, as UTF-8.
std::string quitAtOnce() {
    ConsoleTest console("-1\n");
    run();
    return console.host.text();
}

std::string encode(const std::string& utf8, const char* charset) {
    platform::Converter converter(charset);
    return std::string(converter.convert(utf8));
}

TEST(Charset, TerminalsGetTheirLocalesSetWhenItCanShowTheText) {
    const std::string text = quitAtOnce();
    struct Case {
        bool terminal;
        const char* locale;
        const char* expected;
    };
    for (const Case& c : {Case{true, "UTF-8", "UTF-8"}, Case{true, "EUC-JP", "EUC-JP"},
                          Case{true, "SHIFT_JIS", "SHIFT_JIS"}, Case{true, "ISO-8859-1", "CP932"},
                          Case{true, "ANSI_X3.4-1968", "CP932"}, Case{true, "NO-SUCH-SET", "CP932"},
                          Case{false, "UTF-8", "CP932"}, Case{false, "EUC-JP", "CP932"}}) {
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
        for (std::size_t i = 0, length = 1; i < text.size(); i += length) {
            const auto lead = static_cast<unsigned char>(text[i]);
            length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            EXPECT_TRUE(length == 1 || repertoire.find(text.substr(i, length)) != std::string::npos)
                << text.substr(i, length) << " in " << entry.path();
        }
    }
}

// Runs the real program on a pseudo-terminal with the given locale and returns what it shows.
std::string runOnTerminal(const char* locale, const std::string& input) {
    termios settings{};
    cfmakeraw(&settings);  // no echo, no CR added to line ends: the screen gets the exact bytes
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, &settings, nullptr);
    if (pid == 0) {
        setenv("LC_ALL", locale, 1);
        execl(ORVANTA_BINARY, ORVANTA_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    EXPECT_GT(pid, 0);
    EXPECT_EQ(write(master, input.data(), input.size()), static_cast<ssize_t>(input.size()));
    std::string screen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 1000) <= 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the program did not finish";
                kill(pid, SIGKILL);
                break;
            }
            continue;
        }
        char buffer[4096];
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break;  // EIO once the program has exited and closed the terminal
        }
        screen.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(master);
    return screen;
}

TEST(Terminal, UnicodeLocaleShowsUtf8) {
    const std::string screen = runOnTerminal("C.UTF-8", "-1\n");
    EXPECT_EQ(screen, quitAtOnce());
    EXPECT_NE(screen.find("　─メニュー─"), std::string::npos);
}

TEST(Terminal, AsciiLocaleFallsBackToShiftJis) {
    EXPECT_EQ(runOnTerminal("C", "-1\n"), encode(quitAtOnce(), "CP932"));
}

}  // namespace
}  // namespace orvanta
