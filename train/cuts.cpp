#include "train/cuts.hpp"

#include <algorithm>
#include <cmath>

#include "engine/search.hpp"
#include "engine/solve.hpp"
#include "train/bytes.hpp"
#include "train/random.hpp"

namespace orvanta::train {

namespace {

using engine::CutModel;
using engine::CutTable;
namespace patterns = engine::patterns;

constexpr std::array<unsigned char, 8> kCutMagic = {'O', 'V', 'T', 'C', 'U', 'T', '0', '1'};
constexpr std::size_t kSearchTable = std::size_t{16} << 20;
constexpr std::size_t kSolveTable = std::size_t{16} << 20;
// A random move one time in this many once the engine plays.
constexpr int kRandomMoveOdds = 8;
// The fewest pairs a model is fitted on; a stage with fewer takes its neighbour's.
constexpr std::size_t kFewestPairs = 40;
// The extrapolation's line goes through the sigmas measured from this depth on (shallower ones
// have shallow searches of one or two plies, whose errors behave otherwise).
constexpr int kFirstTrendDepth = 5;
// More positions than a game has is damage, not data.
constexpr std::uint32_t kMostPerGame = 64;

struct Pair {
    double shallow;
    double deep;
};

// The pairs of one stage and depth.
std::vector<Pair> pairsOf(std::span<const CutSample> samples, int stage, int depth) {
    std::vector<Pair> pairs;
    const int shallow = CutTable::shallowDepth(depth);
    for (const CutSample& s : samples) {
        if (patterns::stageOf(s.empties()) == stage && shallow >= 1 &&
            static_cast<int>(s.scores.size()) >= depth) {
            pairs.push_back({static_cast<double>(s.scores[static_cast<std::size_t>(shallow - 1)]),
                             static_cast<double>(s.scores[static_cast<std::size_t>(depth - 1)])});
        }
    }
    return pairs;
}

// Least squares of deep on shallow.
CutModel fitPairs(const std::vector<Pair>& pairs, int depth) {
    const auto n = static_cast<double>(pairs.size());
    double ms = 0;
    double md = 0;
    for (const Pair& p : pairs) {
        ms += p.shallow;
        md += p.deep;
    }
    ms /= n;
    md /= n;
    double sss = 0;
    double ssd = 0;
    for (const Pair& p : pairs) {
        sss += (p.shallow - ms) * (p.shallow - ms);
        ssd += (p.shallow - ms) * (p.deep - md);
    }
    const double slope = sss > 0 ? std::clamp(ssd / sss, 0.5, 2.0) : 1.0;
    const double intercept = md - slope * ms;
    double residuals = 0;
    for (const Pair& p : pairs) {
        const double r = p.deep - (slope * p.shallow + intercept);
        residuals += r * r;
    }
    CutModel m;
    m.shallow = CutTable::shallowDepth(depth);
    m.slope = static_cast<int>(std::lround(slope * 10000));
    m.intercept = static_cast<int>(std::lround(intercept));
    m.sigma =
        std::max(1, static_cast<int>(std::lround(std::sqrt(residuals / std::max(1.0, n - 2)))));
    m.pairs = static_cast<int>(pairs.size());
    return m;
}

// The pairs (shallow search, exact result) of positions with `empties` empty squares.
std::vector<Pair> endgamePairsOf(std::span<const CutSample> samples, int empties) {
    std::vector<Pair> pairs;
    const int shallow = CutTable::shallowDepth(empties);
    for (const CutSample& s : samples) {
        if (s.exact && s.empties() == empties && shallow >= 1 &&
            static_cast<int>(s.scores.size()) >= shallow) {
            pairs.push_back({static_cast<double>(s.scores[static_cast<std::size_t>(shallow - 1)]),
                             static_cast<double>(*s.exact * engine::kScoreScale)});
        }
    }
    return pairs;
}

// The endgame's models: for each number of empty squares with enough solved positions, the fit
// of their exact results on the shallow searches; other numbers borrow the nearest fitted one,
// up to kEndgameReach empties beyond the most solved.
constexpr int kEndgameReach = 6;
void fitEndgame(std::span<const CutSample> samples, CutTable& table) {
    std::array<std::optional<CutModel>, CutTable::kMaxDepth + 1> measured{};
    int most = 0;
    for (int e = kFewestEmpties; e <= CutTable::kMaxDepth; ++e) {
        const auto pairs = endgamePairsOf(samples, e);
        if (pairs.size() >= kFewestPairs) {
            measured[static_cast<std::size_t>(e)] = fitPairs(pairs, e);
            most = e;
        }
    }
    for (int e = kFewestEmpties; e <= std::min(CutTable::kMaxDepth, most + kEndgameReach); ++e) {
        std::optional<CutModel> model;
        for (int distance = 0; distance <= CutTable::kMaxDepth && !model; ++distance) {
            for (const int other : {e + distance, e - distance}) {
                if (!model && other >= kFewestEmpties && other <= CutTable::kMaxDepth) {
                    model = measured[static_cast<std::size_t>(other)];
                }
            }
        }
        if (!model) {
            return;  // nothing solved at all
        }
        if (!measured[static_cast<std::size_t>(e)]) {
            model->pairs = 0;
        }
        model->shallow = CutTable::shallowDepth(e);
        table.setEndgame(e, *model);
    }
}

}  // namespace

int CutSample::empties() const {
    return engine::popcount(~(player | opponent));
}

std::vector<CutSample> playCutGame(const CutRound& round, int index,
                                   const engine::EvalWeights& weights) {
    using namespace engine;
    Random random(round.seed * 0x100000001b3 + static_cast<std::uint64_t>(index));
    const int randomPlies = round.randomMin + random.below(round.randomMax - round.randomMin + 1);
    // No forward pruning here, so that nothing depends on cut statistics built into the program.
    Search search(kSearchTable, weights, CutTable());
    std::vector<Position> candidates;
    Position position;
    for (int ply = 0; !position.isOver(); ++ply) {
        if (position.mustPass()) {
            position.pass();
            continue;
        }
        if (position.empties() >= kFewestEmpties) {
            candidates.push_back(position);
        }
        int move = kPass;
        if (ply < randomPlies || random.below(kRandomMoveOdds) == 0) {
            move = randomMove(position.moves(), random);
        } else {
            SearchLimits limits;
            limits.depth = round.playDepth;
            move = search.run(position, limits).move;
        }
        position.play(move);
    }
    std::vector<CutSample> samples;
    TranspositionTable solveTable(kSolveTable);
    SolveBudget budget;
    budget.ordering = weights;
    for (int i = 0; i < round.perGame && !candidates.empty(); ++i) {
        const auto at = static_cast<std::size_t>(random.below(static_cast<int>(candidates.size())));
        const Position p = candidates[at];
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(at));
        CutSample sample{p.player(), p.opponent(), {}, std::nullopt};
        search.clear();
        SearchLimits limits;
        limits.depth = std::min(round.maxDepth, p.empties() - 1);
        limits.onIteration = [&sample](const SearchResult& r) {
            sample.scores.push_back(static_cast<std::int16_t>(r.score));
        };
        search.run(p, limits);
        if (p.empties() <= round.exactEmpties) {
            solveTable.clear();
            sample.exact =
                static_cast<std::int8_t>(solve(p, kMinScore, kMaxScore, solveTable, budget).score);
        }
        samples.push_back(std::move(sample));
    }
    return samples;
}

std::vector<unsigned char> cutBlockBytes(std::uint64_t key, const CutBlock& block) {
    Writer w;
    w.bytes(kCutMagic);
    w.u64(key);
    w.u32(static_cast<std::uint32_t>(block.size()));
    for (const std::vector<CutSample>& game : block) {
        w.u32(static_cast<std::uint32_t>(game.size()));
        for (const CutSample& s : game) {
            w.u64(s.player);
            w.u64(s.opponent);
            w.u16(static_cast<std::uint16_t>(s.exact ? 1 + (*s.exact + 64) : 0));
            w.u16(static_cast<std::uint16_t>(s.scores.size()));
            for (const std::int16_t score : s.scores) {
                w.u16(static_cast<std::uint16_t>(score));
            }
        }
    }
    return w.take();
}

std::optional<CutBlock> readCutBlockBytes(std::span<const unsigned char> bytes, std::uint64_t key) {
    Reader r(bytes);
    if (!r.magic(kCutMagic) || r.u64() != key) {
        return std::nullopt;
    }
    const auto games = r.u32();
    if (!games || *games > r.left() / 4) {
        return std::nullopt;
    }
    CutBlock block(*games);
    for (std::vector<CutSample>& game : block) {
        const auto count = r.u32();
        if (!count || *count > kMostPerGame) {
            return std::nullopt;
        }
        game.resize(*count);
        for (CutSample& s : game) {
            const auto player = r.u64();
            const auto opponent = r.u64();
            const auto exact = r.u16();
            const auto scores = r.u16();
            if (!scores || (*player & *opponent) != 0 || *exact > 129 ||
                *scores >= engine::kSquares || *scores > r.left() / 2) {
                return std::nullopt;
            }
            s.player = *player;
            s.opponent = *opponent;
            if (*exact != 0) {
                s.exact = static_cast<std::int8_t>(*exact - 1 - 64);
            }
            for (int d = 0; d < *scores; ++d) {
                s.scores.push_back(static_cast<std::int16_t>(*r.u16()));
            }
        }
    }
    if (r.left() != 0) {
        return std::nullopt;
    }
    return block;
}

engine::CutTable fitCuts(std::span<const CutSample> samples) {
    CutTable table;
    int deepest = 0;
    for (const CutSample& s : samples) {
        deepest = std::max(deepest, static_cast<int>(s.scores.size()));
    }
    // What each stage measured; a stage without enough pairs at a depth borrows the nearest
    // stage's model at that depth (the later one on a tie: its positions are closer to those of
    // its own searches, which see later positions).
    std::array<std::array<std::optional<CutModel>, CutTable::kMaxDepth + 1>, patterns::kStages>
        measured{};
    for (int stage = 0; stage < patterns::kStages; ++stage) {
        for (int d = CutTable::kFirstCutDepth; d <= deepest; ++d) {
            const auto pairs = pairsOf(samples, stage, d);
            if (pairs.size() >= kFewestPairs) {
                measured[static_cast<std::size_t>(stage)][static_cast<std::size_t>(d)] =
                    fitPairs(pairs, d);
            }
        }
    }
    for (int stage = 0; stage < patterns::kStages; ++stage) {
        // The positions of a stage reach depths up to their empties; deeper searches there end
        // in the solver, which needs no model.
        const int highestEmpties = patterns::kStartEmpties - stage * patterns::kStageEmpties;
        int lastMeasured = 0;
        for (int d = CutTable::kFirstCutDepth; d <= std::min(deepest, highestEmpties - 1); ++d) {
            std::optional<CutModel> model;
            for (int distance = 0; distance < patterns::kStages && !model; ++distance) {
                for (const int other : {stage + distance, stage - distance}) {
                    if (!model && other >= 0 && other < patterns::kStages) {
                        model =
                            measured[static_cast<std::size_t>(other)][static_cast<std::size_t>(d)];
                    }
                }
            }
            if (model) {
                if (model->pairs > 0 &&
                    !measured[static_cast<std::size_t>(stage)][static_cast<std::size_t>(d)]) {
                    model->pairs = 0;  // borrowed
                }
                table.set(stage, d, *model);
                lastMeasured = d;
            }
        }
        if (lastMeasured < kFirstTrendDepth + 3) {
            continue;
        }
        // Deeper: the sigma of a straight line through the sigmas measured from
        // kFirstTrendDepth on (never below their last four's mean), the slope and intercept of
        // the deepest measured depth of the same parity.
        double n = 0;
        double sd = 0;
        double ss = 0;
        double sdd = 0;
        double sds = 0;
        double recent = 0;
        for (int d = kFirstTrendDepth; d <= lastMeasured; ++d) {
            const double sigma = table.model(highestEmpties, d).sigma;
            n += 1;
            sd += d;
            ss += sigma;
            sdd += d * d;
            sds += d * sigma;
            recent += d > lastMeasured - 4 ? sigma / 4 : 0;
        }
        const double growth = std::max(0.0, (n * sds - sd * ss) / (n * sdd - sd * sd));
        const double level = (ss - growth * sd) / n;
        for (int d = lastMeasured + 1; d < std::min(CutTable::kMaxDepth + 1, highestEmpties); ++d) {
            const int base = d % 2 == lastMeasured % 2 ? lastMeasured : lastMeasured - 1;
            CutModel m = table.model(highestEmpties, base);
            m.shallow = CutTable::shallowDepth(d);
            m.sigma = static_cast<int>(std::lround(std::max(recent, level + growth * d)));
            m.pairs = 0;
            table.set(stage, d, m);
        }
    }
    fitEndgame(samples, table);
    return table;
}

std::array<CutCheck, patterns::kStages> checkCuts(const CutTable& table,
                                                  std::span<const CutSample> samples) {
    std::array<CutCheck, patterns::kStages> checks{};
    std::array<double, patterns::kStages> squares{};
    std::array<std::size_t, patterns::kStages> within{};
    for (const CutSample& s : samples) {
        const auto stage = static_cast<std::size_t>(patterns::stageOf(s.empties()));
        if (const CutModel& m = table.endgame(s.empties());
            s.exact && m.sigma > 0 && static_cast<int>(s.scores.size()) >= m.shallow) {
            const double predicted =
                m.slope / 10000.0 * s.scores[static_cast<std::size_t>(m.shallow - 1)] + m.intercept;
            const double error = (*s.exact * engine::kScoreScale - predicted) / m.sigma;
            squares[stage] += error * error;
            within[stage] += std::abs(error) <= 1 ? 1U : 0U;
            ++checks[stage].pairs;
        }
        for (int d = CutTable::kFirstCutDepth; d <= static_cast<int>(s.scores.size()); ++d) {
            const CutModel& m = table.model(s.empties(), d);
            if (m.sigma == 0 || m.shallow < 1) {
                continue;
            }
            const double predicted =
                m.slope / 10000.0 * s.scores[static_cast<std::size_t>(m.shallow - 1)] + m.intercept;
            const double error = (s.scores[static_cast<std::size_t>(d - 1)] - predicted) / m.sigma;
            squares[stage] += error * error;
            within[stage] += std::abs(error) <= 1 ? 1U : 0U;
            ++checks[stage].pairs;
        }
    }
    for (std::size_t stage = 0; stage < checks.size(); ++stage) {
        if (checks[stage].pairs > 0) {
            const auto n = static_cast<double>(checks[stage].pairs);
            checks[stage].errorOverSigma = std::sqrt(squares[stage] / n);
            checks[stage].withinOneSigma = static_cast<double>(within[stage]) / n;
        }
    }
    return checks;
}

EvalErrors evalErrors(const engine::EvalWeights& weights, std::span<const CutSample> samples) {
    EvalErrors errors{};
    for (const CutSample& s : samples) {
        if (s.scores.empty() && !s.exact) {
            continue;
        }
        // The two deepest searches, of either parity, err to either side (see evalErrors).
        const std::size_t n = s.scores.size();
        const double label = s.exact  ? *s.exact * 1.0
                             : n >= 2 ? (s.scores[n - 1] + s.scores[n - 2]) / 200.0
                                      : s.scores.back() / 100.0;
        const double error = engine::evaluate(s.player, s.opponent, weights) / 100.0 - label;
        EvalError& e = errors[static_cast<std::size_t>(patterns::stageOf(s.empties()))]
                             [static_cast<std::size_t>(s.empties() % 2)];
        ++e.positions;
        e.mean += error;
        e.rms += error * error;
    }
    for (auto& stage : errors) {
        for (EvalError& e : stage) {
            if (e.positions > 0) {
                e.mean /= static_cast<double>(e.positions);
                e.rms = std::sqrt(e.rms / static_cast<double>(e.positions));
            }
        }
    }
    return errors;
}

}  // namespace orvanta::train
