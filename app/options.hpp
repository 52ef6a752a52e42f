#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvanta {

// The human's colour in a game against the computer, as player mode asks for it.
enum class Seat { kBlack, kWhite, kToss };
// Whether player mode's screen is in colour: on a terminal unless NO_COLOR says otherwise, always
// (files and pipes too), or never.
enum class Colouring { kAuto, kAlways, kNever };

// What the command line asks for. No arguments at all means today's game, exactly.
struct Options {
    bool help = false;
    bool version = false;
    // How many columns the terminal draws an East Asian ambiguous-width character in: 1 or 2,
    // or 0 to find out.
    int ambiguousWidth = 0;
    // The first seed of a reproducible run; without it every seeding takes the clock.
    std::optional<std::uint32_t> seed;
    // Every pause lasts this many times its length; 0 removes them. Unset: as long as ever, or a
    // quarter of that in player mode.
    std::optional<double> pauseScale;
    // The character set to write in, on any output; "" leaves the choice to the program.
    std::string charset;
    bool testMode = false;
    // The file every game that ends is appended to; "" keeps no record.
    std::string record;
    // Analysis instead of the game: count move sequences to this depth (0: no), or solve the
    // positions of this file exactly ("": no).
    int perft = 0;
    std::string solve;
    // The computer's level, 0 (the corner-first player of old) to 10 (the strongest engine);
    // unset: 0 for the game, 10 for GTP.
    std::optional<int> level;
    // Speak GTP on standard input and output instead of playing the game.
    bool gtp = false;
    // Speak the NBoard protocol on standard input and output instead.
    bool nboard = false;
    // Review the games of this GGF file ("": no), or only its game `reviewGame` (from 1; 0: all).
    std::string review;
    int reviewGame = 0;
    // The size of the engine's transposition table in MiB.
    int hashMiB = kDefaultHashMiB;
    // The threads the engine searches on (one unless told); with more than one its moves and
    // node counts may differ from run to run. A review shares its positions among them (two
    // unless told), with the same result however many.
    std::optional<int> threads;
    // Player mode: the choice of colour and level before a game against the computer, marks of
    // the legal moves, hint, undo and help at the move prompt, a review after every game.
    bool coach = false;
    // The level of player mode's review after each game (kDefaultReviewLevel; a test checks).
    int reviewLevel = 9;
    // The human's colour against the computer; unset: asked in player mode, a coin toss else.
    std::optional<Seat> seat;
    // Colour in player mode (--colour=auto|always|never, --color too).
    Colouring colouring = Colouring::kAuto;
    // Ignore the user's configuration file.
    bool noConfig = false;
    // The strong levels play from the opening book (GTP and NBoard too); --book=off: never.
    bool book = true;
    // Every text of the program in English (--lang=en) rather than Japanese.
    bool english = false;
    // With --review (--review-boards): after each game's review, the board of each move it lists.
    bool boards = false;
    // Not an option: where player mode keeps the last choices ("": nowhere). The launch sets it.
    std::string stateDirectory;
    // Not an option: whether a review, after a game in player mode or of --review, lets the
    // player walk its moves (unset: when standard output is a terminal). Tests set it.
    std::optional<bool> walk;

    static constexpr int kDefaultHashMiB = 16;
    static constexpr int kMaxHashMiB = 4096;
    static constexpr int kMaxThreads = 64;
    static constexpr int kMaxPerft = 20;
    static constexpr int kMaxPauseScale = 10;
    static constexpr int kMaxReviewGame = 1'000'000;
};

// The bytes of a table of `mebibytes` MiB, as --hash gives its size.
constexpr std::size_t tableBytes(int mebibytes) {
    return static_cast<std::size_t>(mebibytes) << 20;
}

// Bad use of the command line: what is wrong, in one line.
struct UsageError {
    std::string message;
};

// Parses the arguments (without the program's name) the GNU way: long options as --name=value
// or --name value, short ones where they exist, no operands. Values are checked for their form
// and range; whether a character set or a file is usable is for the caller to find out.
std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& arguments);

// Whether an option may stand in the user's configuration file: those of the game, not those
// that ask for something else (help, version, GTP, the analysis commands). `name` is the option's
// whole long name.
bool allowedInConfig(std::string_view name);
// Whether `name` is the whole long name of any option.
bool isOption(std::string_view name);

// The --help text: how to call the program and every option, one line each.
std::string usage();
// The --version text.
std::string versionText();

}  // namespace orvanta
