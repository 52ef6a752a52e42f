#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvanta::platform {

// Converts the program's UTF-8 text to the output character set: with iconv(3) on POSIX systems,
// with Windows' code pages there (CP932 is code page 932, EUC-JP 20932, ...). The conversion is
// set up once and kept, and converted texts are remembered: the program writes the same few
// hundred texts over and over (board rows, messages, trace pieces), so the system converts about
// once per distinct text. Text that the target cannot represent is a programming error: it
// throws std::logic_error rather than writing part of the text or a replacement character.
class Converter {
  public:
    // Throws std::runtime_error for a character set the system does not know.
    explicit Converter(std::string charset);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    const std::string& charset() const { return charset_; }
    // Whether `utf8` converts to the same bytes, which is true of ASCII in every supported set.
    bool isIdentity(std::string_view utf8) const;
    // The converted bytes; valid until the next call.
    std::string_view convert(std::string_view utf8);

    // Whether the system knows `charset`.
    static bool isKnown(const std::string& charset);
    // Whether `charset` is known to the system and can represent all of `sample`.
    static bool canRepresent(const std::string& charset, std::string_view sample);

    // More distinct texts than this empty the memory and start again.
    static constexpr std::size_t kRemembered = 4096;

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };

    static bool isUtf8(std::string charset);

    // The system's conversion from UTF-8 to one character set, defined with `open`, `run` and
    // `Close` by the converter_*.cpp of each system. `run` returns nothing for text it cannot
    // convert.
    class Backend;
    struct Close {
        void operator()(Backend* backend) const;
    };
    using BackendPointer = std::unique_ptr<Backend, Close>;
    static BackendPointer open(const std::string& charset);
    static std::optional<std::string> run(Backend& backend, std::string_view utf8);

    std::string charset_;
    bool passThrough_;
    BackendPointer backend_;
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> remembered_;
};

}  // namespace orvanta::platform
