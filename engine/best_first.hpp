#pragma once

// Moves are tried best first. A cut-off usually comes after one or two of them, so the next best is
// picked from the rest when it is needed instead of sorting the whole list up front.

#include <array>
#include <cstddef>
#include <utility>

namespace orvanta::engine {

// Moves the highest `value` among items[taken, size) to position `taken`, advances `taken` and
// returns that item; nullptr when every item has been taken.
template <class Item, std::size_t N>
const Item* takeBest(std::array<Item, N>& items, std::size_t size, std::size_t& taken) {
    if (taken == size) {
        return nullptr;
    }
    std::size_t best = taken;
    for (std::size_t i = taken + 1; i < size; ++i) {
        if (items[i].value > items[best].value) {
            best = i;
        }
    }
    std::swap(items[taken], items[best]);
    return &items[taken++];
}

}  // namespace orvanta::engine
