#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvanta::platform {

// East Asian ambiguous-width characters (Unicode's East Asian Width "A") are drawn two columns
// wide by the Japanese consoles the drawing was made for and one column wide by most terminal
// emulators. On a narrow terminal a space after each of them keeps every line as wide as it is
// on a wide console. Only the characters the program writes are listed.
bool isAmbiguousWidth(char32_t character);
// The UTF-8 text with one space after each ambiguous-width character.
std::string padAmbiguous(std::string_view utf8);

// The locale's name as the environment gives it: the first non-empty of LC_ALL, LC_CTYPE and
// LANG, or "" when none is set.
std::string localeNameFromEnvironment();
// The character set a locale name asks for, as iconv names it: the part after the dot up to any
// '@', with the usual spellings mapped ("ja_JP.eucJP" gives "EUC-JP", "en_US.utf8" "UTF-8");
// "" when the name has none.
std::string charsetFromLocaleName(std::string_view name);
// Whether a locale name is Japanese, Chinese or Korean, whose consoles draw ambiguous-width
// characters wide.
bool isEastAsianLocale(std::string_view name);

// Finds the terminal's answer to a cursor-position request, "ESC [ row ; column R", in `bytes`;
// removes it and returns the column, leaving every other byte where it was (they are what the
// user typed). Nothing, and `bytes` unchanged, when no complete answer is there.
std::optional<int> takeCursorReport(std::string& bytes);

}  // namespace orvanta::platform
