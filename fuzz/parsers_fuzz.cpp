// libFuzzer harness for the parsers of untrusted text. The first byte chooses the parser, the
// rest is its input. Each must return (no crash, no hang) and keep its promises. The first byte
// modulo 8 picks the parser; 7 is shared, and its bits 3 and 4 choose among locale names and
// the search's cut statistics (0), book files (1), the trainer's block files (2) and the
// trainer's arguments (3).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/analysis.hpp"
#include "app/gtp.hpp"
#include "app/nboard.hpp"
#include "app/nboard_ggf.hpp"
#include "app/options.hpp"
#include "engine/book.hpp"
#include "engine/probcut.hpp"
#include "game/ggf_reader.hpp"
#include "platform/catalogue.hpp"
#include "platform/terminal.hpp"
#include "train/arguments.hpp"
#include "train/checkpoint.hpp"
#include "train/cuts.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 8) {
        case 0: {  // command-line arguments, separated by NUL bytes
            std::vector<std::string> arguments;
            for (std::size_t from = 0; from <= text.size();) {
                const std::size_t end = std::min(text.find('\0', from), text.size());
                arguments.push_back(text.substr(from, end - from));
                from = end + 1;
            }
            orvanta::parseOptions(arguments);
            break;
        }
        case 1: {  // a terminal's input: a report taken out leaves all other bytes in order
            std::string bytes = text;
            if (orvanta::platform::takeCursorReport(bytes) && bytes.size() >= text.size()) {
                std::abort();
            }
            break;
        }
        case 2:  // a line of an OBF file: a position read back prints the same squares
            if (const auto position = orvanta::parseObfLine(text)) {
                if (position->text() != text.substr(0, 66)) {
                    std::abort();
                }
            }
            break;
        case 3: {  // a GGF file: each game read, written and read again is the same game; a
                   // fault names a line of the text in a message of bounded length
            const auto read = orvanta::readGgf(text);
            if (const auto* error = std::get_if<orvanta::GgfError>(&read)) {
                const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
                if (error->line < 1 || error->line > lines || error->what.empty() ||
                    error->what.size() > 200) {
                    std::abort();
                }
                break;
            }
            for (const orvanta::GgfGame& game : std::get<std::vector<orvanta::GgfGame>>(read)) {
                const auto again = orvanta::readGgf(orvanta::ggfText(game));
                const auto* games = std::get_if<std::vector<orvanta::GgfGame>>(&again);
                if (games == nullptr || games->size() != 1 || (*games)[0].moves != game.moves ||
                    (*games)[0].start != game.start || (*games)[0].players != game.players ||
                    (*games)[0].timeLimit != game.timeLimit ||
                    (*games)[0].moveSeconds != game.moveSeconds) {
                    std::abort();
                }
            }
            break;
        }
        case 4: {  // GTP lines: every answer is "=" or "?" and ends with a blank line
            orvanta::Gtp gtp(1, 1 << 16, [] { return std::chrono::nanoseconds(0); });
            for (std::size_t from = 0; from < text.size() && !gtp.done();) {
                const std::size_t end = std::min(text.find('\n', from), text.size());
                const std::string answer = gtp.answer(text.substr(from, end - from));
                if (!answer.empty() && ((answer[0] != '=' && answer[0] != '?') ||
                                        !answer.ends_with("\n\n") || answer.size() > 4096)) {
                    std::abort();
                }
                from = end + 1;
            }
            break;
        }
        case 5: {  // NBoard lines: every answer is one line of a kind the GUI reads; searches are
                   // cut short as if a line were always waiting
            bool bad = false;
            orvanta::Nboard nboard(
                1 << 16, [] { return std::chrono::nanoseconds(0); },
                [&bad](std::string_view line) {
                    const bool known =
                        line.starts_with("status") || line.starts_with("set myname ") ||
                        line.starts_with("pong ") || line.starts_with("=== ") ||
                        line.starts_with("search ") || line.starts_with("analysis ") ||
                        line.starts_with("nodestats ") || line == "learned\n";
                    bad = bad || !known || !line.ends_with("\n") ||
                          line.find('\n') != line.size() - 1 || line.size() > 4096;
                });
            const std::function<bool()> interrupted = [] { return true; };
            for (std::size_t from = 0; from < text.size() && !nboard.done();) {
                const std::size_t end = std::min(text.find('\n', from), text.size());
                nboard.run(text.substr(from, end - from), interrupted);
                from = end + 1;
            }
            if (bad) {
                std::abort();
            }
            break;
        }
        case 6: {  // a game in GGF: read, it replays move by move from its start to the same end
            const auto read = orvanta::readNboardGame(text);
            if (const auto* nboardGame = std::get_if<orvanta::NboardGame>(&read)) {
                const orvanta::engine::GameState& game = nboardGame->state;
                orvanta::engine::GameState replay(game.start());
                for (const int move : game.moves()) {
                    if (replay.play(move) != orvanta::engine::MoveError::kNone) {
                        std::abort();
                    }
                }
                if (replay.position().text() != game.position().text()) {
                    std::abort();
                }
            }
            break;
        }
        default:
            switch ((data[0] >> 3) % 4) {
                case 1: {  // a book file: one it accepts is written back the same
                    const std::vector<unsigned char> bytes(data + 1, data + size);
                    for (const bool partial : {false, true}) {
                        const auto book = orvanta::engine::Book::read(bytes, partial);
                        if (!book) {
                            continue;
                        }
                        std::vector<orvanta::engine::BookRecord> records;
                        for (std::size_t i = 0; i < book->size(); ++i) {
                            records.push_back(book->record(i));
                            const orvanta::engine::Position p(records.back().key.player,
                                                              records.back().key.opponent,
                                                              orvanta::engine::Colour::kBlack);
                            if (book->find(p) != records.back()) {
                                std::abort();
                            }
                            book->moves(p);
                        }
                        if (orvanta::engine::writeBook(records) != bytes) {
                            std::abort();
                        }
                    }
                    break;
                }
                case 2: {  // a trainer's block file, with the key it carries: one it accepts
                           // is written back the same
                    const std::vector<unsigned char> bytes(data + 1, data + size);
                    std::uint64_t key = 0;
                    for (std::size_t i = 0; i < 8 && 8 + i < bytes.size(); ++i) {
                        key |= std::uint64_t{bytes[8 + i]} << (8 * i);
                    }
                    if (const auto games = orvanta::train::readBlockBytes(bytes, key)) {
                        if (orvanta::train::blockBytes(key, *games) != bytes) {
                            std::abort();
                        }
                    }
                    if (const auto cuts = orvanta::train::readCutBlockBytes(bytes, key)) {
                        if (orvanta::train::cutBlockBytes(key, *cuts) != bytes) {
                            std::abort();
                        }
                    }
                    orvanta::train::readWeightsCheckpointBytes(bytes, key);
                    break;
                }
                case 3: {  // the trainer's arguments, separated by NUL bytes: a shard accepted
                           // is one of its count
                    std::vector<std::string> arguments = {"orvanta_train"};
                    for (std::size_t from = 0; from <= text.size();) {
                        const std::size_t end = std::min(text.find('\0', from), text.size());
                        arguments.push_back(text.substr(from, end - from));
                        from = end + 1;
                    }
                    std::vector<const char*> argv;
                    for (const std::string& a : arguments) {
                        argv.push_back(a.c_str());
                    }
                    const auto options = orvanta::train::parseTrainArguments(
                        static_cast<int>(argv.size()), argv.data());
                    if (options && (options->shard.index < 0 || options->shard.count < 1 ||
                                    options->shard.index >= options->shard.count ||
                                    options->threads < 1 || options->blockGames < 1)) {
                        std::abort();
                    }
                    break;
                }
                default: {  // a locale name from the environment; a cut statistics file, whose
                            // table prints as a text that reads back as itself; a message
                            // catalogue, whose every text is found
                    orvanta::platform::isEastAsianLocale(
                        orvanta::platform::charsetFromLocaleName(text));
                    if (const auto catalogue = orvanta::platform::Catalogue::parse(text)) {
                        catalogue->find(text);
                    }
                    if (const auto table = orvanta::engine::CutTable::parse(text)) {
                        const auto again = orvanta::engine::CutTable::parse(table->text());
                        if (!again || again->text() != table->text()) {
                            std::abort();
                        }
                    }
                }
            }
    }
    return 0;
}
