#include "app/choices.hpp"

#include <charconv>

#include "platform/console.hpp"
#include "platform/files.hpp"
#include "players/levels.hpp"

namespace orvanta {

namespace {

constexpr std::size_t kMaxBytes = 4096;

std::string fileIn(const std::string& directory) {
    return directory + "/choices";
}

}  // namespace

std::string choicesText(const Choices& choices) {
    const char* seat = choices.seat == Seat::kBlack   ? "black"
                       : choices.seat == Seat::kWhite ? "white"
                                                      : "toss";
    return std::string("colour=") + seat + "\nlevel=" + std::to_string(choices.level) + "\n";
}

Choices parseChoices(std::string_view text) {
    Choices choices;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        if (line == "colour=black" || line == "colour=white" || line == "colour=toss") {
            choices.seat = line == "colour=black"   ? Seat::kBlack
                           : line == "colour=white" ? Seat::kWhite
                                                    : Seat::kToss;
        } else if (line.starts_with("level=")) {
            int level = 0;
            const auto digits = line.substr(6);
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), level);
            if (error == std::errc() && end == digits.data() + digits.size() && level >= 0 &&
                level <= kMaxLevel) {
                choices.level = level;
            }
        }
    }
    return choices;
}

Choices loadChoices(const std::string& directory) {
    if (directory.empty()) {
        return {};
    }
    const std::string path = fileIn(directory);
    const platform::FileRead file = platform::readSmallFile(path, kMaxBytes);
    if (file.exists && !file.error.empty()) {
        platform::console().error("warning: cannot read the choices in '" + path +
                                  "': " + file.error);
    }
    return file.exists && file.error.empty() ? parseChoices(file.bytes) : Choices{};
}

void saveChoices(const std::string& directory, const Choices& choices) {
    if (directory.empty()) {
        return;
    }
    const std::string path = fileIn(directory);
    if (const std::string error = platform::replaceFile(path, choicesText(choices));
        !error.empty()) {
        platform::console().error("warning: cannot keep the choices in '" + path + "': " + error);
    }
}

}  // namespace orvanta
