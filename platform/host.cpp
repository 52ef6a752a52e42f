#include <algorithm>
#include <ctime>

#include "platform/host.hpp"
#include "platform/terminal.hpp"

// What the real machine does alike on every system; host_posix.cpp and host_windows.cpp hold
// the rest.
namespace orvanta::platform {

std::ptrdiff_t SystemHost::read(char* buffer, std::size_t size) {
    if (!typedAhead_.empty()) {
        const std::size_t n = std::min(size, typedAhead_.size());
        std::copy_n(typedAhead_.data(), n, buffer);
        typedAhead_.erase(0, n);
        return static_cast<std::ptrdiff_t>(n);
    }
    const std::ptrdiff_t got = readStandardInput(buffer, size);
    if (got > 0 && answerOverdue_) {
        // A late answer to the width probe is no input of the user's.
        std::string bytes(buffer, static_cast<std::size_t>(got));
        if (takeCursorReport(bytes)) {
            answerOverdue_ = false;
            std::copy(bytes.begin(), bytes.end(), buffer);
            return bytes.empty() ? read(buffer, size) : static_cast<std::ptrdiff_t>(bytes.size());
        }
    }
    return got;
}

std::optional<int> SystemHost::awaitCursorReport(std::chrono::milliseconds limit) {
    std::optional<int> column;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!column) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto bytes = left.count() > 0 ? readTerminal(left) : std::nullopt;
        if (!bytes) {
            break;
        }
        typedAhead_ += *bytes;
        column = takeCursorReport(typedAhead_);
    }
    answerOverdue_ = !column;
    if (column) {
        return *column - 1;  // the sample was drawn from the first column
    }
    return std::nullopt;
}

std::time_t SystemHost::now() {
    return std::time(nullptr);
}

std::chrono::nanoseconds SystemHost::steadyTime() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

std::string SystemHost::localeName() {
    return localeNameFromEnvironment();
}

}  // namespace orvanta::platform
