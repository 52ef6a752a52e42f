#include "app/options.hpp"

#include <getopt.h>

#include <array>
#include <charconv>
#include <optional>

namespace orvanta {

namespace {

// The value getopt_long returns for each option: its short letter, or a number past every
// character for options without one.
enum Id : int { kHelp = 'h', kAmbiguousWidth = 256 };

struct Spec {
    const char* name;
    int argument;  // no_argument or required_argument
    Id id;
    const char* value;  // the value's name in the usage text
    const char* help;
};

// One table drives the parser and the usage text.
constexpr std::array<Spec, 2> kSpecs = {{
    {"help", no_argument, kHelp, nullptr, "show this help and exit"},
    {"ambiguous-width", required_argument, kAmbiguousWidth, "N",
     "draw for a terminal that shows ambiguous-width characters N (1 or 2) columns wide"},
}};

// A whole decimal number from `low` to `high`, nothing else.
std::optional<long long> number(const char* text, long long low, long long high) {
    long long value = 0;
    const std::string_view view(text);
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string invalidValue(Id id, const char* expected) {
    for (const Spec& spec : kSpecs) {
        if (spec.id == id) {
            return "invalid value " + quoted(optarg) + " for --" + spec.name + " (" + expected +
                   ")";
        }
    }
    return "invalid value " + quoted(optarg);
}

}  // namespace

std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& arguments) {
    std::vector<option> longOptions;
    std::string shortOptions = ":";  // a missing value is told apart from an unknown option
    for (const Spec& spec : kSpecs) {
        longOptions.push_back({spec.name, spec.argument, nullptr, spec.id});
        if (spec.id < 256) {
            shortOptions += static_cast<char>(spec.id);
            shortOptions += spec.argument == required_argument ? ":" : "";
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
    opterr = 0;  // and say nothing: the messages are ours
    const int argc = static_cast<int>(texts.size());
    for (int id; (id = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(),
                                   nullptr)) != -1;) {
        const std::string given = argv[static_cast<std::size_t>(optind - 1)];
        const std::string name = given.substr(0, given.find('='));
        switch (id) {
            case kHelp:
                options.help = true;
                break;
            case kAmbiguousWidth:
                if (const auto n = number(optarg, 1, 2)) {
                    options.ambiguousWidth = static_cast<int>(*n);
                } else {
                    return UsageError{invalidValue(kAmbiguousWidth, "1 or 2")};
                }
                break;
            case ':':
                return UsageError{given.starts_with("--")
                                      ? "option " + quoted(name) + " requires a value"
                                      : "option requires a value -- " +
                                            quoted(std::string(1, static_cast<char>(optopt)))};
            default:
                if (!given.starts_with("--")) {
                    return UsageError{"invalid option -- " +
                                      quoted(std::string(1, static_cast<char>(optopt)))};
                }
                return UsageError{optopt != 0 ? "option " + quoted(name) + " takes no value"
                                              : "unrecognized option " + quoted(given)};
        }
    }
    if (optind < argc) {
        return UsageError{"unexpected argument " + quoted(argv[static_cast<std::size_t>(optind)])};
    }
    return options;
}

std::string usage() {
    std::string text =
        "Usage: orvanta [OPTION]...\n"
        "Play Reversi in the console, in Japanese. Without options: the menu, exactly as ever.\n"
        "\n";
    for (const Spec& spec : kSpecs) {
        std::string left = spec.id < 256 ? std::string("  -") + static_cast<char>(spec.id) + ", "
                                         : std::string("      ");
        left += std::string("--") + spec.name;
        if (spec.value != nullptr) {
            left += std::string("=") + spec.value;
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
        text += left + spec.help + "\n";
    }
    return text;
}

}  // namespace orvanta
