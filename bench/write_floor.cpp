// The cost floor of the program's output: replays a list of write sizes (native 32-bit
// integers, one per write) as the same number of write(2) calls of the same sizes on standard
// output, doing nothing else.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SIZES-FILE\n", argv[0]);
        return 2;
    }
    const int file = open(argv[1], O_RDONLY);
    if (file < 0) {
        std::perror(argv[1]);
        return 2;
    }
    std::vector<std::uint32_t> sizes;
    std::uint32_t chunk[4096];
    for (ssize_t got; (got = read(file, chunk, sizeof chunk)) > 0;) {
        sizes.insert(sizes.end(), chunk, chunk + got / static_cast<ssize_t>(sizeof(std::uint32_t)));
    }
    close(file);
    std::uint32_t largest = 0;
    for (const std::uint32_t size : sizes) {
        largest = size > largest ? size : largest;
    }
    const std::vector<char> bytes(largest + 1, 'x');
    for (const std::uint32_t size : sizes) {
        if (write(STDOUT_FILENO, bytes.data(), size) != static_cast<ssize_t>(size)) {
            return 1;
        }
    }
    return 0;
}
