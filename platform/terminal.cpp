#include "platform/terminal.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

namespace orvanta::platform {

namespace {

// Every ambiguous-width character the program writes: the box-drawing lines of the board and the
// headings, the heavy line that marks the last move, the two stones and the hint's mark. Sorted.
constexpr std::array<char32_t, 15> kAmbiguous = {
    U'─', U'│', U'┃', U'┌', U'┐', U'└', U'┘', U'├', U'┤', U'┬', U'┴', U'┼', U'○', U'◎', U'●',
};
static_assert(std::is_sorted(kAmbiguous.begin(), kAmbiguous.end()));

// The usual spellings of character sets in locale names, written in capitals without '-' and
// '_', with the name iconv knows them by.
constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kSpellings = {{
    {"UTF8", "UTF-8"},
    {"EUCJP", "EUC-JP"},
    {"UJIS", "EUC-JP"},
    {"SJIS", "SHIFT_JIS"},
    {"SHIFTJIS", "SHIFT_JIS"},
    {"CP932", "CP932"},
    {"WINDOWS31J", "CP932"},
    {"EUCKR", "EUC-KR"},
    {"EUCCN", "EUC-CN"},
    {"EUCTW", "EUC-TW"},
    {"GB2312", "GB2312"},
    {"GBK", "GBK"},
    {"GB18030", "GB18030"},
    {"BIG5", "BIG5"},
    {"BIG5HKSCS", "BIG5-HKSCS"},
    {"ISO88591", "ISO-8859-1"},
}};

}  // namespace

bool isAmbiguousWidth(char32_t character) {
    return std::binary_search(kAmbiguous.begin(), kAmbiguous.end(), character);
}

std::string padAmbiguous(std::string_view utf8) {
    std::string padded;
    padded.reserve(utf8.size() + utf8.size() / 2);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::string_view character = utf8.substr(i, length);
        padded += character;
        i += character.size();
        // Every listed character is a three-byte sequence.
        if (character.size() == 3) {
            const auto byte = [&](std::size_t k) {
                return static_cast<char32_t>(static_cast<unsigned char>(character[k]) & 0x3F);
            };
            if (isAmbiguousWidth(((lead & 0x0Fu) << 12) | (byte(1) << 6) | byte(2))) {
                padded += ' ';
            }
        }
    }
    return padded;
}

std::string localeNameFromEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "";
}

std::string charsetFromLocaleName(std::string_view name) {
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return "";
    }
    const std::string_view codeset = name.substr(dot + 1, name.find('@', dot) - dot - 1);
    std::string key;
    for (const char c : codeset) {
        if (c != '-' && c != '_') {
            key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
    }
    for (const auto& [spelling, charset] : kSpellings) {
        if (key == spelling) {
            return std::string(charset);
        }
    }
    return std::string(codeset);
}

bool isEastAsianLocale(std::string_view name) {
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    return language == "ja" || language == "zh" || language == "ko";
}

std::optional<int> takeCursorReport(std::string& bytes) {
    constexpr std::size_t kMaxDigits = 5;
    for (std::size_t start = bytes.find("\x1b["); start != std::string::npos;
         start = bytes.find("\x1b[", start + 1)) {
        const char* const end = bytes.data() + bytes.size();
        int row = 0;
        int column = 0;
        const char* p = bytes.data() + start + 2;
        const auto rowEnd = std::from_chars(p, std::min(end, p + kMaxDigits), row);
        if (rowEnd.ec != std::errc() || rowEnd.ptr == end || *rowEnd.ptr != ';') {
            continue;
        }
        p = rowEnd.ptr + 1;
        const auto columnEnd = std::from_chars(p, std::min(end, p + kMaxDigits), column);
        if (columnEnd.ec != std::errc() || columnEnd.ptr == end || *columnEnd.ptr != 'R' ||
            row < 1 || column < 1) {
            continue;
        }
        bytes.erase(start, static_cast<std::size_t>(columnEnd.ptr + 1 - (bytes.data() + start)));
        return column;
    }
    return std::nullopt;
}

}  // namespace orvanta::platform
