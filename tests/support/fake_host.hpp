#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/console.hpp"
#include "platform/host.hpp"
#include "tests/support/scratch.hpp"

namespace orvanta::testing {

// CP932 bytes as UTF-8 (throws when they are not valid CP932), and back.
std::string fromCp932(std::string_view bytes);
std::string toCp932(std::string_view utf8);

// A machine for tests: input comes from a string, output bytes are captured as if written to a
// file, the clocks stand still (unless a test sets `tick`) and pauses are recorded with the output
// written before them.
class FakeHost final : public platform::Host {
  public:
    explicit FakeHost(std::string input = {}) : input_(std::move(input)) {}

    bool write(std::string_view bytes) override {
        ++writes_;
        output_.append(closed ? "" : bytes);
        errno = EPIPE;
        return !closed;
    }
    void writeError(std::string_view text) override { errors += text; }
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    std::time_t now() override { return clock; }
    // Each look at the steady clock moves it on by `tick` (a search under a clock then ends).
    std::chrono::nanoseconds steadyTime() override {
        steady += tick;
        return steady;
    }
    void sleep(std::chrono::milliseconds duration) override {
        pauses_.push_back({output_.size(), duration.count()});
    }
    // Standard output is a file: no charset of a locale, no terminal to measure.
    bool outputIsTerminal() override { return false; }
    std::string localeCharset() override { return ""; }
    std::string localeName() override { return ""; }
    std::optional<int> measureColumns(std::string_view, std::chrono::milliseconds) override {
        return std::nullopt;
    }

    const std::string& output() const { return output_; }
    // The output decoded from CP932, with every pause marked where it fell as "{pause N}".
    std::string screen() const;
    // The output decoded from CP932, pauses unmarked.
    std::string text() const { return fromCp932(output_); }
    std::size_t writes() const { return writes_; }
    std::size_t reads() const { return reads_; }

    std::time_t clock = 1'700'000'000;
    std::chrono::nanoseconds steady{1'700'000'000};
    std::chrono::nanoseconds tick{0};
    bool closed = false;       // every write fails, as if standard output were closed
    std::string errors;        // what was written on standard error
    std::size_t chunk = 4096;  // bytes handed out per read, to split words across reads

  private:
    std::string input_;
    std::size_t inputPos_ = 0;
    std::string output_;
    std::vector<std::pair<std::size_t, long long>> pauses_;  // output size then, milliseconds
    std::size_t writes_ = 0;
    std::size_t reads_ = 0;
};

// The bytes of a file, and of a file of tests/sessions/ such as "f5_normal_mode.in".
std::string readFile(const std::string& path);
inline std::string sessionFile(const std::string& name) {
    return readFile(ORVANTA_SESSIONS_DIR "/" + name);
}

// The screen, as UTF-8, of a session of the game with this input and no options.
std::string sessionText(const std::string& input);

// Attaches a FakeHost to the console and sets test mode for one test.
class ConsoleTest {
  public:
    explicit ConsoleTest(std::string input = {}, bool testMode = false);
    ~ConsoleTest() { platform::console().setTestMode(false); }
    ConsoleTest(const ConsoleTest&) = delete;
    ConsoleTest& operator=(const ConsoleTest&) = delete;

    FakeHost host;

  private:
    platform::HostScope scope_;
};

}  // namespace orvanta::testing
