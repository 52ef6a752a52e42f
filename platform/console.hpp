#pragma once

#include <array>
#include <charconv>
#include <chrono>
#include <concepts>
#include <cstddef>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/converter.hpp"
#include "platform/host.hpp"

namespace orvanta::platform {

// One whitespace-delimited word of input, taken as raw bytes. Only its first bytes are kept, so
// an endless word costs bounded memory; `truncated` tells that more bytes followed them.
struct Word {
    static constexpr std::size_t kKept = 256;

    std::string bytes;
    bool truncated = false;

    // Whether the whole word is exactly `text`.
    bool is(std::string_view text) const { return !truncated && bytes == text; }
};

// Thrown when standard output can no longer be written; the program then stops. The message
// names the cause, as in "write error: No space left on device".
class OutputFailed : public std::runtime_error {
  public:
    explicit OutputFailed(int error);
    // The errno value of the failure.
    int error() const { return error_; }

  private:
    int error_;
};

// The program's console: everything it writes and reads, its pauses and its clock, all through
// one `Host`. Text is given in UTF-8 and converted to the output character set; every write
// reaches the host at once, and a line end is a newline written on its own.
class Console {
  public:
    explicit Console(Host& host);

    // Switches to another host (tests use this) and chooses the output character set for it.
    void attach(Host& host);
    // Writes in `charset` on every output, instead of choosing; "" goes back to choosing.
    void forceCharset(std::string charset);
    // Every pause lasts `scale` times its length; 0 removes them.
    void setPauseScale(double scale) { pauseScale_ = scale; }
    // Tells the console every character the program writes, so that a terminal gets its own
    // character set only when that set can show all of them. Called once at start-up.
    void setRepertoire(std::string utf8);
    Host& host() const { return *host_; }
    const std::string& charset() const { return converter_->charset(); }

    // Looks at the terminal once at start-up.
    // - Its character set: when the locale names none that can show the text (plain C, say),
    //   a terminal that is standard input and output is asked whether it is UTF-8 (a two-byte
    //   UTF-8 character takes one column there, two elsewhere), and gets UTF-8 if so.
    // - Whether a space follows every ambiguous-width character, so that a terminal that draws
    //   them one column wide shows the lines as wide as a Japanese console does. `columns` (1
    //   or 2) decides when given, on any output, files and pipes included. Otherwise files and
    //   pipes are never padded; a terminal is decided by its answer to a probe, else by the
    //   locale: wide for Japanese, Chinese and Korean, narrow for the rest.
    // Both probes together wait at most kProbeLimit for the terminal.
    void measureTerminal(int columns = 0);

    // Test mode: while on, every pause is skipped and the rule checks and the computer's search
    // print their traces. Off at start; the menu and --test switch it.
    void setTestMode(bool on) { testMode_ = on; }
    bool testMode() const { return testMode_; }

    // Whether the screens that may be coloured (player mode's board) use SGR colours; decided
    // once at start-up from the options, the terminal and NO_COLOR.
    void setColour(bool on) { colour_ = on; }
    bool colour() const { return colour_; }
    // Whether the program's texts are in English (see language.hpp) rather than Japanese.
    void setEnglish(bool on) { english_ = on; }
    bool english() const { return english_; }

    void write(std::string_view utf8);
    void write(int number);
    // Writes several pieces (texts and integers) as one text.
    template <typename First, typename Second, typename... Rest>
    void write(const First& first, const Second& second, const Rest&... rest) {
        std::string text;
        append(text, first);
        append(text, second);
        (append(text, rest), ...);
        write(std::string_view(text));
    }
    void endLine(int count = 1);
    // Writes the text, then `lineEnds` line ends.
    void line(std::string_view utf8, int lineEnds = 1) {
        write(utf8);
        endLine(lineEnds);
    }

    // The next word of standard input, or nothing at its end or when reading fails.
    std::optional<Word> readWord();
    // The next line of standard input without its line end (its first `kept` bytes), or nothing
    // at the end of the input.
    std::optional<Word> readLine(std::size_t kept = 4096);
    // Why reading standard input failed (an errno value), or 0 when it did not.
    int inputError() const { return inputError_; }
    // Writes "orvanta: " and the message as one line on standard error.
    void error(std::string_view message);

    // Sleeps, as long as the pause scale says, unless test mode is on.
    void pause(std::chrono::milliseconds duration);
    std::time_t now() { return host_->now(); }
    std::chrono::nanoseconds steadyTime() { return host_->steadyTime(); }

  private:
    static void append(std::string& text, std::string_view piece) { text += piece; }
    static void append(std::string& text, std::integral auto number) {
        std::array<char, 24> digits{};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
        text.append(digits.data(), end);
    }

    // Files and pipes get CP932, so that scripts see the same bytes everywhere. A terminal gets
    // the locale's character set when it can represent the repertoire, else CP932.
    void chooseCharset();
    void send(std::string_view bytes);
    // The next input byte, or -1 at the end of input.
    int nextByte();

    Host* host_;
    std::string repertoire_;
    std::string forcedCharset_;
    double pauseScale_ = 1;
    int inputError_ = 0;
    std::unique_ptr<Converter> converter_;
    // Whether the output goes to a terminal whose locale names a character set that can show
    // the repertoire (or one was forced): then the terminal need not be asked.
    bool charsetKnown_ = false;
    bool padAmbiguous_ = false;
    bool testMode_ = false;
    bool colour_ = false;
    bool english_ = false;
    std::array<char, 4096> input_{};
    std::size_t inputPos_ = 0;
    std::size_t inputEnd_ = 0;
    bool inputEnded_ = false;
    // The white space that ended the last word read: after a word ended by "\r", a "\n" that
    // follows belongs to the same line end.
    int lastDelimiter_ = 0;
};

// The process-wide console, on the real machine until a test attaches another host.
Console& console();

// Attaches a host to the process-wide console for the lifetime of this object.
class HostScope {
  public:
    explicit HostScope(Host& host);
    ~HostScope();
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

  private:
    Host& previous_;
};

}  // namespace orvanta::platform
