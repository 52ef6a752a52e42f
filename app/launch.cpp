#include "app/launch.hpp"

#include <iostream>

#include "app/menu.hpp"
#include "app/options.hpp"
#include "platform/console.hpp"

namespace orvanta {

int launch(const std::vector<std::string>& arguments) {
    const auto parsed = parseOptions(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << "orvanta: " << error->message
                  << "\nTry 'orvanta --help' for more information.\n";
        return 2;
    }
    const Options& options = std::get<Options>(parsed);
    try {
        if (options.help) {
            platform::console().write(usage());
            return 0;
        }
        return run(options);
    } catch (const platform::OutputClosed& error) {
        std::cerr << "orvanta: " << error.what() << '\n';
        return 1;
    }
}

}  // namespace orvanta
