// Runs a command and reports what it cost: wall time, user and system CPU, peak resident memory,
// and the write calls and bytes it made (from this process's I/O accounting, which takes in
// the reaped child's). Being small itself, it does not inflate the child's peak memory the way
// a large parent such as a Python interpreter does.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

struct Io {
    long long writes = 0;
    long long bytes = 0;
};

Io ownIo() {
    Io io;
    std::ifstream file("/proc/self/io");
    std::string key;
    long long value = 0;
    while (file >> key >> value) {
        if (key == "syscw:") {
            io.writes = value;
        } else if (key == "wchar:") {
            io.bytes = value;
        }
    }
    return io;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    const Io before = ownIo();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto wall = std::chrono::steady_clock::now() - start;
    const Io after = ownIo();
    std::fprintf(
        stderr,
        "status=%d wall_ns=%lld user_us=%lld sys_us=%lld maxrss_kib=%ld writes=%lld bytes=%lld\n",
        WIFEXITED(status) ? WEXITSTATUS(status) : -1,
        static_cast<long long>(std::chrono::nanoseconds(wall).count()),
        static_cast<long long>(usage.ru_utime.tv_sec) * 1000000 + usage.ru_utime.tv_usec,
        static_cast<long long>(usage.ru_stime.tv_sec) * 1000000 + usage.ru_stime.tv_usec,
        usage.ru_maxrss, after.writes - before.writes, after.bytes - before.bytes);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
