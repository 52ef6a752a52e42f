#include "board/point.hpp"

namespace orvanta {

bool Point::parse(std::string_view text) {
    // The tables hold a ninth entry that is never compared: "i" and "9" are not on the board.
    constexpr std::string_view kLetters = "abcdefghi";
    constexpr std::string_view kDigits = "123456789";
    set(0, 0);
    for (std::int32_t i = 0; i < 8; ++i) {
        if (text.size() > 0 && text[0] == kLetters[static_cast<std::size_t>(i)]) {
            setX(i + 1);
        }
        if (text.size() > 1 && text[1] == kDigits[static_cast<std::size_t>(i)]) {
            setY(i + 1);
        }
    }
    return x_ > 0 && y_ > 0;
}

}  // namespace orvanta
