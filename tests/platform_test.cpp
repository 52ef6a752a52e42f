#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "platform/console.hpp"
#include "platform/converter.hpp"
#include "platform/language.hpp"
#include "platform/terminal.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta::platform {
namespace {

using testing::ConsoleTest;

TEST(Converter, WritesShiftJisAndFailsLoudlyOnTextItCannotShow) {
    Converter converter("CP932");
    EXPECT_EQ(converter.convert("　─黒の手番─"),
              "\x81\x40\x84\x9f\x8d\x95\x82\xcc\x8e\xe8\x94\xd4\x84\x9f");
    EXPECT_EQ(converter.convert(" ･？"), " \xa5\x81\x48");
    EXPECT_EQ(converter.convert(" ･？"), " \xa5\x81\x48") << "remembered texts come back the same";
    EXPECT_THROW(converter.convert("a€b"), std::logic_error);           // no CP932 form
    EXPECT_THROW(converter.convert("\xff"), std::logic_error);          // not UTF-8
    EXPECT_THROW(converter.convert("cut \xe3\x80"), std::logic_error);  // truncated sequence
    EXPECT_EQ(converter.convert("○"), "\x81\x9b") << "still usable after a failure";
    EXPECT_THROW(Converter("NO-SUCH-CHARSET"), std::runtime_error);
}

TEST(Console, EveryWriteReachesTheHostAtOnceAndAClosedOutputThrows) {
    ConsoleTest fake;
    console().write(" 個数 : 黒石 = ", -12, ",");
    EXPECT_EQ(fake.host.writes(), 1u) << "nothing may be held back";
    console().endLine(2);
    EXPECT_EQ(fake.host.writes(), 3u);
    EXPECT_EQ(fake.host.text(), " 個数 : 黒石 = -12,\n\n");
    fake.host.closed = true;
    EXPECT_THROW(console().write("x"), OutputFailed);
}

TEST(Console, WordsAreRawBytesBetweenCWhiteSpace) {
    using namespace std::string_literals;
    ConsoleTest fake("  a1 f5\r\n\t\vout\fx\0y \x82\xa0\xff\n"s + std::string(100000, 'w') + " z");
    fake.host.chunk = 3;  // words cross read boundaries
    std::vector<std::string> words;
    while (auto word = console().readWord()) {
        words.push_back(word->bytes);
        EXPECT_EQ(word->truncated, word->bytes.size() == Word::kKept);
    }
    EXPECT_EQ(words, (std::vector<std::string>{"a1", "f5", "out", "x\0y"s, "\x82\xa0\xff",
                                               std::string(Word::kKept, 'w'), "z"}));
    const auto reads = fake.host.reads();
    EXPECT_FALSE(console().readWord()) << "the end of input stays the end";
    EXPECT_EQ(fake.host.reads(), reads) << "without reading again";
}

TEST(Charset, RepertoireHoldsEveryCharacterOfTheTranscripts) {
    const std::string repertoire(orvanta::platform::repertoire());
    for (const auto& entry : std::filesystem::directory_iterator(ORVANTA_SESSIONS_DIR)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        for (std::size_t i = 0, length = 1; entry.path().extension() == ".out" && i < text.size();
             i += length) {
            const auto lead = static_cast<unsigned char>(text[i]);
            length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            EXPECT_TRUE(length == 1 || repertoire.find(text.substr(i, length)) != std::string::npos)
                << text.substr(i, length) << " in " << entry.path();
        }
    }
}

TEST(Charset, LocaleNamesTellTheCharsetAndTheWidthEvenWhenNotInstalled) {
    const struct {
        const char* name;
        const char* charset;
        bool eastAsian;
    } cases[] = {{"ja_JP.UTF-8", "UTF-8", true},
                 {"en_US.utf8", "UTF-8", false},
                 {"ja_JP.eucJP", "EUC-JP", true},
                 {"ja_JP.SJIS", "SHIFT_JIS", true},
                 {"zh_TW.Big5", "BIG5", true},
                 {"ko_KR.euc-kr@x", "EUC-KR", true},
                 {"de_DE.KOI8-R@euro", "KOI8-R", false},
                 {"jam_JM", "", false},
                 {"", "", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(charsetFromLocaleName(c.name), c.charset) << c.name;
        EXPECT_EQ(isEastAsianLocale(c.name), c.eastAsian) << c.name;
    }
}

TEST(Charset, TheAmbiguousCharactersAreThoseOfTheRepertoireUnicodeCallsAmbiguous) {
    std::ifstream data("/usr/share/unicode/EastAsianWidth.txt");
    if (!data) {
        GTEST_SKIP() << "needs /usr/share/unicode/EastAsianWidth.txt (Debian's unicode-data)";
    }
    std::map<unsigned, std::string> width;
    for (std::string line; std::getline(data, line);) {
        unsigned first = 0;
        unsigned last = 0;
        char property[3] = {};
        if (std::sscanf(line.c_str(), "%x..%x;%2[A-Za-z]", &first, &last, property) == 3 ||
            (std::sscanf(line.c_str(), "%x;%2[A-Za-z]", &first, property) == 2 && (last = first))) {
            for (unsigned code = first; code <= last && code < 0x10000; ++code) {
                width[code] = property;
            }
        }
    }
    const std::string repertoire(
        orvanta::platform::repertoire());  // three-byte UTF-8 sequences only
    for (std::size_t i = 0; i + 3 <= repertoire.size(); i += 3) {
        const auto byte = [&](std::size_t k) {
            return 0x3Fu & static_cast<unsigned char>(repertoire[i + k]);
        };
        const unsigned code = (byte(0) & 0x0F) << 12 | byte(1) << 6 | byte(2);
        EXPECT_EQ(padAmbiguous(repertoire.substr(i, 3)).size(), width[code] == "A" ? 4u : 3u)
            << std::hex << code;
    }
}

TEST(Terminal, CursorReportsAreTakenOutOfTheInputAndEverythingElseStays) {
    const struct {
        std::string bytes;
        std::optional<int> column;
        std::string rest;
    } cases[] = {{"3\n\x1b[1;2R-1\n", 2, "3\n-1\n"},
                 {"\x1b[A\x1b[5;7R", 7, "\x1b[A"},
                 {"\x1b[1;2", {}, "\x1b[1;2"},
                 {"\x1b[1;9999999R", {}, "\x1b[1;9999999R"}};
    for (auto c : cases) {
        EXPECT_EQ(takeCursorReport(c.bytes), c.column) << c.rest;
        EXPECT_EQ(c.bytes, c.rest);
    }
}

}  // namespace
}  // namespace orvanta::platform
