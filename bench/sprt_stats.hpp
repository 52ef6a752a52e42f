#pragma once

// The statistics of a self-play match played in pairs of games (one opening, each side with
// both colours): the Elo difference with its 95% interval, and the log-likelihood ratio of a
// sequential probability ratio test between two Elo hypotheses.
//
// Results are counted per pair (pentanomial): index i holds the pairs in which the candidate
// scored i half-points of the two games' 2 points (0 to 4). Pairs take out the bias of the
// opening, so their variance is the honest one. The ratio is the generalised SPRT's normal
// approximation (as Fishtest computes it): with the pair scores' mean m and variance v over N
// pairs, and s0, s1 the expected scores under the two hypotheses,
//   LLR = N (s1 - s0) (2m - s0 - s1) / (2v).
// Header only and pure, so that the tests check the arithmetic on known cases.
#include <array>
#include <cmath>
#include <limits>

namespace orvanta::bench {

using Pentanomial = std::array<int, 5>;

// The expected score of a side `elo` points stronger (logistic model).
inline double expectedScore(double elo) {
    return 1 / (1 + std::pow(10.0, -elo / 400));
}

// The Elo difference that gives `score` (0 to 1); infinite at 0 and 1.
inline double eloOfScore(double score) {
    if (score <= 0) {
        return -std::numeric_limits<double>::infinity();
    }
    if (score >= 1) {
        return std::numeric_limits<double>::infinity();
    }
    return score == 0.5 ? 0 : -400 * std::log10(1 / score - 1);  // never -0
}

struct PairStats {
    int pairs = 0;
    double mean = 0;      // the candidate's score, 0 to 1
    double variance = 0;  // of one pair's score (each pair scaled to 0 to 1)
};

inline PairStats pairStats(const Pentanomial& counts) {
    PairStats s;
    for (const int n : counts) {
        s.pairs += n;
    }
    if (s.pairs == 0) {
        return s;
    }
    for (std::size_t i = 0; i < counts.size(); ++i) {
        s.mean += counts[i] * (static_cast<double>(i) / 4);
    }
    s.mean /= s.pairs;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const double d = static_cast<double>(i) / 4 - s.mean;
        s.variance += counts[i] * d * d;
    }
    s.variance /= s.pairs;
    return s;
}

struct EloEstimate {
    double elo = 0;
    double low = 0;  // the 95% interval
    double high = 0;
};

inline constexpr double kZ95 = 1.959964;  // two-sided 95% of the normal law

inline EloEstimate eloEstimate(const Pentanomial& counts) {
    const PairStats s = pairStats(counts);
    if (s.pairs == 0) {
        return {0, -std::numeric_limits<double>::infinity(),
                std::numeric_limits<double>::infinity()};
    }
    const double margin = kZ95 * std::sqrt(s.variance / s.pairs);
    return {eloOfScore(s.mean), eloOfScore(s.mean - margin), eloOfScore(s.mean + margin)};
}

// The log-likelihood ratio of H1 (elo1) against H0 (elo0); 0 while the pairs show no spread.
inline double logLikelihoodRatio(const Pentanomial& counts, double elo0, double elo1) {
    const PairStats s = pairStats(counts);
    if (s.pairs == 0 || s.variance <= 0) {
        return 0;
    }
    const double s0 = expectedScore(elo0);
    const double s1 = expectedScore(elo1);
    return s.pairs * (s1 - s0) * (2 * s.mean - s0 - s1) / (2 * s.variance);
}

// Wald's bounds: at or below `lower` H0 is accepted, at or above `upper` H1; alpha is the
// chance to accept H1 when H0 holds, beta the chance to accept H0 when H1 holds.
struct SprtBounds {
    double lower;
    double upper;
};

inline SprtBounds sprtBounds(double alpha, double beta) {
    return {std::log(beta / (1 - alpha)), std::log((1 - beta) / alpha)};
}

enum class Verdict { kContinue, kH0, kH1 };

inline Verdict verdict(double llr, const SprtBounds& bounds) {
    return llr >= bounds.upper   ? Verdict::kH1
           : llr <= bounds.lower ? Verdict::kH0
                                 : Verdict::kContinue;
}

}  // namespace orvanta::bench
