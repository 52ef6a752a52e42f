#pragma once

#include "platform/host.hpp"

namespace orvanta::bench {

// A machine whose output goes nowhere, whose input is empty and whose clock moves one second per
// reading, so that every computer move is seeded differently.
class NullHost final : public platform::Host {
  public:
    bool write(std::string_view) override { return true; }
    std::ptrdiff_t read(char*, std::size_t) override { return 0; }
    void writeError(std::string_view) override {}
    std::time_t now() override { return clock_++; }
    std::chrono::nanoseconds steadyTime() override { return std::chrono::nanoseconds(0); }
    void sleep(std::chrono::milliseconds) override {}
    bool outputIsTerminal() override { return false; }
    std::string localeCharset() override { return "UTF-8"; }
    std::string localeName() override { return "C.UTF-8"; }
    std::optional<int> measureColumns(std::string_view, std::chrono::milliseconds) override {
        return std::nullopt;
    }

  private:
    std::time_t clock_ = 1'700'000'000;
};

}  // namespace orvanta::bench
