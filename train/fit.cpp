#include "train/fit.hpp"

#include <algorithm>
#include <cmath>

#include "engine/rules.hpp"
#include "engine/threads.hpp"

namespace orvanta::train {

namespace {

using namespace engine::patterns;

constexpr int kOverlap = 2;

// For each weight of a stage, the one it shares: a reading and the reading its pattern's own
// symmetry makes of it share the lower of the two places.
std::vector<std::uint32_t> sharedWeights() {
    std::vector<std::uint32_t> shared(kWeightsPerStage);
    for (std::size_t i = 0; i < shared.size(); ++i) {
        shared[i] = static_cast<std::uint32_t>(i);
    }
    for (std::size_t p = 0; p < kShapes; ++p) {
        for (int index = 0; index < power3(kPatterns[p].squares); ++index) {
            const int tied = tiedIndex(kPatterns[p], index);
            shared[kTableStart[p] + static_cast<std::size_t>(index)] = static_cast<std::uint32_t>(
                kTableStart[p] + static_cast<std::size_t>(std::min(index, tied)));
        }
    }
    return shared;
}

struct StageFit {
    std::vector<double> weights;
    StageError error;
};

double predict(const Encoded& e, const std::vector<double>& w) {
    double sum = 0;
    for (const std::uint32_t f : e.features) {
        sum += w[f];
    }
    return sum;
}

StageFit fitStage(const std::vector<const Encoded*>& rows, int stage, const FitOptions& options) {
    const std::size_t n = kWeightsPerStage;
    // A = X'X + ridge I, b = X'y; preconditioner: the diagonal of A.
    std::vector<double> b(n, 0);
    std::vector<double> diagonal(n, options.ridge);
    for (const Encoded* e : rows) {
        for (const std::uint32_t f : e->features) {
            b[f] += e->target;
            diagonal[f] += 1;
        }
    }
    std::vector<double> w(n, 0);
    std::vector<double> r = b;
    std::vector<double> z(n);
    std::vector<double> p(n);
    std::vector<double> ap(n);
    const auto dot = [](const std::vector<double>& x, const std::vector<double>& y) {
        double s = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            s += x[i] * y[i];
        }
        return s;
    };
    for (std::size_t i = 0; i < n; ++i) {
        z[i] = r[i] / diagonal[i];
    }
    p = z;
    double rz = dot(r, z);
    const double start = rz;
    for (int iteration = 0; iteration < options.iterations && rz > start * 1e-12; ++iteration) {
        for (std::size_t i = 0; i < n; ++i) {
            ap[i] = options.ridge * p[i];
        }
        for (const Encoded* e : rows) {
            const double xp = predict(*e, p);
            for (const std::uint32_t f : e->features) {
                ap[f] += xp;
            }
        }
        const double alpha = rz / dot(p, ap);
        for (std::size_t i = 0; i < n; ++i) {
            w[i] += alpha * p[i];
            r[i] -= alpha * ap[i];
            z[i] = r[i] / diagonal[i];
        }
        const double next = dot(r, z);
        const double beta = next / rz;
        rz = next;
        for (std::size_t i = 0; i < n; ++i) {
            p[i] = z[i] + beta * p[i];
        }
    }
    StageFit result{std::move(w), {}};
    double trainSum = 0;
    for (const Encoded* e : rows) {
        if (engine::patterns::stageOf(e->empties) == stage) {
            const double d = (predict(*e, result.weights) - e->target) / 100;
            trainSum += d * d;
            ++result.error.trained;
        }
    }
    result.error.trainRms =
        std::sqrt(trainSum / static_cast<double>(std::max<std::size_t>(1, result.error.trained)));
    return result;
}

}  // namespace

Encoded encode(const Sample& sample, bool validation) {
    static_assert(sizeof(Encoded::features) == sizeof(engine::patterns::Features::weights));
    const auto f =
        features(sample.player, sample.opponent, engine::legalMoves(sample.player, sample.opponent),
                 engine::legalMoves(sample.opponent, sample.player));
    Encoded e;
    e.features = f.weights;
    e.target = static_cast<std::int16_t>(std::clamp(sample.target, -6400, 6400));
    e.empties = static_cast<std::int8_t>(engine::popcount(~(sample.player | sample.opponent)));
    e.validation = validation;
    return e;
}

Fit fit(const std::vector<Encoded>& samples, const FitOptions& options) {
    const std::vector<std::uint32_t> shared = sharedWeights();
    // Each stage's rows: its own positions and those within kOverlap empties, features mapped
    // to the weights they share.
    std::vector<Encoded> mapped(samples);
    for (Encoded& e : mapped) {
        for (std::uint32_t& f : e.features) {
            f = shared[f];
        }
    }
    std::array<std::vector<const Encoded*>, kStages> rows;
    for (const Encoded& e : mapped) {
        if (e.validation) {
            continue;
        }
        const int low = stageOf(e.empties + kOverlap);
        const int high = stageOf(e.empties - kOverlap);
        for (int s = low; s <= high; ++s) {
            rows[static_cast<std::size_t>(s)].push_back(&e);
        }
    }
    std::array<StageFit, kStages> stages;
    engine::shareWork(options.threads, kStages, [&](int s, int) {
        const auto i = static_cast<std::size_t>(s);
        stages[i] = fitStage(rows[i], s, options);
    });
    Fit result;
    result.weights.resize(kWeights);
    for (std::size_t s = 0; s < kStages; ++s) {
        const std::vector<double>& w = stages[s].weights;
        result.errors[s] = stages[s].error;
        for (std::size_t i = 0; i < kWeightsPerStage; ++i) {
            const double value = std::clamp(std::round(w[shared[i]]), -32767.0, 32767.0);
            result.weights[s * kWeightsPerStage + i] = static_cast<std::int16_t>(value);
        }
    }
    // The held-out positions, with the rounded weights as the engine will use them.
    const auto heldOut = heldOutErrors(samples, result.weights);
    for (std::size_t s = 0; s < kStages; ++s) {
        result.errors[s].validated = heldOut[s].validated;
        result.errors[s].validationRms = heldOut[s].validationRms;
    }
    return result;
}

std::array<StageError, kStages> heldOutErrors(const std::vector<Encoded>& samples,
                                              std::span<const std::int16_t> weights) {
    std::array<StageError, kStages> errors{};
    std::array<double, kStages> sums{};
    for (const Encoded& e : samples) {
        if (!e.validation) {
            continue;
        }
        const auto s = static_cast<std::size_t>(stageOf(e.empties));
        double sum = 0;
        for (const std::uint32_t f : e.features) {
            sum += weights[s * kWeightsPerStage + f];
        }
        const double d = (std::clamp(sum, -6399.0, 6399.0) - e.target) / 100;
        sums[s] += d * d;
        ++errors[s].validated;
    }
    for (std::size_t s = 0; s < kStages; ++s) {
        errors[s].validationRms =
            std::sqrt(sums[s] / static_cast<double>(std::max<std::size_t>(1, errors[s].validated)));
    }
    return errors;
}

std::vector<std::int16_t> weightValues(std::span<const unsigned char> bytes) {
    std::vector<std::int16_t> weights(bytes.size() / 2);
    for (std::size_t i = 0; i < weights.size(); ++i) {
        weights[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return weights;
}

std::vector<unsigned char> weightBytes(const std::vector<std::int16_t>& weights) {
    std::vector<unsigned char> bytes;
    bytes.reserve(2 * weights.size());
    for (const std::int16_t w : weights) {
        const auto u = static_cast<std::uint16_t>(w);
        bytes.push_back(static_cast<unsigned char>(u & 0xff));
        bytes.push_back(static_cast<unsigned char>(u >> 8));
    }
    return bytes;
}

}  // namespace orvanta::train
