#include "platform/console.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/terminal.hpp"

namespace orvanta::platform {

namespace {

// White space as the C locale's isspace defines it, whatever locale is active.
bool isSpace(int byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

const char* const kFileCharset = "CP932";

// How long the terminal has to answer the width probe.
constexpr std::chrono::milliseconds kProbeLimit(200);

}  // namespace

OutputFailed::OutputFailed(int error)
    : std::runtime_error(std::string("write error: ") + std::strerror(error)), error_(error) {}

Console::Console(Host& host) : host_(&host) {
    attach(host);
}

void Console::attach(Host& host) {
    host_ = &host;
    padAmbiguous_ = false;
    chooseCharset();
    inputPos_ = inputEnd_ = 0;
    inputEnded_ = false;
    inputError_ = 0;
    lastDelimiter_ = 0;
}

void Console::forceCharset(std::string charset) {
    forcedCharset_ = std::move(charset);
    chooseCharset();
}

void Console::setRepertoire(std::string utf8) {
    repertoire_ = std::move(utf8);
    chooseCharset();
}

void Console::chooseCharset() {
    std::string charset = kFileCharset;
    charsetKnown_ = !forcedCharset_.empty();
    if (!forcedCharset_.empty()) {
        charset = forcedCharset_;
    } else if (!repertoire_.empty() && host_->outputIsTerminal()) {
        const std::string local = host_->localeCharset();
        if (!local.empty() && Converter::canRepresent(local, repertoire_)) {
            charset = local;
            charsetKnown_ = true;
        }
    }
    converter_ = std::make_unique<Converter>(charset);
}

void Console::measureTerminal(int columns) {
    padAmbiguous_ = false;
    const bool terminal = host_->outputIsTerminal();
    const auto start = host_->steadyTime();
    bool answered = true;
    if (terminal && !charsetKnown_ && !repertoire_.empty()) {
        // "é" is two bytes of UTF-8: one column on a UTF-8 terminal, two on a terminal of
        // one-byte characters, and no single character of a double-byte set.
        const auto utf8Columns = host_->measureColumns("\xC3\xA9", kProbeLimit);
        if (utf8Columns == 1) {
            converter_ = std::make_unique<Converter>("UTF-8");
            charsetKnown_ = true;
        }
        answered = utf8Columns.has_value();
    }
    if (columns != 1 && columns != 2) {
        if (!terminal) {
            return;
        }
        const auto left = kProbeLimit - std::chrono::duration_cast<std::chrono::milliseconds>(
                                            host_->steadyTime() - start);
        if (answered && left.count() > 0) {
            columns = host_->measureColumns(converter_->convert("─"), left).value_or(0);
        }
        if (columns != 1 && columns != 2) {
            columns = isEastAsianLocale(host_->localeName()) ? 2 : 1;
        }
    }
    padAmbiguous_ = columns == 1;
}

void Console::write(std::string_view utf8) {
    if (padAmbiguous_) {
        send(converter_->convert(padAmbiguous(utf8)));
    } else {
        send(converter_->convert(utf8));
    }
}

void Console::write(int number) {
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    send({digits.data(), static_cast<std::size_t>(result.ptr - digits.data())});
}

void Console::endLine(int count) {
    for (int i = 0; i < count; ++i) {
        send("\n");
    }
}

void Console::send(std::string_view bytes) {
    if (!host_->write(bytes)) {
        throw OutputFailed(errno);
    }
}

void Console::error(std::string_view message) {
    host_->writeError("orvanta: " + std::string(message) + "\n");
}

int Console::nextByte() {
    if (inputPos_ == inputEnd_) {
        if (inputEnded_) {
            return -1;
        }
        const std::ptrdiff_t got = host_->read(input_.data(), input_.size());
        if (got <= 0) {
            inputEnded_ = true;
            inputError_ = got < 0 ? errno : 0;
            return -1;
        }
        inputPos_ = 0;
        inputEnd_ = static_cast<std::size_t>(got);
    }
    return static_cast<unsigned char>(input_[inputPos_++]);
}

std::optional<Word> Console::readWord() {
    int byte = nextByte();
    while (byte != -1 && isSpace(byte)) {
        byte = nextByte();
    }
    if (byte == -1) {
        return std::nullopt;
    }
    Word word;
    while (byte != -1 && !isSpace(byte)) {
        if (word.bytes.size() < Word::kKept) {
            word.bytes.push_back(static_cast<char>(byte));
        } else {
            word.truncated = true;
        }
        byte = nextByte();
    }
    lastDelimiter_ = byte;
    return word;
}

std::optional<Word> Console::readLine(std::size_t kept) {
    int byte = nextByte();
    if (byte == '\n' && std::exchange(lastDelimiter_, 0) == '\r') {
        byte = nextByte();  // the rest of the line end that closed the last word
    }
    if (byte == -1) {
        return std::nullopt;
    }
    Word line;
    lastDelimiter_ = 0;
    for (; byte != -1 && byte != '\n'; byte = nextByte()) {
        if (line.bytes.size() < kept) {
            line.bytes.push_back(static_cast<char>(byte));
        } else {
            line.truncated = true;
        }
    }
    return line;
}

void Console::pause(std::chrono::milliseconds duration) {
    if (!testMode() && pauseScale_ > 0) {
        host_->sleep(std::chrono::milliseconds(
            std::llround(static_cast<double>(duration.count()) * pauseScale_)));
    }
}

Console& console() {
    static SystemHost systemHost;
    static Console instance(systemHost);
    return instance;
}

HostScope::HostScope(Host& host) : previous_(console().host()) {
    console().attach(host);
}

HostScope::~HostScope() {
    console().attach(previous_);
}

}  // namespace orvanta::platform
