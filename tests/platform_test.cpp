#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/console.hpp"
#include "platform/converter.hpp"
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

}  // namespace
}  // namespace orvanta::platform
