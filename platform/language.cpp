#include "platform/language.hpp"

#include "platform/catalogue.hpp"
#include "platform/console.hpp"

namespace orvanta::platform {

std::string_view tr(std::string_view japanese) {
    return console().english() ? englishCatalogue().find(japanese) : japanese;
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    auto value = values.begin();
    for (std::size_t at = 0; at < pattern.size();) {
        const std::size_t hole = pattern.find("{}", at);
        if (hole == std::string_view::npos || value == values.end()) {
            text.append(pattern.substr(at));
            break;
        }
        text.append(pattern.substr(at, hole - at)).append(*value++);
        at = hole + 2;
    }
    return text;
}

}  // namespace orvanta::platform
