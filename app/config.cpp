#include "app/config.hpp"

#include "platform/files.hpp"

namespace orvanta {

namespace {

// More than any hand-written configuration.
constexpr std::size_t kMaxConfigBytes = std::size_t{64} * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string configPath() {
    const std::string home = platform::configHome();
    return home.empty() ? "" : home + "/orvanta/config";
}

std::variant<std::vector<std::string>, UsageError> configArguments(std::string_view text,
                                                                   const std::string& path) {
    std::vector<std::string> arguments;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        const std::string where = path + ":" + std::to_string(number) + ": ";
        const std::string_view name = trimmed(line.substr(0, line.find('=')));
        if (!allowedInConfig(name)) {
            std::string message = where;
            message.append("'").append(name).append("'");
            if (isOption(name)) {
                message.append(" is an option of the command line only (orvanta --")
                    .append(name)
                    .append("), not of this file");
            } else {
                message.append(" is no option of the game (see orvanta --help)");
            }
            return UsageError{message};
        }
        std::string argument = "--" + std::string(name);
        if (const auto equals = line.find('='); equals != std::string_view::npos) {
            argument += "=" + std::string(trimmed(line.substr(equals + 1)));
        }
        if (const auto parsed = parseOptions({argument});
            const auto* error = std::get_if<UsageError>(&parsed)) {
            return UsageError{where + error->message};
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::variant<Options, UsageError> optionsWithConfig(const std::vector<std::string>& arguments,
                                                    const std::string& path) {
    auto parsed = parseOptions(arguments);
    const auto* options = std::get_if<Options>(&parsed);
    if (options == nullptr || options->noConfig || options->help || options->version ||
        options->gtp || options->nboard || options->perft != 0 || !options->solve.empty() ||
        !options->review.empty() || path.empty()) {
        return parsed;
    }
    const platform::FileRead file = platform::readSmallFile(path, kMaxConfigBytes);
    if (!file.exists) {
        return parsed;
    }
    if (!file.error.empty()) {
        return UsageError{"cannot read configuration file '" + path + "': " + file.error};
    }
    auto fromFile = configArguments(file.bytes, path);
    if (auto* error = std::get_if<UsageError>(&fromFile)) {
        return std::move(*error);
    }
    auto all = std::get<std::vector<std::string>>(std::move(fromFile));
    all.insert(all.end(), arguments.begin(), arguments.end());
    return parseOptions(all);
}

}  // namespace orvanta
