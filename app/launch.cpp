#include "app/launch.hpp"

#include <cstring>
#include <memory>
#include <optional>

#include "app/analysis.hpp"
#include "app/gtp.hpp"
#include "app/menu.hpp"
#include "app/review_command.hpp"
#include "app/test_mode.hpp"
#include "platform/console.hpp"
#include "platform/converter.hpp"
#include "platform/random.hpp"
#include "players/levels.hpp"

namespace orvanta {

namespace {

using platform::console;

int badUse(const std::string& message) {
    console().error(message + "\nTry 'orvanta --help' for more information.");
    return 2;
}

}  // namespace

int run(const Options& options) {
    console().followTestMode(testMode);
    console().setRepertoire(std::string(repertoire()));
    if (!options.charset.empty() &&
        !platform::Converter::canRepresent(options.charset, repertoire())) {
        return badUse("character set '" + options.charset + "' cannot show the program's text");
    }
    console().forceCharset(options.charset);
    std::optional<platform::AppendFile> records;
    if (!options.record.empty()) {
        records.emplace(options.record);
        if (!records->openError().empty()) {
            return badUse("cannot open record file '" + options.record +
                          "': " + records->openError());
        }
    }
    platform::fixSeeds(options.seed);
    console().setPauseScale(options.pauseScale);
    testMode = testMode || options.testMode;
    console().measureTerminal(options.ambiguousWidth);

    auto game = std::make_unique<Game>();
    game->setLevel(options.level.value_or(0), static_cast<std::size_t>(options.hashMiB) << 20);
    if (records) {
        game->keepRecordsIn(*records);
    }
    menu(*game);
    if (console().inputError() != 0) {
        console().error(std::string("standard input: ") + std::strerror(console().inputError()));
        return 1;
    }
    return 0;
}

int launch(const std::vector<std::string>& arguments) {
    const auto parsed = parseOptions(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return badUse(error->message);
    }
    const Options& options = std::get<Options>(parsed);
    try {
        if (options.help || options.version) {
            console().write(options.help ? usage() : versionText());
            return 0;
        }
        if (options.perft != 0) {
            return runPerft(options.perft);
        }
        if (!options.solve.empty()) {
            return runSolve(options.solve, options.hashMiB);
        }
        if (!options.review.empty()) {
            return runReview(options);
        }
        if (options.gtp) {
            platform::fixSeeds(options.seed);
            return runGtp(options.level.value_or(kMaxLevel), options.hashMiB);
        }
        return run(options);
    } catch (const platform::OutputFailed& error) {
        console().error(error.what());
        return 1;
    }
}

}  // namespace orvanta
