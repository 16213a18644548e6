// The statistics the study shows, checked with fixed seeds: unbiased
// estimates, honest 95 % intervals, and the slopes of the error curves.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "study/study.h"
#include "tests/study/presets.h"

using namespace mcplot::study;
using studytest::presetFunctions;
using studytest::scanBox;

namespace {

StudyResults runStudy(StudySettings settings, const std::function<double(double)>& f) {
    Study study(std::move(settings), factoryOf(f));
    study.start();
    study.wait();
    return study.snapshot();
}

// Least-squares slope of log y against log x over x in [from, to].
template <class X>
double logSlope(const std::vector<X>& xs, const std::vector<double>& ys, double from, double to) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    int m = 0;
    for (size_t k = 0; k < xs.size(); ++k) {
        const double x = static_cast<double>(xs[k]);
        if (x < from || x > to || !(ys[k] > 0)) continue;
        const double lx = std::log(x), ly = std::log(ys[k]);
        sx += lx, sy += ly, sxx += lx * lx, sxy += lx * ly;
        ++m;
    }
    return (m * sxy - sx * sy) / (m * sxx - sx * sx);
}

}  // namespace

TEST(Statistics, EveryPresetEstimatesWithoutBiasAndHonestIntervals) {
    for (const auto& preset : presetFunctions()) {
        SCOPED_TRACE(preset.name);
        StudySettings s;
        s.box = scanBox(preset.f, preset.a, preset.b);
        s.throws = 10'000;
        s.runs = 1000;
        s.maxThrows = 1000;
        s.maxTrapezoidIntervals = 10;
        s.seed = 20261207;
        const StudyResults r = runStudy(s, preset.f);
        ASSERT_TRUE(r.finished);
        ASSERT_TRUE(r.reference.reliable()) << r.reference.verdict;
        EXPECT_EQ(r.runsDone, 1000);
        const double standardError = r.summary.sigma / std::sqrt(1000.0);
        EXPECT_GT(standardError, 0);
        EXPECT_LT(std::fabs(r.meanEstimate - r.reference.value), 4 * standardError)
            << "mean " << r.meanEstimate << " I* " << r.reference.value;
        EXPECT_GE(r.coverage, 0.93);
        EXPECT_LE(r.coverage, 0.97);
        const int counted = std::accumulate(r.histogram.counts.begin(), r.histogram.counts.end(), 0);
        EXPECT_EQ(counted, 1000);
        EXPECT_EQ(r.histogram.edges.size(), r.histogram.counts.size() + 1);
    }
}

TEST(Statistics, SummaryFollowsTheTheoryOfThrows) {
    // x² on [0, 3] in the box up to 9: p = 9/27 = 1/3, σ = S·√(p(1 − p)/N).
    StudySettings s;
    s.box = Box{0, 3, 0, 9};
    s.throws = 200;
    s.monteCarlo = 8.5;
    s.trapezoid = 9.00045;
    s.maxThrows = 1000;
    s.runs = 10;
    const StudyResults r = runStudy(s, [](double x) { return x * x; });
    EXPECT_NEAR(r.summary.reference, 9, 1e-12);
    EXPECT_DOUBLE_EQ(r.summary.area, 27);
    EXPECT_NEAR(r.summary.blueShare, 1.0 / 3, 1e-12);
    const double sigma = 27 * std::sqrt((1.0 / 3) * (2.0 / 3) / 200);
    EXPECT_NEAR(r.summary.sigma, sigma, 1e-12);
    EXPECT_NEAR(r.summary.intervalLow, 8.5 - 1.959963984540054 * sigma, 1e-9);
    EXPECT_NEAR(r.summary.intervalHigh, 8.5 + 1.959963984540054 * sigma, 1e-9);
    EXPECT_NEAR(r.summary.monteCarloError, 0.5, 1e-12);
    EXPECT_NEAR(r.summary.trapezoidError, 0.00045, 1e-12);
    // 100 trapezoids of x² on [0, 3] are off by 27/(6·100²).
    EXPECT_NEAR(r.convergence.trapezoid100Error, 27.0 / 60000, 1e-12);
}

TEST(Statistics, SignChangingFunctionsUseTheSignedCount) {
    // sin on [0, 2π]: blue throws cancel, and the variance is p − q², not p(1 − p).
    StudySettings s;
    s.box = Box{0, 2 * M_PI, -1, 1};
    s.throws = 10'000;
    s.runs = 400;
    s.maxThrows = 1000;
    s.maxTrapezoidIntervals = 10;
    s.seed = 7;
    const StudyResults r = runStudy(s, [](double x) { return std::sin(x); });
    EXPECT_NEAR(r.summary.blueShare, 4 / (4 * M_PI), 1e-9);
    EXPECT_NEAR(r.summary.sigma, 4 * M_PI * std::sqrt((1 / M_PI) / 10'000), 1e-9);
    EXPECT_LT(std::fabs(r.meanEstimate), 4 * r.summary.sigma / std::sqrt(400.0));
    EXPECT_GE(r.coverage, 0.92);
}

TEST(Statistics, ErrorFallsLikeOneOverRootNAndTrapezoidLikeOneOverNSquared) {
    double hitSlopes = 0, meanSlopes = 0;
    const int seeds = 20;
    std::vector<int64_t> trapezoidN;
    std::vector<double> trapezoidError;
    for (int seed = 1; seed <= seeds; ++seed) {
        StudySettings s;
        s.box = Box{0, 3, 0, 9};
        s.seed = static_cast<uint64_t>(seed);
        s.maxThrows = 1'000'000;
        s.runs = 0;
        s.maxTrapezoidIntervals = seed == 1 ? 100'000 : 1;
        const StudyResults r = runStudy(s, [](double x) { return x * x; });
        ASSERT_TRUE(r.finished);
        ASSERT_EQ(r.convergence.n.back(), 1'000'000);
        hitSlopes += logSlope(r.convergence.n, r.convergence.hitOrMiss, 1e3, 1e6);
        meanSlopes += logSlope(r.convergence.n, r.convergence.meanValue, 1e3, 1e6);
        if (seed == 1) {
            trapezoidN = r.convergence.trapezoidN;
            trapezoidError = r.convergence.trapezoidError;
            // The theory line falls with slope −1/2 exactly.
            EXPECT_NEAR(logSlope(r.convergence.n, r.convergence.hitOrMissSigma, 1e3, 1e6), -0.5, 1e-9);
        }
    }
    EXPECT_GE(hitSlopes / seeds, -0.6);
    EXPECT_LE(hitSlopes / seeds, -0.4);
    EXPECT_GE(meanSlopes / seeds, -0.6);
    EXPECT_LE(meanSlopes / seeds, -0.4);
    ASSERT_EQ(trapezoidN.back(), 100'000);
    EXPECT_NEAR(logSlope(trapezoidN, trapezoidError, 10, 1e5), -2, 0.05);
}
