#include <csignal>

#include "app/launch.hpp"

int main(int argc, char* argv[]) {
#ifdef SIGPIPE
    // A closed pipe must come back as a failed write, not kill the program silently.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return orvanta::launch({argv + 1, argv + argc});
}
