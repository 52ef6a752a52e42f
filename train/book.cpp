#include "train/book.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string_view>

#include "engine/search.hpp"
#include "train/arguments.hpp"

namespace orvanta::train {

namespace {

using engine::Book;
using engine::BookKey;
using engine::BookRecord;
using engine::kBookUnscored;
using engine::Position;

// The book is built in at most this many shards.
constexpr int kMostBookShards = 10000;

Position positionOf(const BookKey& key) {
    return Position(key.player, key.opponent, engine::Colour::kBlack);
}

// The children to expand: the best move by a shallow search and the moves within the margin of
// it, each child in normal form. A child whose mover must pass is left out (the book holds no
// passes; none occurs in the lines of good play this early).
std::vector<BookKey> expansion(const Position& position, int ply, const BookOptions& options,
                               std::uint64_t& nodes) {
    const int margin = ply < options.widePlies ? options.wideMargin : options.margin;
    // Each search has a new table (clearing one would keep its generation count): the result
    // depends on the position alone, whatever was searched before, so shards agree.
    engine::Search search(options.hashBytes);
    const auto scores = search.rootScores(position, options.selectDepth);
    nodes += search.lastNodes();
    std::vector<BookKey> children;
    for (const auto& [move, score] : scores) {
        if (score < scores.front().second - margin) {
            break;
        }
        const Position child = position.after(move);
        if (child.moves() != 0) {
            children.push_back(engine::normalForm(child));
        }
    }
    return children;
}

std::optional<std::vector<unsigned char>> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file.flush()) {
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

constexpr const char* kUsage =
    "usage: orvanta_book [--out FILE] [--in FILE]... [--plies N] [--margin N]\n"
    "                    [--wide-margin N] [--wide-plies N] [--select-depth N]\n"
    "                    [--leaf-depth N] [--shard I/N] [--hash MIB]\n"
    "       orvanta_book --merge --out FILE SHARD_FILE...\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "orvanta_book: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// The books of `paths`, checked; shard files are allowed.
std::optional<std::vector<std::vector<unsigned char>>> readBooks(
    const std::vector<std::string>& paths) {
    std::vector<std::vector<unsigned char>> files;
    for (const std::string& path : paths) {
        auto bytes = readFile(path);
        std::string error;
        if (!bytes) {
            std::fprintf(stderr, "orvanta_book: cannot read %s\n", path.c_str());
            return std::nullopt;
        }
        if (!Book::read(*bytes, true, &error)) {
            std::fprintf(stderr, "orvanta_book: %s: %s\n", path.c_str(), error.c_str());
            return std::nullopt;
        }
        files.push_back(std::move(*bytes));
    }
    return files;
}

}  // namespace

std::vector<BookRecord> buildBook(const BookOptions& options, const Book& known, BookStats& stats,
                                  const BookProgress& progress) {
    std::set<BookKey> layer = {engine::normalForm(Position())};
    std::vector<BookRecord> records;
    std::vector<std::size_t> leaves;  // indices into `records`, once they are sorted
    std::set<BookKey> leafKeys;
    // Layer by layer: the expansion of each position depends on it alone, so the order of the
    // work does not matter to the result.
    for (int ply = 0; ply <= options.plies && !layer.empty(); ++ply) {
        if (progress) {
            progress("ply " + std::to_string(ply) + ": " + std::to_string(layer.size()) +
                     " positions");
        }
        std::set<BookKey> next;
        for (const BookKey& key : layer) {
            std::vector<BookKey> children;
            if (ply < options.plies) {
                children = expansion(positionOf(key), ply, options, stats.nodes);
            }
            if (children.empty()) {
                leafKeys.insert(key);
            }
            next.insert(children.begin(), children.end());
            records.push_back({key, 0, 0});
        }
        layer = std::move(next);
    }
    std::sort(records.begin(), records.end(),
              [](const BookRecord& a, const BookRecord& b) { return a.key < b.key; });
    stats.positions = records.size();
    stats.leaves = leafKeys.size();
    for (BookRecord& r : records) {
        if (!leafKeys.contains(r.key)) {
            continue;
        }
        const Position position = positionOf(r.key);
        if (engine::bookHash(r.key) % static_cast<std::uint64_t>(options.shards) !=
            static_cast<std::uint64_t>(options.shard)) {
            r.depth = kBookUnscored;
            continue;
        }
        if (const auto old = known.find(position); old && old->depth == options.leafDepth) {
            r.value = old->value;
            r.depth = old->depth;
            ++stats.reused;
            continue;
        }
        engine::SearchLimits limits;
        limits.depth = options.leafDepth;
        engine::Search search(options.hashBytes);  // a new table, as for the expansion
        const engine::SearchResult result = search.run(position, limits);
        stats.nodes += result.nodes;
        r.value = result.score;
        r.depth = options.leafDepth;
        ++stats.scored;
        if (progress) {
            progress("leaf " + std::to_string(stats.scored) + ": " + position.text() + " " +
                     std::to_string(result.score));
        }
    }
    engine::propagate(records);
    return records;
}

std::optional<std::vector<BookRecord>> mergeShards(const std::vector<Book>& shards,
                                                   std::string& error) {
    if (shards.empty()) {
        error = "no shard files";
        return std::nullopt;
    }
    std::vector<BookRecord> records;
    for (std::size_t i = 0; i < shards[0].size(); ++i) {
        records.push_back(shards[0].record(i));
    }
    for (std::size_t s = 1; s < shards.size(); ++s) {
        if (shards[s].size() != records.size()) {
            error = "the shard files hold different positions";
            return std::nullopt;
        }
        for (std::size_t i = 0; i < records.size(); ++i) {
            const BookRecord r = shards[s].record(i);
            if (r.key != records[i].key) {
                error = "the shard files hold different positions";
                return std::nullopt;
            }
            if (r.depth != kBookUnscored && r.depth != 0) {
                records[i] = r;
            }
        }
    }
    // Inner values are worked out again from the leaves.
    for (BookRecord& r : records) {
        if (r.depth == 0) {
            r.value = 0;
        }
    }
    engine::propagate(records);
    if (std::any_of(records.begin(), records.end(),
                    [](const BookRecord& r) { return r.depth == kBookUnscored; })) {
        error = "some leaves are in no shard file (a shard is missing)";
        return std::nullopt;
    }
    return records;
}

int bookMain(const std::vector<std::string>& arguments) {
    BookOptions options;
    std::string out = "engine/book.bin";
    std::vector<std::string> inputs;
    std::vector<std::string> shardFiles;
    bool merge = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        if (name == "--help") {
            std::printf("%s", kUsage);
            return 0;
        }
        std::string value;
        const bool takesValue = name != "--merge" && name.starts_with("--");
        if (const auto equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (takesValue) {
            if (i + 1 == arguments.size()) {
                return usageError("option '" + name + "' requires a value");
            }
            value = arguments[++i];
        }
        const auto number = [&](int low, int high) {
            const auto n = parseWhole(value, low, high);
            return n;
        };
        std::optional<int> n;
        if (name == "--merge") {
            merge = true;
        } else if (name == "--out" && !value.empty()) {
            out = value;
        } else if (name == "--in" && !value.empty()) {
            inputs.push_back(value);
        } else if (name == "--plies" && (n = number(0, 30))) {
            options.plies = *n;
        } else if (name == "--margin" && (n = number(0, engine::kBest))) {
            options.margin = *n;
        } else if (name == "--wide-margin" && (n = number(0, engine::kBest))) {
            options.wideMargin = *n;
        } else if (name == "--wide-plies" && (n = number(0, 30))) {
            options.widePlies = *n;
        } else if (name == "--select-depth" && (n = number(1, 20))) {
            options.selectDepth = *n;
        } else if (name == "--leaf-depth" && (n = number(1, 40))) {
            options.leafDepth = *n;
        } else if (name == "--hash" && (n = number(1, 4096))) {
            options.hashBytes = static_cast<std::size_t>(*n) << 20;
        } else if (name == "--shard") {
            const auto shard = parseShard(value, kMostBookShards);
            if (!shard) {
                return usageError("invalid value '" + value + "' for --shard (I/N, I from 1 to N)");
            }
            options.shard = shard->index;
            options.shards = shard->count;
        } else if (!name.starts_with("--") && merge) {
            shardFiles.push_back(name);
        } else if (takesValue) {
            return usageError("invalid option or value: " + arguments[i - (value.empty() ? 0 : 1)]);
        } else {
            return usageError("unexpected argument '" + name + "'");
        }
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<BookRecord> records;
    if (merge) {
        if (shardFiles.empty()) {
            return usageError("--merge needs the shard files");
        }
        const auto files = readBooks(shardFiles);
        if (!files) {
            return 1;
        }
        std::vector<Book> shards;
        for (const auto& bytes : *files) {
            shards.push_back(*Book::read(bytes, true));
        }
        std::string error;
        auto merged = mergeShards(shards, error);
        if (!merged) {
            std::fprintf(stderr, "orvanta_book: %s\n", error.c_str());
            return 1;
        }
        records = std::move(*merged);
    } else {
        const auto files = readBooks(inputs);
        if (!files) {
            return 1;
        }
        // Known leaf scores from every input, the first file's first.
        std::vector<BookRecord> known;
        for (const auto& bytes : *files) {
            const Book book = *Book::read(bytes, true);
            for (std::size_t i = 0; i < book.size(); ++i) {
                const BookRecord r = book.record(i);
                if (r.depth != 0 && r.depth != kBookUnscored) {
                    known.push_back(r);
                }
            }
        }
        std::stable_sort(known.begin(), known.end(),
                         [](const BookRecord& a, const BookRecord& b) { return a.key < b.key; });
        known.erase(
            std::unique(known.begin(), known.end(),
                        [](const BookRecord& a, const BookRecord& b) { return a.key == b.key; }),
            known.end());
        const std::vector<unsigned char> knownBytes = engine::writeBook(known);
        const Book knownBook = *Book::read(knownBytes, true);
        BookStats stats;
        records = buildBook(options, knownBook, stats, [&](const std::string& line) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("%7.1f s  %s\n", seconds, line.c_str());
            std::fflush(stdout);
        });
        std::printf(
            "%zu positions, %zu leaves: %zu searched, %zu known, %zu left to other "
            "shards; %.1f M nodes\n",
            stats.positions, stats.leaves, stats.scored, stats.reused,
            stats.leaves - stats.scored - stats.reused, static_cast<double>(stats.nodes) / 1e6);
    }
    const std::vector<unsigned char> bytes = engine::writeBook(records);
    if (!writeFile(out, bytes)) {
        std::fprintf(stderr, "orvanta_book: cannot write %s\n", out.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("wrote %s: %zu positions, %zu bytes, after %.0f s\n", out.c_str(), records.size(),
                bytes.size(), seconds);
    return 0;
}

}  // namespace orvanta::train
