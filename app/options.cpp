#include "app/options.hpp"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <charconv>

#include "app/numbers.hpp"
#include "game/review.hpp"
#include "players/levels.hpp"

namespace orvanta {

namespace {

// The value getopt_long returns for each option: its short letter, or a number past every
// character for options without one.
enum Id : int {
    kHelp = 'h',
    kVersion = 'V',
    kAmbiguousWidth = 256,
    kSeed,
    kPauseScale,
    kCharset,
    kTestMode,
    kRecord,
    kPerft,
    kSolve,
    kHash,
    kThreads,
    kLevel,
    kGtp,
    kCoach,
    kColour,
    kNoConfig,
    kNboard,
    kReview,
    kGame,
    kBook,
    kReviewLevel,
    kBoards,
    kLang,
};

// What an option's value is, and where it goes.
enum class Kind {
    kFlag,     // no value
    kWhole,    // a whole number from `low` to `high`
    kDecimal,  // a decimal from `low` to `high`: digits with one point at most
    kText,     // any text but the empty one
    kChoice,   // one of `choices` (two to six)
};

// A value as parsed, for the option's setter.
struct Value {
    long long whole = 0;
    double decimal = 0;
    std::string_view text;
};

struct OptionInfo {
    const char* name;
    Id id;
    const char* value;  // the value's name in the usage text; none: the option takes no value
    const char* help;   // "": not listed (another spelling of a listed option)
    bool game;          // an option of the game, allowed in the configuration file
    Kind kind;
    void (*set)(Options&, const Value&);
    long long low = 0;
    long long high = 0;
    // The expected value in messages: `noun` and the range ("a decimal from" "0 to 10"), or
    // the choices.
    const char* noun = "";
    std::array<const char*, 6> choices{};
    // Shown in the usage text as "(default N)" when not negative.
    int shownDefault = -1;
};

// One table drives the parser, the messages and the usage text.
const std::array<OptionInfo, 25> kOptionTable = {{
    {"help", kHelp, nullptr, "show this help and exit", false, Kind::kFlag,
     [](Options& o, const Value&) { o.help = true; }},
    {"version", kVersion, nullptr, "show the version and exit", false, Kind::kFlag,
     [](Options& o, const Value&) { o.version = true; }},
    {"coach", kCoach, nullptr, "player mode: choices, hints, undo, reviews", true, Kind::kFlag,
     [](Options& o, const Value&) { o.coach = true; }},
    {"level", kLevel, "N", "the computer's level: 0 classic, 1 to 10 engine", true, Kind::kWhole,
     [](Options& o, const Value& v) { o.level = static_cast<int>(v.whole); }, 0, kMaxLevel},
    {"colour",
     kColour,
     "C",
     "you play black|white|toss; colour auto|always|never",
     true,
     Kind::kChoice,
     [](Options& o, const Value& v) {
         constexpr std::array<Seat, 3> kSeats = {Seat::kBlack, Seat::kWhite, Seat::kToss};
         constexpr std::array<Colouring, 3> kColourings = {Colouring::kAuto, Colouring::kAlways,
                                                           Colouring::kNever};
         if (v.whole < 3) {
             o.seat = kSeats[static_cast<std::size_t>(v.whole)];
         } else {
             o.colouring = kColourings[static_cast<std::size_t>(v.whole - 3)];
         }
     },
     0,
     0,
     "",
     {"black", "white", "toss", "auto", "always", "never"}},
    {"color", kColour, "C", "", true, Kind::kChoice, nullptr},
    {"seed", kSeed, "N", "reproducible games: seed N, N+1, ... not the clock", true, Kind::kWhole,
     [](Options& o, const Value& v) { o.seed = static_cast<std::uint32_t>(v.whole); }, 0,
     0xFFFF'FFFF, "a whole number from "},
    {"pause-scale", kPauseScale, "F", "pauses F (0 to 10) times as long; 0: none", true,
     Kind::kDecimal, [](Options& o, const Value& v) { o.pauseScale = v.decimal; }, 0,
     Options::kMaxPauseScale, "a decimal from "},
    {"test-mode", kTestMode, nullptr, "start in test mode (no pauses, traces)", true, Kind::kFlag,
     [](Options& o, const Value&) { o.testMode = true; }},
    {"record", kRecord, "FILE", "append every game that ends to FILE (GGF)", true, Kind::kText,
     [](Options& o, const Value& v) { o.record = v.text; }},
    {"charset", kCharset, "NAME", "write in character set NAME (e.g. UTF-8)", true, Kind::kText,
     [](Options& o, const Value& v) { o.charset = v.text; }},
    {"ambiguous-width", kAmbiguousWidth, "N", "draw ambiguous-width characters N (1, 2) wide", true,
     Kind::kWhole, [](Options& o, const Value& v) { o.ambiguousWidth = static_cast<int>(v.whole); },
     1, 2},
    {"no-config", kNoConfig, nullptr, "ignore the configuration file", false, Kind::kFlag,
     [](Options& o, const Value&) { o.noConfig = true; }},
    {"gtp", kGtp, nullptr, "speak the Go Text Protocol (GTP 2)", false, Kind::kFlag,
     [](Options& o, const Value&) { o.gtp = true; }},
    {"nboard", kNboard, nullptr, "speak the NBoard protocol (version 2)", false, Kind::kFlag,
     [](Options& o, const Value&) { o.nboard = true; }},
    {"perft", kPerft, "N", "print the move counts of depth 1 to N and exit", false, Kind::kWhole,
     [](Options& o, const Value& v) { o.perft = static_cast<int>(v.whole); }, 1,
     Options::kMaxPerft},
    {"solve", kSolve, "FILE", "solve each position of an OBF file and exit", false, Kind::kText,
     [](Options& o, const Value& v) { o.solve = v.text; }},
    {"review",
     kReview,
     "FILE",
     "review a GGF file's games at --level",
     false,
     Kind::kText,
     [](Options& o, const Value& v) { o.review = v.text; },
     0,
     0,
     "",
     {},
     kDefaultReviewLevel},
    {"review-boards", kBoards, nullptr, "with --review: the board of each listed move", false,
     Kind::kFlag, [](Options& o, const Value&) { o.boards = true; }},
    {"game", kGame, "N", "with --review: only game N of the file", false, Kind::kWhole,
     [](Options& o, const Value& v) { o.reviewGame = static_cast<int>(v.whole); }, 1,
     Options::kMaxReviewGame},
    {"hash",
     kHash,
     "MB",
     "the engine's table in MiB",
     true,
     Kind::kWhole,
     [](Options& o, const Value& v) { o.hashMiB = static_cast<int>(v.whole); },
     1,
     Options::kMaxHashMiB,
     "",
     {},
     Options::kDefaultHashMiB},
    {"threads",
     kThreads,
     "N",
     "engine threads; more than 1: games vary",
     true,
     Kind::kWhole,
     [](Options& o, const Value& v) { o.threads = static_cast<int>(v.whole); },
     1,
     Options::kMaxThreads,
     "",
     {},
     1},
    {"review-level",
     kReviewLevel,
     "N",
     "player mode reviews each game at level N",
     true,
     Kind::kWhole,
     [](Options& o, const Value& v) { o.reviewLevel = static_cast<int>(v.whole); },
     1,
     kMaxLevel,
     "",
     {},
     kDefaultReviewLevel},
    {"lang",
     kLang,
     "ja|en",
     "the program's language: Japanese or English",
     true,
     Kind::kChoice,
     [](Options& o, const Value& v) { o.english = v.whole == 1; },
     0,
     0,
     "",
     {"ja", "en"}},
    {"book",
     kBook,
     "on|off",
     "the strong levels play from the opening book",
     true,
     Kind::kChoice,
     [](Options& o, const Value& v) { o.book = v.whole == 0; },
     0,
     0,
     "",
     {"on", "off"}},
}};

const OptionInfo& describe(Id id) {
    return *std::find_if(kOptionTable.begin(), kOptionTable.end(),
                         [id](const OptionInfo& s) { return s.id == id; });
}

std::string inQuotes(std::string_view text) {
    std::string result = "'";
    return result.append(text).append("'");
}

// What the option expects, as its messages say: "0 to 10", "1 or 2", "a decimal from 0 to 10",
// "black, white or toss", "it may not be empty".
std::string expected(const OptionInfo& option) {
    switch (option.kind) {
        case Kind::kWhole:
        case Kind::kDecimal:
            return option.noun + std::to_string(option.low) +
                   (option.high == option.low + 1 && *option.noun == '\0' ? " or " : " to ") +
                   std::to_string(option.high);
        case Kind::kChoice: {
            std::string text;
            const auto count = static_cast<std::size_t>(
                std::count_if(option.choices.begin(), option.choices.end(),
                              [](const char* choice) { return choice != nullptr; }));
            for (std::size_t i = 0; i < count; ++i) {
                text += (i == 0           ? ""
                         : i + 1 == count ? " or "
                                          : ", ") +
                        std::string(option.choices[i]);
            }
            return text;
        }
        case Kind::kText:
        case Kind::kFlag:
            break;
    }
    return "it may not be empty";
}

// A decimal from `low` to `high`: digits with at most one point among them, no sign, no
// exponent.
std::optional<double> decimal(std::string_view text, double low, double high) {
    const auto digits =
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto points = std::count(text.begin(), text.end(), '.');
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (digits == 0 || points > 1 || digits + points != static_cast<long>(text.size()) ||
        error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Sets the option's field from its value; false when the value is not one it takes. `option` is
// the first entry of its id (another spelling has no setter of its own).
bool apply(const OptionInfo& option, std::string_view text, Options& options) {
    Value value;
    value.text = text;
    switch (option.kind) {
        case Kind::kFlag:
            break;
        case Kind::kWhole: {
            const auto n = parseWhole(text, option.low, option.high);
            if (!n) {
                return false;
            }
            value.whole = *n;
            break;
        }
        case Kind::kDecimal: {
            const auto f =
                decimal(text, static_cast<double>(option.low), static_cast<double>(option.high));
            if (!f) {
                return false;
            }
            value.decimal = *f;
            break;
        }
        case Kind::kText:
            if (text.empty()) {
                return false;
            }
            break;
        case Kind::kChoice: {
            const auto chosen = std::find_if(
                option.choices.begin(), option.choices.end(),
                [text](const char* choice) { return choice != nullptr && text == choice; });
            if (chosen == option.choices.end()) {
                return false;
            }
            value.whole = chosen - option.choices.begin();
            break;
        }
    }
    option.set(options, value);
    return true;
}

// The options that `given` ("--s") abbreviates, one name each; none when it names one exactly.
std::vector<const char*> abbreviated(std::string_view given) {
    std::vector<const char*> names;
    if (!given.starts_with("--")) {
        return names;
    }
    given.remove_prefix(2);
    std::vector<Id> ids;
    for (const OptionInfo& s : kOptionTable) {
        if (given == s.name) {
            return {};
        }
        if (std::string_view(s.name).starts_with(given) &&
            std::find(ids.begin(), ids.end(), s.id) == ids.end()) {
            ids.push_back(s.id);
            names.push_back(s.name);
        }
    }
    return names;
}

}  // namespace

std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& arguments) {
    std::vector<option> longOptions;
    std::string shortOptions = ":";  // a missing value is told apart from an unknown option
    for (const OptionInfo& s : kOptionTable) {
        const int argument = s.value != nullptr ? required_argument : no_argument;
        longOptions.push_back({s.name, argument, nullptr, s.id});
        if (s.id < 256) {
            shortOptions += static_cast<char>(s.id);
            shortOptions += s.value != nullptr ? ":" : "";
        }
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    std::vector<std::string> texts{"orvanta"};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(texts.size() + 1);
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    Options options;
    optind = 0;  // getopt_long keeps its place in globals: start afresh on every call
    opterr = 0;  // and says nothing: the messages are ours
    const int argc = static_cast<int>(texts.size());
    for (int id; (id = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(),
                                   nullptr)) != -1;) {
        const std::string_view value = optarg != nullptr ? optarg : "";
        const std::string given = argv[static_cast<std::size_t>(optind - 1)];
        const std::string name = given.substr(0, given.find('='));
        const auto known = std::find_if(kOptionTable.begin(), kOptionTable.end(),
                                        [id](const OptionInfo& s) { return s.id == id; });
        if (known != kOptionTable.end()) {
            // Another spelling of an option works as the option itself.
            const OptionInfo& option = describe(known->id);
            if (!apply(option, value, options)) {
                return UsageError{"invalid value " + inQuotes(value) + " for --" + option.name +
                                  " (" + expected(option) + ")"};
            }
            continue;
        }
        if (id == ':') {
            // Some getopt_long answer ':' for a value given to an option that takes none.
            if (given.starts_with("--") && given.find('=') != std::string::npos) {
                return UsageError{"option " + inQuotes(name) + " takes no value"};
            }
            return UsageError{given.starts_with("--")
                                  ? "option " + inQuotes(name) + " requires a value"
                                  : "option requires a value -- " +
                                        inQuotes(std::string(1, static_cast<char>(optopt)))};
        }
        if (const auto candidates = abbreviated(name); candidates.size() > 1) {
            std::string list;
            for (const char* candidate : candidates) {
                list += " '--" + std::string(candidate) + "'";
            }
            return UsageError{"option " + inQuotes(name) + " is ambiguous; possibilities:" + list};
        }
        if (!given.starts_with("--")) {
            return UsageError{"invalid option -- " +
                              inQuotes(std::string(1, static_cast<char>(optopt)))};
        }
        return UsageError{optopt != 0 ? "option " + inQuotes(name) + " takes no value"
                                      : "unrecognized option " + inQuotes(given)};
    }
    if (optind < argc) {
        return UsageError{"unexpected argument " +
                          inQuotes(argv[static_cast<std::size_t>(optind)])};
    }
    if ((options.perft != 0) + !options.solve.empty() + options.gtp + options.nboard > 1) {
        return UsageError{"only one of --gtp, --nboard, --perft and --solve may be given"};
    }
    if (options.nboard && options.level) {
        return UsageError{"--nboard takes its depth from the GUI, not --level"};
    }
    if (!options.review.empty() &&
        ((options.perft != 0) + !options.solve.empty() + options.gtp + options.nboard)) {
        return UsageError{"--review may not be given with --gtp, --nboard, --perft or --solve"};
    }
    if (options.reviewGame != 0 && options.review.empty()) {
        return UsageError{"--game needs --review"};
    }
    if (options.boards && options.review.empty()) {
        return UsageError{"--review-boards needs --review"};
    }
    const std::string engineLevels = "levels 1 to " + std::to_string(kMaxLevel);
    if (!options.review.empty() && options.level == 0) {
        return UsageError{"--review reviews at " + engineLevels};
    }
    if (options.gtp && options.level == 0) {
        return UsageError{"--gtp plays at " + engineLevels};
    }
    return options;
}

bool isOption(std::string_view name) {
    return std::any_of(kOptionTable.begin(), kOptionTable.end(),
                       [name](const OptionInfo& s) { return name == s.name; });
}

bool allowedInConfig(std::string_view name) {
    return std::any_of(kOptionTable.begin(), kOptionTable.end(),
                       [name](const OptionInfo& s) { return s.game && name == s.name; });
}

std::string usage() {
    std::string text =
        "Usage: orvanta [OPTION]...\n"
        "Play Reversi in the console, in Japanese (--lang=en: in English).\n"
        "Without options: the menu, as ever.\n"
        "\n";
    for (const OptionInfo& s : kOptionTable) {
        if (*s.help == '\0') {
            continue;
        }
        std::string left = s.id < 256 ? std::string("  -") + static_cast<char>(s.id) + ", "
                                      : std::string("      ");
        left.append("--").append(s.name);
        if (s.value != nullptr) {
            left.append("=").append(s.value);
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 28), ' ');
        text += left + s.help;
        if (s.shownDefault >= 0) {
            text += " (default " + std::to_string(s.shownDefault) + ")";
        }
        text += "\n";
    }
    return text;
}

std::string versionText() {
    return "orvanta " ORVANTA_VERSION
           "\n"
           "Copyright (C) 2026 the Orvanta developers. MIT licence: free to use, change and "
           "share.\n";
}

}  // namespace orvanta
