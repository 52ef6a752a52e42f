#include <cstdio>

#include "app/test_mode.hpp"
#include "board/board.hpp"
#include "platform/console.hpp"

int main() {
    using namespace orvanta;
    platform::console().followTestMode(testMode);
    Board board;
    board.print();
    return 0;
}
