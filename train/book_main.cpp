// Builds the opening book from Orvanta's own deep searches (engine/book.bin, `make book`), one
// shard of it, or the book of the shards' files; `orvanta_book --help` lists the options.
#include <string>
#include <vector>

#include "train/book.hpp"

int main(int argc, char** argv) {
    return orvanta::train::bookMain(std::vector<std::string>(argv + 1, argv + argc));
}
