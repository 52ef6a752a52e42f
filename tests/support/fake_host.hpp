#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.hpp"
#include "platform/host.hpp"

namespace orvanta::testing {

// A machine for tests: input comes from a string, output bytes are captured, the clock stands
// still and pauses are recorded with the number of output bytes written before them.
class FakeHost final : public platform::Host {
  public:
    struct Pause {
        std::size_t at;  // bytes written before the pause
        long long milliseconds;
    };

    explicit FakeHost(std::string input = {}) : input_(std::move(input)) {}

    bool write(std::string_view bytes) override;
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    std::time_t now() override { return clock; }
    void sleep(std::chrono::milliseconds duration) override;
    bool outputIsTerminal() override { return terminal; }
    std::string localeCharset() override { return locale; }

    const std::string& output() const { return output_; }
    // The output decoded from CP932 to UTF-8.
    std::string text() const;
    const std::vector<Pause>& pauses() const { return pauses_; }
    std::size_t writes() const { return writes_; }
    std::size_t reads() const { return reads_; }
    void clearOutput() {
        output_.clear();
        pauses_.clear();
    }

    std::time_t clock = 1'700'000'000;
    bool terminal = false;
    std::string locale = "UTF-8";
    // When set, every write fails as if standard output were closed.
    bool closed = false;
    // Bytes handed out per read call, to exercise words split across reads.
    std::size_t chunk = 4096;

  private:
    std::string input_;
    std::size_t inputPos_ = 0;
    std::string output_;
    std::vector<Pause> pauses_;
    std::size_t writes_ = 0;
    std::size_t reads_ = 0;
};

// Converts CP932 bytes to UTF-8; throws when they are not valid CP932.
std::string fromCp932(std::string_view bytes);
// Converts UTF-8 text to CP932 bytes.
std::string toCp932(std::string_view utf8);

// Attaches a FakeHost to the console and sets test mode for one test.
class ConsoleTest {
  public:
    explicit ConsoleTest(std::string input = {}, bool testMode = false);
    ~ConsoleTest();
    ConsoleTest(const ConsoleTest&) = delete;
    ConsoleTest& operator=(const ConsoleTest&) = delete;

    FakeHost host;
    bool& testMode;

  private:
    platform::HostScope scope_;
};

}  // namespace orvanta::testing
