#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <optional>
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
    // fails (closed pipe, full disk, ...), with errno telling why.
    virtual bool write(std::string_view bytes) = 0;
    // Reads at most `size` bytes from standard input; 0 at its end, negative when reading fails
    // (with errno telling why).
    virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
    // Writes one message to standard error.
    virtual void writeError(std::string_view text) = 0;
    // Calendar time in seconds.
    virtual std::time_t now() = 0;
    // A clock for measuring how long things take: never goes back, starts anywhere.
    virtual std::chrono::nanoseconds steadyTime() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
    // Whether standard output is a terminal rather than a file or a pipe.
    virtual bool outputIsTerminal() = 0;
    // The character set of the user's locale (LC_CTYPE), as iconv names it; "" when unknown.
    virtual std::string localeCharset() = 0;
    // The locale's name as the environment gives it, such as "ja_JP.UTF-8".
    virtual std::string localeName() = 0;
    // On a terminal that is both standard input and standard output: draws `sample` at the start
    // of a line, asks the terminal where the cursor went, erases the line again and returns the
    // number of columns the sample took. Nothing when there is no such terminal or it does not
    // answer within `limit`. Bytes typed meanwhile are kept for `read`.
    virtual std::optional<int> measureColumns(std::string_view sample,
                                              std::chrono::milliseconds limit) = 0;
};

// The real machine: file descriptors 0 and 1, std::time and nanosleep.
class SystemHost final : public Host {
  public:
    bool write(std::string_view bytes) override;
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    void writeError(std::string_view text) override;
    std::time_t now() override;
    std::chrono::nanoseconds steadyTime() override;
    void sleep(std::chrono::milliseconds duration) override;
    bool outputIsTerminal() override;
    std::string localeCharset() override;
    std::string localeName() override;
    std::optional<int> measureColumns(std::string_view sample,
                                      std::chrono::milliseconds limit) override;

  private:
    // Reads standard input as the system does it; as `read` otherwise.
    std::ptrdiff_t readStandardInput(char* buffer, std::size_t size);
    // What the terminal sends within `limit`; nothing when nothing came.
    std::optional<std::string> readTerminal(std::chrono::milliseconds limit);
    // Reads the terminal's answer to a cursor-position request for at most `limit`, keeping
    // what was typed meanwhile; the columns the probe's sample took, or nothing.
    std::optional<int> awaitCursorReport(std::chrono::milliseconds limit);

    // Input read while waiting for the terminal's answer, handed out first by `read`.
    std::string typedAhead_;
    // Whether an answer that came too late may still arrive among the input.
    bool answerOverdue_ = false;
};

}  // namespace orvanta::platform
