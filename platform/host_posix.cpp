#include "platform/host.hpp"

#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <thread>

#include "platform/terminal.hpp"

namespace orvanta::platform {

namespace {

ssize_t readInput(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

bool sameTerminal() {
    struct stat in {};
    struct stat out {};
    return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1 &&
           fstat(STDIN_FILENO, &in) == 0 && fstat(STDOUT_FILENO, &out) == 0 &&
           in.st_rdev == out.st_rdev;
}

// Puts the terminal on standard input in non-canonical mode without echo for its lifetime, and
// holds back the signals that would end or stop the program meanwhile, so that the terminal's
// mode is restored on every path before any of them takes effect.
class RawInput {
  public:
    RawInput() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP, SIGTTIN, SIGTTOU}) {
            sigaddset(&held, signal);
        }
        sigprocmask(SIG_BLOCK, &held, &signals_);
        if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios raw = saved_;
            raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            raw.c_cc[VMIN] = 0;
            raw.c_cc[VTIME] = 0;
            active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
        }
    }
    ~RawInput() {
        if (active_) {
            tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
        }
        sigprocmask(SIG_SETMASK, &signals_, nullptr);
    }
    RawInput(const RawInput&) = delete;
    RawInput& operator=(const RawInput&) = delete;

    bool active() const { return active_; }

  private:
    termios saved_{};
    sigset_t signals_{};
    bool active_ = false;
};

}  // namespace

bool SystemHost::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::ptrdiff_t SystemHost::readStandardInput(char* buffer, std::size_t size) {
    return readInput(buffer, size);
}

void SystemHost::writeError(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // nowhere left to complain
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void SystemHost::sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

bool SystemHost::outputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

std::string SystemHost::localeCharset() {
    // Read once: the locale does not change while the program runs. A locale that is named but
    // not installed still says which character set the terminal uses.
    static const std::string charset = [] {
        if (std::setlocale(LC_CTYPE, "") != nullptr) {
            return std::string(nl_langinfo(CODESET));
        }
        return charsetFromLocaleName(localeNameFromEnvironment());
    }();
    return charset;
}

std::optional<int> SystemHost::measureColumns(std::string_view sample,
                                              std::chrono::milliseconds limit) {
    if (!sameTerminal()) {
        return std::nullopt;
    }
    const RawInput raw;
    std::string probe = "\r";
    probe.append(sample).append("\x1b[6n");
    if (!raw.active() || !write(probe)) {
        return std::nullopt;
    }
    const std::optional<int> columns = awaitCursorReport(limit);
    write("\r\x1b[K");
    return columns;
}

std::optional<std::string> SystemHost::readTerminal(std::chrono::milliseconds limit) {
    pollfd ready{STDIN_FILENO, POLLIN, 0};
    int polled = 0;
    do {
        polled = ::poll(&ready, 1, static_cast<int>(limit.count()));
    } while (polled < 0 && errno == EINTR);
    char buffer[256];
    const ssize_t got = polled > 0 ? readInput(buffer, sizeof buffer) : 0;
    if (got <= 0) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(got));
}

}  // namespace orvanta::platform
