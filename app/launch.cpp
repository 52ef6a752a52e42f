#include "app/launch.hpp"

#include <cstdlib>

#include "app/exit_status.hpp"
#include "app/options.hpp"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "app/analysis.hpp"
#include "app/choices.hpp"
#include "app/config.hpp"
#include "app/console_setup.hpp"
#include "app/gtp.hpp"
#include "app/menu.hpp"
#include "app/nboard.hpp"
#include "app/review_command.hpp"
#include "platform/console.hpp"
#include "platform/converter.hpp"
#include "platform/files.hpp"
#include "platform/random.hpp"
#include "players/levels.hpp"

namespace orvanta {

namespace {

using platform::console;

// Player mode is paced for a player: every pause a quarter of its classic length.
constexpr double kCoachPauseScale = 0.25;

}  // namespace

bool wantsColour(Colouring colouring, bool terminal, const char* noColour, const char* term) {
    switch (colouring) {
        case Colouring::kAlways:
            return true;
        case Colouring::kNever:
            return false;
        case Colouring::kAuto:
            break;
    }
    const bool refused = noColour != nullptr && *noColour != '\0';
    const bool dumb = term != nullptr && std::string_view(term) == "dumb";
    return terminal && !refused && !dumb;
}

int run(const Options& options) {
    if (const int status = setUpConsole(options); status != 0) {
        return status;
    }
    std::optional<platform::AppendFile> records;
    if (!options.record.empty()) {
        records.emplace(options.record);
        if (!records->openError().empty()) {
            return badUse("cannot open record file '" + options.record +
                          "': " + records->openError());
        }
    }
    platform::fixSeeds(options.seed);
    console().setPauseScale(options.pauseScale.value_or(options.coach ? kCoachPauseScale : 1.0));
    console().setTestMode(console().testMode() || options.testMode);
    console().measureTerminal(options.ambiguousWidth);
    console().setColour(wantsColour(options.colouring, console().host().outputIsTerminal(),
                                    std::getenv("NO_COLOR"), std::getenv("TERM")));

    auto game = std::make_unique<Game>();
    game->setCoach(options.coach);
    game->setReviewLevel(options.reviewLevel);
    game->setWalkReviews(options.walk.value_or(console().host().outputIsTerminal()));
    game->setThreads(options.threads.value_or(1), options.threads.value_or(kDefaultReviewThreads));
    game->setBook(options.book);
    const std::size_t hashBytes = tableBytes(options.hashMiB);
    if (options.coach) {
        game->setLevel(options.level.value_or(loadChoices(options.stateDirectory).level),
                       hashBytes);
    } else {
        game->setLevel(options.level.value_or(0), hashBytes);
    }
    if (records) {
        game->keepRecordsIn(*records);
    }
    menu(*game, {options.coach, options.seat, options.level, options.stateDirectory});
    if (console().inputError() != 0) {
        console().error(std::string("standard input: ") + std::strerror(console().inputError()));
        return kExitFailure;
    }
    return kExitSuccess;
}

int launch(const std::vector<std::string>& arguments) {
    auto parsed = optionsWithConfig(arguments, configPath());
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return badUse(error->message);
    }
    Options& options = std::get<Options>(parsed);
    // Checked whatever the mode, though only the game and the review write text in it: a
    // misspelt name is a mistake everywhere.
    if (!options.charset.empty() && !platform::Converter::isKnown(options.charset)) {
        return badUse("character set '" + options.charset + "' is unknown");
    }
    if (options.coach && !platform::stateHome().empty()) {
        options.stateDirectory = platform::stateHome() + "/orvanta";
    }
    try {
        if (options.help || options.version) {
            console().write(options.help ? usage() : versionText());
            return kExitSuccess;
        }
        if (options.perft != 0) {
            return runPerft(options.perft);
        }
        if (!options.solve.empty()) {
            return runSolve(options.solve, options.hashMiB, options.threads.value_or(1));
        }
        if (!options.review.empty()) {
            return runReview(options);
        }
        if (options.gtp) {
            platform::fixSeeds(options.seed);
            return runGtp(options.level.value_or(kMaxLevel), options.hashMiB,
                          options.threads.value_or(1), options.book);
        }
        if (options.nboard) {
            return runNboard(options.hashMiB, options.threads.value_or(1), options.book);
        }
        return run(options);
    } catch (const platform::OutputFailed& error) {
        // A reader that stopped reading (`orvanta --perft=12 | head -3`) needs no complaint.
        if (error.error() != EPIPE) {
            console().error(error.what());
        }
        return kExitFailure;
    } catch (const std::bad_alloc&) {
        // Most likely the search's table, the one large allocation, on a small machine.
        console().error("out of memory (the search's table takes " +
                        std::to_string(options.hashMiB) + " MiB; --hash sets it)");
        return kExitFailure;
    }
}

}  // namespace orvanta
