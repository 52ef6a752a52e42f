#include "app/options.hpp"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <charconv>

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
    kLevel,
    kGtp,
    kCoach,
    kColour,
    kNoConfig,
    kNboard,
    kReview,
    kGame,
};

struct OptionInfo {
    const char* name;
    Id id;
    const char* value;  // the value's name in the usage text; none: the option takes no value
    const char* help;   // "": not listed (another spelling of a listed option)
    bool game = true;   // an option of the game, allowed in the configuration file
};

// One table drives the parser and the usage text.
constexpr std::array<OptionInfo, 20> kOptionTable = {{
    {"help", kHelp, nullptr, "show this help and exit", false},
    {"version", kVersion, nullptr, "show the version and exit", false},
    {"coach", kCoach, nullptr, "player mode: choices, legal moves, hint, undo, reviews"},
    {"level", kLevel, "N", "the computer's level: 0 as ever, 1 gentle to 10 strongest"},
    {"colour", kColour, "C", "your colour against the computer: black, white or toss"},
    {"color", kColour, "C", ""},
    {"seed", kSeed, "N", "reproducible games: seed with N, N+1, ... instead of the clock"},
    {"pause-scale", kPauseScale, "F", "make every pause F (0 to 10) times as long; 0: no pauses"},
    {"test-mode", kTestMode, nullptr, "start in test mode (no pauses, traces of the search)"},
    {"record", kRecord, "FILE", "append every game that ends to FILE as a GGF record"},
    {"charset", kCharset, "NAME", "write in character set NAME on any output (e.g. UTF-8)"},
    {"ambiguous-width", kAmbiguousWidth, "N",
     "draw for ambiguous-width characters N (1 or 2) columns wide, on any output"},
    {"no-config", kNoConfig, nullptr, "ignore the configuration file", false},
    {"gtp", kGtp, nullptr, "speak the Go Text Protocol (GTP 2) for GUIs and other engines", false},
    {"nboard", kNboard, nullptr, "speak the NBoard protocol (version 2) for Othello GUIs", false},
    {"perft", kPerft, "N", "print the numbers of move sequences of depth 1 to N and exit", false},
    {"solve", kSolve, "FILE", "solve each position of an OBF file exactly and exit", false},
    {"review", kReview, "FILE", "review each game of a GGF file at --level (default 9) and exit",
     false},
    {"game", kGame, "N", "with --review: review only the Nth game of the file", false},
    {"hash", kHash, "MB", "size of the engine's transposition table (default 16)"},
}};

const OptionInfo& describe(Id id) {
    return *std::find_if(kOptionTable.begin(), kOptionTable.end(),
                         [id](const OptionInfo& s) { return s.id == id; });
}

std::string inQuotes(std::string_view text) {
    std::string result = "'";
    return result.append(text).append("'");
}

std::string invalid(Id id, std::string_view value, std::string_view expected) {
    return "invalid value " + inQuotes(value) + " for --" + describe(id).name + " (" +
           std::string(expected) + ")";
}

// A whole decimal number from 0 to `high`: digits only, no sign.
std::optional<long long> number(std::string_view text, long long high) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text[0] < '0' || text[0] > '9' || error != std::errc() ||
        end != text.data() + text.size() || value > high) {
        return std::nullopt;
    }
    return value;
}

// A decimal from 0 to `high`: digits with at most one point among them, no sign, no exponent.
std::optional<double> decimal(std::string_view text, double high) {
    const auto digits =
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto points = std::count(text.begin(), text.end(), '.');
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (digits == 0 || points > 1 || digits + points != static_cast<long>(text.size()) ||
        error != std::errc() || end != text.data() + text.size() || value > high) {
        return std::nullopt;
    }
    return value;
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
        switch (id) {
            case kHelp:
                options.help = true;
                break;
            case kVersion:
                options.version = true;
                break;
            case kTestMode:
                options.testMode = true;
                break;
            case kGtp:
                options.gtp = true;
                break;
            case kCoach:
                options.coach = true;
                break;
            case kNoConfig:
                options.noConfig = true;
                break;
            case kColour:
                if (value == "black" || value == "white" || value == "toss") {
                    options.seat = value == "black"   ? Seat::kBlack
                                   : value == "white" ? Seat::kWhite
                                                      : Seat::kToss;
                    break;
                }
                return UsageError{invalid(kColour, value, "black, white or toss")};
            case kNboard:
                options.nboard = true;
                break;
            case kLevel: {
                const auto n = number(value, 10);
                if (!n) {
                    return UsageError{invalid(kLevel, value, "0 to 10")};
                }
                options.level = static_cast<int>(*n);
                break;
            }
            case kAmbiguousWidth: {
                const auto n = number(value, 2);
                if (!n || *n == 0) {
                    return UsageError{invalid(kAmbiguousWidth, value, "1 or 2")};
                }
                options.ambiguousWidth = static_cast<int>(*n);
                break;
            }
            case kSeed: {
                const auto n = number(value, 0xFFFF'FFFF);
                if (!n) {
                    return UsageError{invalid(kSeed, value, "a whole number from 0 to 4294967295")};
                }
                options.seed = static_cast<std::uint32_t>(*n);
                break;
            }
            case kPauseScale: {
                const auto f = decimal(value, 10);
                if (!f) {
                    return UsageError{invalid(kPauseScale, value, "a decimal from 0 to 10")};
                }
                options.pauseScale = *f;
                break;
            }
            case kPerft:
            case kHash: {
                const bool perft = id == kPerft;
                const auto n = number(value, perft ? Options::kMaxPerft : Options::kMaxHashMiB);
                if (!n || *n == 0) {
                    return UsageError{
                        invalid(static_cast<Id>(id), value, perft ? "1 to 20" : "1 to 4096")};
                }
                (perft ? options.perft : options.hashMiB) = static_cast<int>(*n);
                break;
            }
            case kGame: {
                const auto n = number(value, Options::kMaxReviewGame);
                if (!n || *n == 0) {
                    return UsageError{invalid(kGame, value, "1 to 1000000")};
                }
                options.reviewGame = static_cast<int>(*n);
                break;
            }
            case kCharset:
            case kSolve:
            case kRecord:
            case kReview:
                if (value.empty()) {
                    return UsageError{invalid(static_cast<Id>(id), value, "it may not be empty")};
                }
                (id == kCharset  ? options.charset
                 : id == kSolve  ? options.solve
                 : id == kReview ? options.review
                                 : options.record) = value;
                break;
            case ':':
                // Some getopt_long answer ':' for a value given to an option that takes none.
                if (given.starts_with("--") && given.find('=') != std::string::npos) {
                    return UsageError{"option " + inQuotes(name) + " takes no value"};
                }
                return UsageError{given.starts_with("--")
                                      ? "option " + inQuotes(name) + " requires a value"
                                      : "option requires a value -- " +
                                            inQuotes(std::string(1, static_cast<char>(optopt)))};
            default:
                if (const auto candidates = abbreviated(name); candidates.size() > 1) {
                    std::string list;
                    for (const char* candidate : candidates) {
                        list += " '--" + std::string(candidate) + "'";
                    }
                    return UsageError{"option " + inQuotes(name) +
                                      " is ambiguous; possibilities:" + list};
                }
                if (!given.starts_with("--")) {
                    return UsageError{"invalid option -- " +
                                      inQuotes(std::string(1, static_cast<char>(optopt)))};
                }
                return UsageError{optopt != 0 ? "option " + inQuotes(name) + " takes no value"
                                              : "unrecognized option " + inQuotes(given)};
        }
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
    if (!options.review.empty() && ((options.perft != 0) + !options.solve.empty() + options.gtp)) {
        return UsageError{"--review may not be given with --gtp, --perft or --solve"};
    }
    if (options.reviewGame != 0 && options.review.empty()) {
        return UsageError{"--game needs --review"};
    }
    if (!options.review.empty() && options.level == 0) {
        return UsageError{"--review reviews at levels 1 to 10"};
    }
    if (options.gtp && options.level == 0) {
        return UsageError{"--gtp plays at levels 1 to 10"};
    }
    return options;
}

bool allowedInConfig(std::string_view name) {
    return std::any_of(kOptionTable.begin(), kOptionTable.end(),
                       [name](const OptionInfo& s) { return s.game && name == s.name; });
}

std::string usage() {
    std::string text =
        "Usage: orvanta [OPTION]...\n"
        "Play Reversi in the console, in Japanese. Without options: the menu, as ever.\n"
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
        text += left + s.help + "\n";
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
