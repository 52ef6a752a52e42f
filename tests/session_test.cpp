// Whole sessions of the program, from the title to the exit status. Each transcript is a pair of
// files in tests/sessions/: NAME.in holds the bytes typed, NAME.out the expected screen as UTF-8,
// with every pause written where it falls as "{pause N}". Set ORVANTA_UPDATE_SESSIONS=1 to
// rewrite the .out files from the program (then read the diff before committing it).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/launch.hpp"
#include "platform/converter.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

using testing::sessionFile;

struct Transcript {
    const char* name;
    std::time_t clock = 1'700'000'000;
    Options options = {};
};

class Session : public ::testing::TestWithParam<Transcript> {};

TEST_P(Session, MatchesItsTranscript) {
    ConsoleTest console(sessionFile(std::string(GetParam().name) + ".in"));
    console.host.clock = GetParam().clock;
    EXPECT_EQ(run(GetParam().options), 0);
    const std::string expected = std::string(GetParam().name) + ".out";
    if (std::getenv("ORVANTA_UPDATE_SESSIONS") != nullptr) {
        std::ofstream(ORVANTA_SESSIONS_DIR "/" + expected, std::ios::binary)
            << console.host.screen();
    }
    EXPECT_EQ(console.host.screen(), sessionFile(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Transcripts, Session,
    ::testing::Values(
        Transcript{"f5_normal_mode"}, Transcript{"f5_test_mode"}, Transcript{"listing_after_quit"},
        Transcript{"abandoned_at_first_prompt"}, Transcript{"full_board_draw"},
        Transcript{"pass_then_white_wins"}, Transcript{"pass_in_normal_mode"},
        Transcript{"wipeout_black_wins"}, Transcript{"menu_edge_cases"},
        Transcript{"words_at_the_move_prompt"}, Transcript{"junk_bytes"}, Transcript{"long_words"},
        Transcript{"computer_plays_black", 1'700'000'002},
        Transcript{"human_plays_black_with_auto"},
        Transcript{"computer_game_test_mode", 1'700'000'005},
        Transcript{"level_6_test_mode", 1'700'000'005, {.level = 6}},
        Transcript{"level_1_auto", 1'700'000'000, {.level = 1}},
        Transcript{"coach_two_players", 1'700'000'000, {.coach = true}},
        Transcript{
            "coach_white_level_3", 1'700'000'000, {.seed = 11, .coach = true, .reviewLevel = 6}},
        Transcript{
            "coach_words_and_answers", 1'700'000'000, {.seed = 3, .level = 1, .coach = true}},
        Transcript{"english_classic", 1'700'000'000, {.english = true}},
        Transcript{"english_coach",
                   1'700'000'000,
                   {.seed = 11, .coach = true, .reviewLevel = 6, .english = true}},
        Transcript{"coach_colour",
                   1'700'000'000,
                   {.seed = 3, .level = 1, .coach = true, .colouring = Colouring::kAlways}}),
    [](const auto& test) { return std::string(test.param.name); });

// Player mode fits a terminal of 80 columns, a typed word after its prompts included: no line is
// wider than 79 columns as a Japanese console draws it, which is its length in Shift-JIS bytes
// (a narrow terminal pads every ambiguous-width character to the same width).
TEST(PlayerModeScreens, NoLineIsWiderThan79Columns) {
    platform::Converter shiftJis("CP932");
    for (const char* name :
         {"coach_two_players", "coach_white_level_3", "coach_words_and_answers", "english_coach"}) {
        std::string screen = sessionFile(std::string(name) + ".out");
        std::size_t start = 0;
        for (std::size_t end; (end = screen.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string line = screen.substr(start, end - start);
            for (auto at = line.find("{pause"); at != std::string::npos; at = line.find("{pause")) {
                line.erase(at, line.find('}', at) + 1 - at);
            }
            EXPECT_LE(shiftJis.convert(line).size(), 79u) << name << ": " << line;
        }
    }
}

// In English no Japanese is left: every session's input, played in English, writes no kana
// (but the mark ・) and no kanji.
TEST(EnglishScreens, HoldNoJapaneseText) {
    for (const char* name :
         {"f5_normal_mode", "f5_test_mode", "listing_after_quit", "pass_then_white_wins",
          "menu_edge_cases", "words_at_the_move_prompt", "human_plays_black_with_auto",
          "coach_two_players", "coach_white_level_3", "coach_words_and_answers"}) {
        ConsoleTest console(sessionFile(std::string(name) + ".in"));
        const bool coach = std::string_view(name).starts_with("coach");
        EXPECT_EQ(run({.seed = 11,
                       .level = std::string_view(name) == "coach_words_and_answers"
                                    ? std::optional<int>(1)
                                    : std::nullopt,
                       .coach = coach,
                       .reviewLevel = 6,
                       .english = true}),
                  0);
        const std::string text = console.host.text();
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto lead = static_cast<unsigned char>(text[i]);
            if (lead < 0xE0 || lead >= 0xF0 || i + 2 >= text.size()) {
                continue;
            }
            const char32_t c = ((lead & 0x0Fu) << 12) |
                               ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                               (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            const bool kana = c >= U'\u3040' && c <= U'\u30FF' && c != U'・';
            const bool kanji = c >= U'\u4E00' && c <= U'\u9FFF';
            EXPECT_FALSE(kana || kanji) << name << ": " << text.substr(i > 40 ? i - 40 : 0, 120);
            if (kana || kanji) {
                break;
            }
        }
    }
}

TEST(HostileInput, EndOfInputAtEveryPromptEndsTheSessionWithoutReadingOn) {
    for (const std::string script : {"1 f5 f6 e6 4 0 2 auto auto", "3 2 f5 auto 4 1 f5 f6 0 1"}) {
        for (std::size_t end = 0; end <= script.size(); ++end) {
            ConsoleTest console(script.substr(0, end));
            EXPECT_EQ(run(), 0);
            EXPECT_TRUE(console.host.text().ends_with("\n　終了します\n")) << end;
            EXPECT_LE(console.host.reads(), 2u) << "nothing reads on after the end: " << end;
        }
    }
}

}  // namespace
}  // namespace orvanta
