#include "engine/probcut.hpp"

#include <charconv>
#include <cstddef>

namespace orvanta::engine {

namespace detail {
extern const unsigned char kCutData[];
extern const std::size_t kCutDataSize;
}  // namespace detail

namespace {

constexpr std::string_view kHeader = "orvanta-cuts 1";

// The next whole number of `line` after blanks, or nothing.
std::optional<int> nextNumber(std::string_view& line) {
    while (!line.empty() && line.front() == ' ') {
        line.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || end == line.data()) {
        return std::nullopt;
    }
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    return value;
}

}  // namespace

bool CutTable::empty() const {
    for (const auto& stage : models_) {
        for (const CutModel& m : stage) {
            if (m.sigma > 0) {
                return false;
            }
        }
    }
    for (const CutModel& m : endgame_) {
        if (m.sigma > 0) {
            return false;
        }
    }
    return true;
}

std::string CutTable::text() const {
    std::string out(kHeader);
    out += "\n# stage depth shallow slope/10000 intercept sigma pairs (hundredths of a disc)\n";
    for (int s = 0; s < patterns::kStages; ++s) {
        for (int d = kFirstCutDepth; d <= kMaxDepth; ++d) {
            const CutModel& m = models_[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)];
            if (m.sigma == 0) {
                continue;
            }
            for (const int value : {s, d, m.shallow, m.slope, m.intercept, m.sigma}) {
                out += std::to_string(value) + ' ';
            }
            out += std::to_string(m.pairs) + '\n';
        }
    }
    out += "# end empties shallow slope/10000 intercept sigma pairs: the exact result\n";
    for (int e = 0; e <= kMaxDepth; ++e) {
        const CutModel& m = endgame_[static_cast<std::size_t>(e)];
        if (m.sigma == 0) {
            continue;
        }
        out += "end ";
        for (const int value : {e, m.shallow, m.slope, m.intercept, m.sigma}) {
            out += std::to_string(value) + ' ';
        }
        out += std::to_string(m.pairs) + '\n';
    }
    return out;
}

std::optional<CutTable> CutTable::parse(std::string_view text) {
    CutTable table;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (first) {
            if (line != kHeader) {
                return std::nullopt;
            }
            first = false;
            continue;
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const bool endgame = line.starts_with("end ");
        if (endgame) {
            line.remove_prefix(4);
        }
        std::array<int, 7> v{};
        for (std::size_t i = endgame ? 1 : 0; i < v.size(); ++i) {
            const auto number = nextNumber(line);
            if (!number) {
                return std::nullopt;
            }
            v[i] = *number;
        }
        if (endgame) {
            const auto [unused, empties, shallow, slope, intercept, sigma, pairs] = v;
            if (!line.empty() || empties < 1 || empties > kMaxDepth || shallow < 1 ||
                shallow >= empties || slope <= 0 || slope > 100000 || intercept < -6400 ||
                intercept > 6400 || sigma <= 0 || sigma > 6400 || pairs < 0) {
                return std::nullopt;
            }
            table.setEndgame(empties, {shallow, slope, intercept, sigma, pairs});
            continue;
        }
        const auto [stage, depth, shallow, slope, intercept, sigma, pairs] = v;
        if (!line.empty() || stage < 0 || stage >= patterns::kStages || depth < kFirstCutDepth ||
            depth > kMaxDepth || shallow < 0 || shallow >= depth || slope <= 0 || slope > 100000 ||
            intercept < -6400 || intercept > 6400 || sigma <= 0 || sigma > 6400 || pairs < 0) {
            return std::nullopt;
        }
        table.set(stage, depth, {shallow, slope, intercept, sigma, pairs});
    }
    if (first) {
        return std::nullopt;
    }
    return table;
}

const CutTable& builtinCuts() {
    static const CutTable table =
        CutTable::parse({reinterpret_cast<const char*>(detail::kCutData), detail::kCutDataSize})
            .value_or(CutTable());
    return table;
}

}  // namespace orvanta::engine
