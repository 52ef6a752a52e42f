// The log of a self-play match, so that a match of many hours can be stopped and resumed, even
// in another session: its first line names the match (the two commands, the time a move and the
// openings' file), each further line one finished pair of games. A resumed match counts the
// logged pairs and plays only the openings they have not used.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace orvanta::bench {

struct PairRecord {
    int opening = 0;         // index into the openings' file, from 0
    int discs[2] = {};       // the candidate's final disc difference in either game
    double seconds[2] = {};  // candidate's and reference's thinking time over both games
    int moves[2] = {};       // their moves over both games
};

inline constexpr const char* kSprtLogMagic = "orvanta-sprt-log 1";

// `time`: the whole seconds a move both sides are given (0: their own budgets), or each side's
// clock as "candidate MAIN BYO STONES, reference MAIN BYO STONES".
inline std::string logHeader(const std::string& candidate, const std::string& reference,
                             const std::string& time, const std::string& openings) {
    std::string header = kSprtLogMagic;
    header.append("\tcandidate=").append(candidate);
    header.append("\treference=").append(reference);
    header.append("\ttime=").append(time);
    header.append("\topenings=").append(openings);
    return header;
}

inline std::string pairLine(const PairRecord& r) {
    char line[160];
    std::snprintf(line, sizeof line, "pair %d %d %d %.3f %d %.3f %d", r.opening, r.discs[0],
                  r.discs[1], r.seconds[0], r.moves[0], r.seconds[1], r.moves[1]);
    return line;
}

// One pair's line, checked: the opening within [0, openings), discs within ±64, times and move
// counts not negative.
inline std::optional<PairRecord> parsePairLine(const std::string& line, int openings) {
    std::istringstream in(line);
    std::string word;
    PairRecord r;
    if (!(in >> word) || word != "pair" ||
        !(in >> r.opening >> r.discs[0] >> r.discs[1] >> r.seconds[0] >> r.moves[0] >>
          r.seconds[1] >> r.moves[1])) {
        return std::nullopt;
    }
    if (in >> word) {
        return std::nullopt;  // trailing words
    }
    const bool sound = r.opening >= 0 && r.opening < openings && r.discs[0] >= -64 &&
                       r.discs[0] <= 64 && r.discs[1] >= -64 && r.discs[1] <= 64 &&
                       r.seconds[0] >= 0 && r.seconds[1] >= 0 && r.moves[0] >= 0 && r.moves[1] >= 0;
    return sound ? std::optional<PairRecord>(r) : std::nullopt;
}

// Reads the pairs of `path` logged under `header`. A missing file has none. A last line without
// its line end (the program stopped while writing it) is dropped: that pair is played again.
// A file of another match, a damaged line or an opening logged twice is an error.
inline std::optional<std::vector<PairRecord>> readLog(const std::string& path,
                                                      const std::string& header, int openings,
                                                      std::string& error) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing) && !missing) {
        return std::vector<PairRecord>{};
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    std::vector<PairRecord> pairs;
    std::vector<bool> used(static_cast<std::size_t>(openings), false);
    std::size_t begin = 0;
    for (int number = 1;; ++number) {
        const std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            break;  // the rest has no line end: not a whole line
        }
        const std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (number == 1) {
            if (line != header) {
                error = where +
                        "the log of another match (the commands, the time or the "
                        "openings differ)";
                return std::nullopt;
            }
            continue;
        }
        const auto pair = parsePairLine(line, openings);
        if (!pair) {
            error = where + "not a pair of this match";
            return std::nullopt;
        }
        if (used[static_cast<std::size_t>(pair->opening)]) {
            error = where + "opening " + std::to_string(pair->opening + 1) + " logged twice";
            return std::nullopt;
        }
        used[static_cast<std::size_t>(pair->opening)] = true;
        pairs.push_back(*pair);
    }
    if (begin == 0 && !text.empty()) {
        error = path + ": not a match log";
        return std::nullopt;
    }
    return pairs;
}

// Writes the header and `pairs` to `path` anew (through a temporary file renamed over it), so
// that appending goes on after whole lines only.
inline bool rewriteLog(const std::string& path, const std::string& header,
                       const std::vector<PairRecord>& pairs) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << header << '\n';
        for (const PairRecord& r : pairs) {
            out << pairLine(r) << '\n';
        }
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {  // a system whose rename does not replace a file (Windows' C library)
        std::filesystem::remove(path, error);
        std::filesystem::rename(temporary, path, error);
    }
    return !error;
}

}  // namespace orvanta::bench
