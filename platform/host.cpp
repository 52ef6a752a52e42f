#include "platform/host.hpp"

#include <langinfo.h>
#include <unistd.h>

#include <clocale>

#include <cerrno>
#include <thread>

namespace orvanta::platform {

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

std::ptrdiff_t SystemHost::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got;
    }
}

std::time_t SystemHost::now() {
    return std::time(nullptr);
}

void SystemHost::sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

bool SystemHost::outputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace orvanta::platform

namespace orvanta::platform {

std::string SystemHost::localeCharset() {
    // Read once: the locale does not change while the program runs.
    static const std::string charset = [] {
        std::setlocale(LC_CTYPE, "");
        return std::string(nl_langinfo(CODESET));
    }();
    return charset;
}

}  // namespace orvanta::platform
