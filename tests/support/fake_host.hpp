#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/console.hpp"
#include "platform/host.hpp"

namespace orvanta::testing {

// CP932 bytes as UTF-8 (throws when they are not valid CP932), and back.
std::string fromCp932(std::string_view bytes);
std::string toCp932(std::string_view utf8);

// A machine for tests: input comes from a string, output bytes are captured, the clock stands
// still and pauses are recorded with the number of output bytes written before them.
class FakeHost final : public platform::Host {
  public:
    explicit FakeHost(std::string input = {}) : input_(std::move(input)) {}

    bool write(std::string_view bytes) override {
        ++writes_;
        output_.append(closed ? "" : bytes);
        return !closed;
    }
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    std::time_t now() override { return clock; }
    void sleep(std::chrono::milliseconds duration) override {
        pauses_.push_back({output_.size(), duration.count()});
    }
    bool outputIsTerminal() override { return terminal; }
    std::string localeCharset() override { return locale; }
    std::string localeName() override { return "C.UTF-8"; }
    std::optional<int> measureColumns(std::string_view, std::chrono::milliseconds) override {
        return columns;
    }

    const std::string& output() const { return output_; }
    // The output decoded from CP932, with every pause marked where it fell as "{pause N}".
    std::string screen() const;
    // The output decoded from CP932, pauses unmarked.
    std::string text() const { return fromCp932(output_); }
    std::size_t writes() const { return writes_; }
    std::size_t reads() const { return reads_; }

    std::time_t clock = 1'700'000'000;
    bool terminal = false;
    std::string locale = "UTF-8";
    std::optional<int> columns;  // the terminal's answer to the width probe
    bool closed = false;         // every write fails, as if standard output were closed
    std::size_t chunk = 4096;    // bytes handed out per read, to split words across reads

  private:
    std::string input_;
    std::size_t inputPos_ = 0;
    std::string output_;
    std::vector<std::pair<std::size_t, long long>> pauses_;  // output size then, milliseconds
    std::size_t writes_ = 0;
    std::size_t reads_ = 0;
};

// Attaches a FakeHost to the console and sets test mode for one test.
class ConsoleTest {
  public:
    explicit ConsoleTest(std::string input = {}, bool testMode = false);
    ~ConsoleTest() { testMode = false; }
    ConsoleTest(const ConsoleTest&) = delete;
    ConsoleTest& operator=(const ConsoleTest&) = delete;

    FakeHost host;
    bool& testMode;

  private:
    platform::HostScope scope_;
};

}  // namespace orvanta::testing
