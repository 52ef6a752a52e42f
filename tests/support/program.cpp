#include "tests/support/program.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
    const auto dir = std::filesystem::temp_directory_path() /
                     ("orvanta-run-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::create_directories(dir);
    const auto in = dir / "in";
    const auto out = dir / "out";
    const auto err = dir / "err";
    std::ofstream(in, std::ios::binary) << input;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int pipeEnds[2] = {-1, -1};
    if (output == Output::File) {
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
    } else if (output == Output::Closed) {
        posix_spawn_file_actions_addclose(&actions, 1);
    } else {
        // A pipe whose reading end is already closed: every write fails with EPIPE.
        if (pipe(pipeEnds) != 0) {
            return {};
        }
        close(pipeEnds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    }
    char binary[] = ORVANTA_BINARY;
    char* argv[] = {binary, nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, binary, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0) {
        close(pipeEnds[1]);
    }
    ProgramRun result;
    if (spawned == 0) {
        int wait = 0;
        waitpid(pid, &wait, 0);
        result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
    }
    std::filesystem::remove_all(dir);
    return result;
}

}  // namespace orvanta::testing
