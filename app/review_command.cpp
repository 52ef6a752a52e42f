#include "app/review_command.hpp"
#include "platform/language.hpp"

#include "app/exit_status.hpp"
#include "app/options.hpp"

#include <cerrno>
#include <cstring>

#include "app/console_setup.hpp"
#include "game/ggf_reader.hpp"
#include "game/review.hpp"
#include "game/review_walk.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"
#include "players/levels.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

namespace {

using platform::console;

// Larger files (a few hundred thousand server games) are refused rather than read into memory.
constexpr std::size_t kMaxReviewFileBytes = std::size_t{64} << 20;

// The text of the file, or nothing after saying on standard error why it cannot be had (as the
// system says it: "No such file or directory", "Is a directory", "Permission denied").
std::optional<std::string> readReviewFile(const std::string& path) {
    platform::FileRead file = platform::readSmallFile(path, kMaxReviewFileBytes);
    if (file.tooLarge) {
        console().error("cannot review '" + path + "': larger than 64 MiB");
        return std::nullopt;
    }
    if (!file.exists || !file.error.empty()) {
        console().error("cannot read '" + path +
                        "': " + (file.exists ? file.error : std::strerror(ENOENT)));
        return std::nullopt;
    }
    return std::move(file.bytes);
}

}  // namespace

int runReview(const Options& options) {
    if (const int status = setUpConsole(options); status != 0) {
        return status;
    }
    const auto text = readReviewFile(options.review);
    if (!text) {
        return kExitFailure;
    }
    const auto read = readGgf(*text);
    if (const auto* error = std::get_if<GgfError>(&read)) {
        console().error(describe(options.review, *error));
        return kExitFailure;
    }
    const auto& games = std::get<std::vector<GgfGame>>(read);
    const auto count = static_cast<int>(games.size());
    if (count == 0 || options.reviewGame > count) {
        console().error("'" + options.review + "' holds " + std::to_string(count) +
                        (count == 1 ? " game" : " games") +
                        (count == 0 ? "" : ", not " + std::to_string(options.reviewGame)));
        return kExitFailure;
    }
    console().measureTerminal(options.ambiguousWidth);
    const int level = options.level.value_or(kDefaultReviewLevel);
    const auto hashBytes = tableBytes(options.hashMiB);
    for (int n = 1; n <= count; ++n) {
        if (options.reviewGame != 0 && n != options.reviewGame) {
            continue;
        }
        const GgfGame& game = games[static_cast<std::size_t>(n - 1)];
        const auto name = [](const std::string& player) { return player.empty() ? "-" : player; };
        console().line(fill(tr(" {}局目  黒 {}  白 {}"),
                            {std::to_string(n), name(game.players[0]), name(game.players[1])}));
        // The players' own moves, as after a game in player mode: the computer's are reviewed
        // only in a game it played against itself.
        std::array<bool, 2> reviewed = {!isComputerName(game.players[0]),
                                        !isComputerName(game.players[1])};
        if (!reviewed[0] && !reviewed[1]) {
            reviewed = {true, true};
        }
        const Review review =
            showReview(game.start, game.moves, reviewed, level, hashBytes, nullptr, {},
                       options.threads.value_or(kDefaultReviewThreads));
        if (options.boards) {
            showReviewBoards(review);
        } else if (options.walk.value_or(console().host().outputIsTerminal())) {
            walkReview(review);
        }
    }
    return kExitSuccess;
}

}  // namespace orvanta
