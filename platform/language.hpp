#pragma once

#include <string>
#include <string_view>

namespace orvanta::platform {

// The program's texts are written in Japanese, its own language, and marked with tr(): in
// English (--lang=en) each is looked up in the English catalogue, built from po/en.po with GNU
// msgfmt. A text the catalogue lacks stays in Japanese (a test checks that none does).
std::string_view tr(std::string_view japanese);

// `pattern` with each "{}" replaced by the next of `values`, in order: for texts whose words
// go round a value in a different order in each language.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

// Every character beyond ASCII that the program writes, in UTF-8 (English needs none of them
// beyond these). A terminal gets its own character set only when that set can show all of them;
// the session tests check that the list is complete.
std::string_view repertoire();

}  // namespace orvanta::platform
