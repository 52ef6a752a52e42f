#include "bench/sprt_stats.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace orvanta::bench {
namespace {

TEST(SprtStats, EloOfKnownScores) {
    EXPECT_DOUBLE_EQ(eloOfScore(0.5), 0);
    EXPECT_NEAR(eloOfScore(0.75), 190.8485, 1e-3);  // 400 log10(3)
    EXPECT_NEAR(eloOfScore(0.64), 99.951, 1e-3);
    EXPECT_NEAR(expectedScore(10), 0.514387, 1e-6);
    EXPECT_NEAR(expectedScore(eloOfScore(0.3)), 0.3, 1e-12);
    EXPECT_TRUE(std::isinf(eloOfScore(0)) && eloOfScore(0) < 0);
    EXPECT_TRUE(std::isinf(eloOfScore(1)) && eloOfScore(1) > 0);
}

// Pair counts (candidate's half-points 0..4 over two games) with their Elo, 95% interval and
// log-likelihood ratio for H0 = 0, H1 = +10 Elo, worked out by hand from the formulas.
TEST(SprtStats, KnownMatches) {
    struct Case {
        Pentanomial counts;
        double elo, low, high, llr;
        Verdict verdict;
    };
    const Case cases[] = {
        {{0, 10, 20, 10, 0}, 0, -38.2203, 38.2203, -0.13247, Verdict::kContinue},
        {{5, 10, 30, 40, 15}, 88.7395, 52.3629, 127.1338, 2.58271, Verdict::kContinue},
        {{20, 30, 40, 10, 0}, -107.5381, -142.9989, -74.1299, -4.30776, Verdict::kH0},
        // the same mean with less spread: more certain
        {{0, 0, 50, 50, 0}, 88.7395, 70.7988, 107.1561, 10.84738, Verdict::kH1},
    };
    const SprtBounds bounds = sprtBounds(0.05, 0.05);
    for (const Case& c : cases) {
        const EloEstimate e = eloEstimate(c.counts);
        EXPECT_NEAR(e.elo, c.elo, 1e-3);
        EXPECT_NEAR(e.low, c.low, 1e-3);
        EXPECT_NEAR(e.high, c.high, 1e-3);
        const double llr = logLikelihoodRatio(c.counts, 0, 10);
        EXPECT_NEAR(llr, c.llr, 1e-4);
        EXPECT_EQ(verdict(llr, bounds), c.verdict);
    }
}

TEST(SprtStats, BoundsAndDegenerateCounts) {
    const SprtBounds bounds = sprtBounds(0.05, 0.05);
    EXPECT_NEAR(bounds.lower, -2.944439, 1e-6);  // ln(0.05 / 0.95)
    EXPECT_NEAR(bounds.upper, 2.944439, 1e-6);
    EXPECT_EQ(verdict(bounds.upper, bounds), Verdict::kH1);
    EXPECT_EQ(verdict(bounds.lower, bounds), Verdict::kH0);
    // No pairs, or pairs without spread (a mirror match of twins), decide nothing.
    EXPECT_EQ(logLikelihoodRatio({}, 0, 10), 0);
    EXPECT_EQ(logLikelihoodRatio({0, 0, 30, 0, 0}, 0, 10), 0);
    EXPECT_EQ(eloEstimate({0, 0, 30, 0, 0}).elo, 0);
    EXPECT_TRUE(std::isinf(eloEstimate({}).high));
}

}  // namespace
}  // namespace orvanta::bench
