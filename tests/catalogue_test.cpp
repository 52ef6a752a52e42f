// The message catalogue: the reader of msgfmt's files, and English as the program shows it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/catalogue.hpp"
#include "platform/console.hpp"
#include "platform/language.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

// A catalogue file as msgfmt lays it out (without the optional hash table): the header, the
// table of originals, the table of translations, then the strings, each followed by a zero.
std::string moFile(const std::vector<std::pair<std::string, std::string>>& texts,
                   bool bigEndian = false) {
    std::string bytes;
    const auto put = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            const int shift = bigEndian ? 24 - 8 * i : 8 * i;
            bytes.push_back(static_cast<char>((value >> shift) & 0xff));
        }
    };
    const auto count = static_cast<std::uint32_t>(texts.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + 8 * count;
    put(0x950412de);
    put(0);
    put(count);
    put(originals);
    put(translations);
    put(0);
    put(0);
    std::string strings;
    std::uint32_t at = translations + 8 * count;
    std::vector<std::uint32_t> table;
    for (const bool second : {false, true}) {
        for (const auto& [original, translation] : texts) {
            const std::string& text = second ? translation : original;
            table.push_back(static_cast<std::uint32_t>(text.size()));
            table.push_back(at);
            strings += text + '\0';
            at += static_cast<std::uint32_t>(text.size() + 1);
        }
    }
    for (const std::uint32_t value : table) {
        put(value);
    }
    return bytes + strings;
}

TEST(Catalogue, ReadsWhatMsgfmtWritesAndRefusesWhatIsBroken) {
    const std::string good = moFile({{"", "header"}, {"黒", "black"}, {"白", "white"}});
    const auto catalogue = platform::Catalogue::parse(good);
    ASSERT_TRUE(catalogue.has_value());
    EXPECT_EQ(catalogue->size(), 2u) << "the header is not a text";
    EXPECT_EQ(catalogue->find("黒"), "black");
    EXPECT_EQ(catalogue->find("赤"), "赤") << "a text it lacks stays as it is";
    EXPECT_EQ(platform::Catalogue::parse(moFile({{"a", "b"}}, true))->find("a"), "b");

    const auto with = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
        }
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } broken[] = {
        {"empty", ""},
        {"a short header", good.substr(0, 20)},
        {"no magic number", with(0, 0x12345678)},
        {"another revision", with(4, 1)},
        {"more texts than bytes", with(8, 0x7fffffff)},
        {"originals past the end", with(12, 0xfffffff0)},
        {"a string past the end", with(32, 0xffffff00)},
        {"a string longer than the file", with(28, 0x00ffffff)},
        {"cut in the strings", good.substr(0, good.size() - 8)},
    };
    for (const auto& b : broken) {
        EXPECT_FALSE(platform::Catalogue::parse(b.bytes).has_value()) << b.what;
    }
}

// The built-in English: texts found, values filled in their English places, Japanese as it was
// when the console is not in English.
TEST(Language, EnglishFromTheBuiltInCatalogueAndJapaneseUnchanged) {
    testing::ConsoleTest console;
    EXPECT_GT(platform::englishCatalogue().size(), 50u);
    EXPECT_EQ(platform::tr(" 引き分け"), " 引き分け");
    platform::console().setEnglish(true);
    EXPECT_EQ(platform::tr(" 引き分け"), " A draw");
    EXPECT_EQ(platform::fill(platform::tr(" {}局目  黒 {}  白 {}"), {"2", "alice", "bob"}),
              " Game 2  black alice  white bob");
    platform::console().setEnglish(false);
    EXPECT_EQ(platform::fill(" {} と {}", {"a"}), " a と {}") << "a hole without a value stays";
    EXPECT_EQ(platform::fill("{}{}", {"a", "b", "c"}), "ab") << "values beyond the holes are left";
}

}  // namespace
}  // namespace orvanta
