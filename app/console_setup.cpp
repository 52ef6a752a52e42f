#include "app/console_setup.hpp"

#include "app/exit_status.hpp"
#include "platform/console.hpp"
#include "platform/converter.hpp"
#include "platform/language.hpp"

namespace orvanta {

using platform::console;

int badUse(const std::string& message) {
    console().error(message + "\nTry 'orvanta --help' for more information.");
    return kExitBadUse;
}

int setUpConsole(const Options& options) {
    console().setEnglish(options.english);
    console().setRepertoire(std::string(platform::repertoire()));
    if (!options.charset.empty() &&
        !platform::Converter::canRepresent(options.charset, platform::repertoire())) {
        return badUse("character set '" + options.charset + "' cannot show the program's text");
    }
    console().forceCharset(options.charset);
    return 0;
}

}  // namespace orvanta
