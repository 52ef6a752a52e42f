#include "tests/support/program.hpp"

#include <gtest/gtest.h>

#ifdef _WIN32

namespace orvanta::testing {

// The real program is run from POSIX systems only; on Windows the RealProgram tests are left
// out, and the Wine comparison of make windows-test runs the real program instead.
ProgramRun runProgram(const Launch&) {
    ADD_FAILURE() << "the real program is run on POSIX systems only";
    return {};
}

}  // namespace orvanta::testing

#else

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <thread>
#include <utility>

extern char** environ;

namespace orvanta::testing {

namespace {

// A pseudo-terminal in raw or cooked mode: {master, slave}.
std::array<int, 2> openTerminal(bool cooked) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    termios settings{};
    tcgetattr(slave, &settings);
    if (!cooked) {
        cfmakeraw(&settings);
    }
    tcsetattr(slave, TCSANOW, &settings);
    return {master, slave};
}

}  // namespace

ProgramRun runProgram(const Launch& launch) {
    std::array<int, 2> in{-1, -1}, out{-1, -1}, terminal{-1, -1};
    if (launch.in == Stream::Terminal || launch.out == Stream::Terminal) {
        terminal = openTerminal(launch.cooked);
    }
    if ((launch.in == Stream::Pipe && pipe(in.data()) != 0) ||
        (launch.out != Stream::Terminal && pipe(out.data()) != 0)) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    std::vector<std::string> args{ORVANTA_BINARY}, env(launch.env);
    args.insert(args.end(), launch.args.begin(), launch.args.end());
    // Never the developer's own configuration or state: folders that cannot exist.
    env.emplace_back("XDG_CONFIG_HOME=/proc/orvanta-tests/config");
    env.emplace_back("XDG_STATE_HOME=/proc/orvanta-tests/state");
    for (char** entry = environ; *entry != nullptr; ++entry) {
        env.emplace_back(*entry);  // the first of equal names wins
    }
    std::vector<char*> argv, envp;
    for (auto [texts, pointers] : {std::pair{&args, &argv}, std::pair{&env, &envp}}) {
        std::transform(texts->begin(), texts->end(), std::back_inserter(*pointers),
                       [](std::string& text) { return text.data(); });
        pointers->push_back(nullptr);
    }
    FILE* err = std::tmpfile();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(launch.in == Stream::Terminal ? terminal[1] : in[0], 0);
        dup2(launch.out == Stream::Terminal ? terminal[1] : out[1], 1);
        dup2(fileno(err), 2);
        for (const int fd : {in[0], in[1], out[0], out[1], terminal[0], terminal[1]}) {
            close(fd);
        }
        if (launch.out == Stream::Closed) {
            close(1);
        }
        if (launch.out == Stream::Full) {
            dup2(open("/dev/full", O_WRONLY), 1);
        }
        if (launch.in == Stream::Directory) {
            dup2(open("/", O_RDONLY), 0);
        }
        // This process ignores SIGPIPE; the program must not inherit that, or a missing
        // protection of its own would go unnoticed.
        signal(SIGPIPE, SIG_DFL);
        execve(ORVANTA_BINARY, argv.data(), envp.data());
        _exit(127);
    }
    for (const int fd : {in[0], out[1], terminal[1]}) {
        close(fd);
    }
    if (launch.out == Stream::BrokenPipe) {
        close(std::exchange(out[0], -1));  // nobody reads: every write fails with EPIPE
    }
    const int writeEnd = launch.in == Stream::Terminal ? terminal[0] : in[1];
    const int readEnd = launch.out == Stream::Terminal ? terminal[0] : out[0];
    // Feed the input from a second thread while this one reads, so neither side blocks.
    std::thread feeder([&] {
        signal(SIGPIPE, SIG_IGN);  // the program may quit before reading everything
        for (std::size_t sent = 0; writeEnd >= 0 && sent < launch.input.size();) {
            const ssize_t n =
                write(writeEnd, launch.input.data() + sent, launch.input.size() - sent);
            if (n <= 0) {
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        close(in[1]);
    });
    ProgramRun result;
    std::size_t unanswered = 0;  // where to look for the next cursor-position request
    char buffer[65536];
    for (pollfd ready{readEnd, POLLIN, 0}; readEnd >= 0;) {
        if (poll(&ready, 1, 30'000) == 0) {
            ADD_FAILURE() << "the program did not finish";
            kill(pid, SIGKILL);
        }
        const ssize_t n = read(readEnd, buffer, sizeof buffer);
        if (n <= 0) {
            break;  // end of the pipe, or EIO once the terminal has no program left
        }
        result.out.append(buffer, static_cast<std::size_t>(n));
        for (auto asked = result.out.find("\x1b[6n", unanswered); asked != std::string::npos;
             asked = result.out.find("\x1b[6n", unanswered)) {
            unanswered = asked + 4;
            if (launch.signal != 0) {
                kill(pid, launch.signal);
            } else if (write(terminal[0], launch.answer.data(), launch.answer.size()) < 0) {
                ADD_FAILURE() << "cannot answer";
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    feeder.join();
    result.time = std::chrono::steady_clock::now() - start;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    termios modes{};
    if (terminal[0] >= 0 && tcgetattr(terminal[0], &modes) == 0) {
        result.terminalModes = static_cast<unsigned>(modes.c_lflag);
    }
    close(out[0]);
    close(terminal[0]);
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) {
        result.err.push_back(static_cast<char>(c));
    }
    std::fclose(err);
    return result;
}

}  // namespace orvanta::testing

#endif
