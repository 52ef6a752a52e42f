#include "tests/support/program.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace orvanta::testing {

namespace {

std::string slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

}  // namespace

ProgramRun runProgram(const std::string& input, Output output) {
    static int serial = 0;
    const auto err = std::filesystem::temp_directory_path() /
                     ("orvanta-err-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (pipe(in) != 0 || pipe(out) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (output == Output::Pipe) {
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    } else if (output == Output::Closed) {
        posix_spawn_file_actions_addclose(&actions, 1);
    } else {
        close(out[0]);  // nobody will read: every write fails with EPIPE
        out[0] = -1;
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    }
    for (const int end : {in[0], in[1], out[0], out[1]}) {
        if (end >= 0) {
            posix_spawn_file_actions_addclose(&actions, end);
        }
    }
    char binary[] = ORVANTA_BINARY;
    char* argv[] = {binary, nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, binary, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    ProgramRun result;
    if (spawned == 0) {
        // Feed the input from a second thread while this one reads, so neither side blocks.
        std::thread feeder([&] {
            signal(SIGPIPE, SIG_IGN);  // the program may quit before reading everything
            for (std::size_t sent = 0; sent < input.size();) {
                const ssize_t n = write(in[1], input.data() + sent, input.size() - sent);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            close(in[1]);
        });
        char buffer[65536];
        for (ssize_t n; out[0] >= 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;) {
            result.out.append(buffer, static_cast<std::size_t>(n));
        }
        int wait = 0;
        waitpid(pid, &wait, 0);
        feeder.join();
        result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
        result.err = slurp(err);
    } else {
        close(in[1]);
    }
    if (out[0] >= 0) {
        close(out[0]);
    }
    std::filesystem::remove(err);
    return result;
}

}  // namespace orvanta::testing
