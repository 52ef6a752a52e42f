#include <csignal>
#include <iostream>

#include "app/menu.hpp"

int main() {
    // A closed pipe must come back as a failed write, not kill the program silently.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return orvanta::run();
    } catch (const orvanta::platform::OutputClosed& error) {
        std::cerr << "orvanta: " << error.what() << '\n';
        return 1;
    }
}
