#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace orvanta::platform {

// Everything the program asks of the machine: the bytes of standard output and standard input,
// the calendar clock and sleeping. This is the one seam through which tests capture the exact
// output bytes, feed input, fix the clock and record pauses instead of sleeping.
class Host {
  public:
    virtual ~Host() = default;

    // Writes every byte to standard output at once (nothing is held back); false when the output
    // is gone (closed pipe, full disk, ...).
    virtual bool write(std::string_view bytes) = 0;
    // Reads at most `size` bytes from standard input; 0 at its end, negative when reading fails.
    virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
    // Calendar time in seconds.
    virtual std::time_t now() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
    // Whether standard output is a terminal rather than a file or a pipe.
    virtual bool outputIsTerminal() = 0;
    // The character set of the user's locale (LC_CTYPE), as iconv names it.
    virtual std::string localeCharset() = 0;
};

// The real machine: file descriptors 0 and 1, std::time and nanosleep.
class SystemHost final : public Host {
  public:
    bool write(std::string_view bytes) override;
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    std::time_t now() override;
    void sleep(std::chrono::milliseconds duration) override;
    bool outputIsTerminal() override;
    std::string localeCharset() override;
};

}  // namespace orvanta::platform
