// The statistics the study shows, checked with fixed seeds: unbiased
// estimates, honest 95 % intervals, and the slopes of the error curves.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "study/number_text.h"
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

// The main window's run as the record keeps it.
mcplot::RunRecord mainRun(const Box& box, int above, int below, int red, double value, double trapezoid) {
    mcplot::RunRecord run;
    run.box = box;
    run.inputs.throws = above + below + red;
    run.blueAbove = above;
    run.blueBelow = below;
    run.red = red;
    run.monteCarlo = value;
    run.trapezoid = trapezoid;
    return run;
}

TEST(Statistics, SigmaAndIntervalAreTheOnesAStudentCanCheck) {
    // σ by the theory S·√((p − q²)/N) and σ̂ from the run's own counts, for a
    // function that keeps its sign and one that changes it.
    struct Case {
        const char* name;
        std::function<double(double)> f;
        Box box;
        double p, q;  // the theory's shares
        int above, below, red;
        bool keepsSign;
    } cases[] = {
        {"x² on [0, 3]", [](double x) { return x * x; }, Box{0, 3, 0, 9}, 1.0 / 3, 1.0 / 3, 61, 0, 139, true},
        {"sin on [0, 2π]", [](double x) { return std::sin(x); }, Box{0, 2 * M_PI, -1, 1}, 1 / M_PI, 0, 30, 35,
         135, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int n = c.above + c.below + c.red;
        const double area = c.box.area();
        const double value = area * (c.above - c.below) / n;
        StudySettings s;
        s.box = c.box;
        s.throws = n;
        s.mainRun.emplace(mainRun(c.box, c.above, c.below, c.red, value, 1.5));
        s.maxThrows = 1000;
        s.runs = 10;
        const StudyResults r = runStudy(s, c.f);
        const Summary& m = r.summary;
        EXPECT_TRUE(m.mainCurrent);
        EXPECT_EQ(m.keepsSign, c.keepsSign);
        EXPECT_EQ(m.sigmaFormula.find("(p − q²)") != std::string::npos, true) << m.sigmaFormula;
        EXPECT_EQ(m.sigmaFormula.find("p(1 − p)") != std::string::npos, c.keepsSign) << m.sigmaFormula;
        EXPECT_NEAR(m.blueShare, c.p, 1e-9);
        EXPECT_NEAR(m.meanShare, c.q, 1e-9);
        EXPECT_NEAR(m.sigma, std::fabs(area) * std::sqrt((c.p - c.q * c.q) / n), 1e-9);
        const double p = double(c.above + c.below) / n, q = double(c.above - c.below) / n;
        const double own = std::fabs(area) * std::sqrt((p - q * q) / n);
        EXPECT_DOUBLE_EQ(m.observedShare, p);
        EXPECT_NEAR(m.runSigma, own, 1e-12);
        EXPECT_NEAR(m.intervalLow, value - 1.959963984540054 * own, 1e-9);
        EXPECT_NEAR(m.intervalHigh, value + 1.959963984540054 * own, 1e-9);
        EXPECT_NEAR(m.monteCarloError, std::fabs(value - r.reference.value), 1e-12);
    }
}

TEST(Statistics, MainValuesOfAnotherRunAreNamedAndNotCompared) {
    const Box box{0, 3, 0, 9};
    struct Case {
        bool hasRun;
        mcplot::RunChanges changes;
        std::vector<const char*> said;
    } cases[] = {
        {false, {}, {"ещё не нажимали"}},
        {true, {true, false, false}, {"другой функции"}},
        {true, {false, true, false}, {"других пределов"}},
        {true, {false, false, true}, {"числа бросков N"}},
        {true, {true, true, true}, {"другой функции", "других пределов", "числа бросков N", "Монте-Карло"}},
    };
    for (const Case& c : cases) {
        StudySettings s;
        s.box = box;
        if (c.hasRun) s.mainRun.emplace(mainRun(box, 70, 0, 130, 9.45, 9.0004));
        s.mainChanges = c.changes;
        s.maxThrows = 1000;
        s.runs = 10;
        const StudyResults r = runStudy(s, [](double x) { return x * x; });
        const Summary& m = r.summary;
        EXPECT_FALSE(m.mainCurrent);
        for (const char* part : c.said)
            EXPECT_NE(m.mainStaleReason.find(part), std::string::npos) << m.mainStaleReason;
        for (double v : {m.monteCarlo, m.monteCarloError, m.trapezoid, m.trapezoidError, m.intervalLow,
                         m.runSigma, m.observedShare})
            EXPECT_TRUE(std::isnan(v));
        EXPECT_NEAR(m.trapezoidOwn, 9 + 27.0 / 60000, 1e-12);  // the study's own trapezoids stay
    }
}

TEST(Statistics, ConstantFunctionIsExactAndCovered) {
    // Every throw lands under the line: each run gives S exactly, σ̂ = 0.
    StudySettings s;
    s.box = Box{0, 2, 0, 0.5};
    s.throws = 300;
    s.mainRun.emplace(mainRun(s.box, 300, 0, 0, 1.0, 1.0));
    s.maxThrows = 1000;
    s.runs = 50;
    const StudyResults r = runStudy(s, [](double) { return 0.5; });
    EXPECT_TRUE(r.summary.exact);
    EXPECT_NEAR(r.summary.sigma, 0, 1e-6);
    EXPECT_EQ(r.summary.runSigma, 0);
    EXPECT_EQ(r.coverage, 1.0);
    EXPECT_EQ(r.histogram.counts, std::vector<int>{50});
    EXPECT_TRUE(r.summary.trapezoidRoundingOnly);
}

TEST(Statistics, ABoxThatCutsTheGraphIsSaidAndTheCurveCentredOnItsLimit) {
    // A peak of height 1 that the box stops at 0.5: the method converges to ∫ min(f, 0.5).
    auto peak = [](double x) { return std::exp(-x * x); };
    const double cut = std::sqrt(std::log(2.0));  // where the peak crosses 0.5
    const double clipped = 0.5 * 2 * cut + 2 * (std::sqrt(M_PI) / 2) * (std::erf(2.0) - std::erf(cut));
    StudySettings s;
    s.box = Box{-2, 2, 0, 0.5};
    s.maxThrows = 100'000;
    s.runs = 100;
    s.throws = 1000;
    const StudyResults r = runStudy(s, peak);
    EXPECT_TRUE(r.summary.clipped);
    EXPECT_NEAR(r.summary.clippedIntegral, clipped, 1e-8);
    EXPECT_NEAR(r.summary.clippedBias, clipped - std::sqrt(M_PI) * std::erf(2.0), 1e-8);
    EXPECT_DOUBLE_EQ(r.histogram.center, r.summary.clippedIntegral);
    EXPECT_DOUBLE_EQ(r.histogram.reference, r.reference.value);
    EXPECT_NEAR(r.meanEstimate, clipped, 4 * r.summary.sigma / std::sqrt(100.0));

    // The same peak in a box that holds it: nothing to say.
    s.box.ymax = 1;
    EXPECT_FALSE(runStudy(s, peak).summary.clipped);
}

TEST(Statistics, HistogramBinsAreWholeMultiplesOfTheGridStep) {
    const struct {
        Box box;
        int64_t throws;
        int runs;
    } cases[] = {{Box{0, 3, 0, 9}, 200, 200},
                 {Box{0, 3, 0, 9}, 10'000, 1000},
                 {Box{3, 0, 0, 9}, 500, 300},
                 {Box{0, 2 * M_PI, -1, 1}, 1000, 500}};
    for (const auto& c : cases) {
        StudySettings s;
        s.box = c.box;
        s.throws = c.throws;
        s.runs = c.runs;
        s.maxThrows = 1000;
        const StudyResults r = runStudy(s, [](double x) { return x * x * std::sin(x) + x; });
        const Histogram& h = r.histogram;
        ASSERT_GE(h.counts.size(), 1u);
        const double step = std::fabs(c.box.area()) / c.throws;
        EXPECT_NEAR(h.gridStep, step, 1e-12);
        const double width = h.edges[1] - h.edges[0];
        EXPECT_NEAR(width / step, std::round(width / step), 1e-6);
        for (size_t k = 1; k < h.edges.size(); ++k)
            EXPECT_NEAR(h.edges[k] - h.edges[k - 1], width, 1e-9 * width);
        // Edges halfway between grid values: no estimate lies on one.
        const double offset = h.edges[0] / step - std::floor(h.edges[0] / step);
        EXPECT_NEAR(offset, 0.5, 1e-6);
        EXPECT_EQ(std::accumulate(h.counts.begin(), h.counts.end(), 0), c.runs);
    }
}

TEST(Statistics, RootMeanSquareErrorFallsLikeOneOverRootNOnEverySeed) {
    for (uint64_t seed : {1u, 2u, 3u, 17u, 20261207u}) {
        SCOPED_TRACE(seed);
        StudySettings s;
        s.box = Box{0, 3, 0, 9};
        s.seed = seed;
        s.maxThrows = 100'000;
        s.runs = 0;
        s.maxTrapezoidIntervals = seed == 1 ? 100'000 : 1;
        const StudyResults r = runStudy(s, [](double x) { return x * x; });
        ASSERT_TRUE(r.finished);
        const Convergence& c = r.convergence;
        EXPECT_GE(c.rmsRuns, 16);
        const std::vector<double> n(c.n.begin(), c.n.end());
        for (const auto* curve : {&c.rmsHitOrMiss, &c.rmsMeanValue}) {
            const double slope = logLogSlope(n, *curve, 100, 1e5);
            EXPECT_GE(slope, -0.6);
            EXPECT_LE(slope, -0.4);
        }
        EXPECT_NEAR(logLogSlope(n, c.hitOrMissSigma), -0.5, 1e-9);
        if (seed == 1) {
            EXPECT_NEAR(c.trapezoidSlope, -2, 0.05);
        }
    }
}

TEST(Statistics, TrapezoidCurveMissingOrExactIsExplained) {
    const struct {
        std::function<double(double)> f;
        Box box;
        const char* note;  // empty: a curve with a fitted slope
    } cases[] = {
        {[](double x) { return 2 * x + 1; }, Box{0, 3, 0, 7}, "для линейной функции трапеции точны"},
        {[](double x) { return std::pow(x, 3) / (std::exp(x) - 1); }, Box{0, 12, 0, 1.5},
         "f не определена в узле x = 0"},
        {[](double x) { return x * x; }, Box{0, 3, 0, 9}, ""},
    };
    for (const auto& c : cases) {
        StudySettings s;
        s.box = c.box;
        s.maxThrows = 1000;
        s.runs = 10;
        const Convergence conv = runStudy(s, c.f).convergence;
        EXPECT_NE(conv.trapezoidNote.find(c.note), std::string::npos) << conv.trapezoidNote;
        EXPECT_EQ(std::isfinite(conv.trapezoidSlope), *c.note == 0) << conv.trapezoidSlope;
    }
}

TEST(Statistics, NumbersReadAsAStudentWritesThem) {
    const struct {
        double v;
        int digits;
        const char* text;
    } cases[] = {{6.49e-07, 2, "6,5·10⁻⁷"},
                 {1'000'000, 7, "1\u00A0000\u00A0000"},
                 {-0.0123, 3, "−0,0123"},
                 {9.000449999, 6, "9,00045"},
                 {2.5e9, 3, "2,5·10⁹"},
                 {9.96e-5, 2, "1·10⁻⁴"},
                 {NAN, 3, "—"},
                 {0, 3, "0"},
                 {1234, 3, "1230"}};
    for (const auto& c : cases) EXPECT_EQ(plainNumber(c.v, c.digits, ","), c.text) << c.v;
    EXPECT_EQ(plainNumber(0.5, 3, "."), "0.5");
    EXPECT_EQ(plainCount(32000), "32\u00A0000");  // a space no line breaks at
    // A verdict's numbers follow the main window's separator; a list's commas stay.
    EXPECT_EQ(withDecimalSeparator("около x ≈ 0 и x ≈ 0,33333, 1,5·10⁻⁷", "."),
              "около x ≈ 0 и x ≈ 0.33333, 1.5·10⁻⁷");
    EXPECT_EQ(withDecimalSeparator("x ≈ 0,5", ","), "x ≈ 0,5");
}

TEST(Statistics, NoValueMeansNoErrorsIntervalsOrNormalCurve) {
    // 1/(x − 0.3)² has infinite area on [0, 1]: nothing may be measured against a value.
    StudySettings s;
    s.box = Box{0, 1, 0, 400};
    s.throws = 200;
    s.mainRun.emplace(mainRun(s.box, 20, 0, 180, 40, 300));
    s.maxThrows = 1000;
    s.runs = 20;
    const StudyResults r = runStudy(s, [](double x) { return 1 / ((x - 0.3) * (x - 0.3)); });
    EXPECT_EQ(r.reference.kind, ReferenceKind::Divergent) << r.reference.verdict;
    EXPECT_EQ(std::string(referenceKindKey(r.reference.kind)), "divergent");
    const Summary& m = r.summary;
    for (double v : {m.reference, m.monteCarloError, m.trapezoidError, m.trapezoidOwnError, m.intervalLow,
                     m.intervalHigh, r.coverage, r.histogram.center, r.histogram.sigma})
        EXPECT_TRUE(std::isnan(v));
    EXPECT_FALSE(m.clipped);
    EXPECT_TRUE(r.convergence.rmsHitOrMiss.empty());
    EXPECT_TRUE(r.convergence.trapezoidError.empty());
    EXPECT_EQ(r.runsDone, 20);  // the experiments themselves still show their spread
    EXPECT_DOUBLE_EQ(m.monteCarlo, 40);
}
