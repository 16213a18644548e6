// The study's work on threads: repeatable figures, prompt cancel, partial
// results, and a failing function that stops everything with its explanation.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "study/study.h"
#include "tests/study/failing.h"

using namespace mcplot::study;
using namespace std::chrono;

namespace {

StudySettings parabolaSettings() {
    StudySettings s;
    s.box = Box{0, 3, 0, 9};
    s.throws = 500;
    s.runs = 60;
    s.maxThrows = 100'000;
    s.maxTrapezoidIntervals = 1000;
    s.seed = 123456789;
    return s;
}

// A function that takes its time, so that a study is still running when a
// test looks at it.
double slowSquare(double x) {
    double y = x;
    for (int k = 0; k < 300; ++k) y = std::sqrt(y * y + 1e-300);
    return y * x;
}

}  // namespace

TEST(StudyRunner, SameSeedSameFiguresOnOneAndTwoThreads) {
    StudyResults results[2];
    for (unsigned threads : {1u, 2u}) {
        StudySettings s = parabolaSettings();
        s.threads = threads;
        Study study(s, factoryOf([](double x) { return std::sin(3 * x) + x; }));
        EXPECT_EQ(study.threads(), threads);
        study.start();
        study.wait();
        results[threads - 1] = study.snapshot();
        ASSERT_TRUE(results[threads - 1].finished);
    }
    const StudyResults &one = results[0], &two = results[1];
    EXPECT_EQ(one.convergence.n, two.convergence.n);
    EXPECT_EQ(one.convergence.hitOrMiss, two.convergence.hitOrMiss);
    EXPECT_EQ(one.convergence.meanValue, two.convergence.meanValue);
    EXPECT_EQ(one.convergence.trapezoidError, two.convergence.trapezoidError);
    EXPECT_EQ(one.histogram.edges, two.histogram.edges);
    EXPECT_EQ(one.histogram.counts, two.histogram.counts);
    EXPECT_EQ(one.coverage, two.coverage);
    EXPECT_EQ(one.meanEstimate, two.meanEstimate);

    // Another seed gives other throws.
    StudySettings s = parabolaSettings();
    s.seed = 987654321;
    Study other(s, factoryOf([](double x) { return std::sin(3 * x) + x; }));
    other.start();
    other.wait();
    EXPECT_NE(other.snapshot().convergence.hitOrMiss, one.convergence.hitOrMiss);
}

TEST(StudyRunner, CancelStopsPromptly) {
    StudySettings s = parabolaSettings();
    s.maxThrows = 10'000'000;
    s.runs = 200;
    s.throws = 32000;
    Study study(s, factoryOf(slowSquare));
    study.start();
    std::this_thread::sleep_for(milliseconds(200));
    ASSERT_TRUE(study.running());
    const auto before = steady_clock::now();
    study.cancel();
    study.wait();
    const auto took = duration_cast<microseconds>(steady_clock::now() - before);
    std::printf("cancel took %.3f ms\n", took.count() / 1000.0);
    EXPECT_LT(took, milliseconds(1000));  // 100 ms on an idle machine; generous for a loaded one
    const StudyResults r = study.snapshot();
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.finished);
    EXPECT_LT(r.progress, 1.0);
}

TEST(StudyRunner, PartialResultsGrowIntoTheFinalOnes) {
    StudySettings s = parabolaSettings();
    s.maxThrows = 100'000;
    s.maxTrapezoidIntervals = 100;
    Study study(s, factoryOf(slowSquare));
    study.start();
    StudyResults partial;
    for (int k = 0; k < 400 && study.running(); ++k) {
        std::this_thread::sleep_for(milliseconds(5));
        partial = study.snapshot();
        if (!partial.convergence.n.empty() && !partial.finished) break;
    }
    study.wait();
    const StudyResults done = study.snapshot();
    ASSERT_TRUE(done.finished);
    EXPECT_LT(partial.progress, 1.0);
    EXPECT_DOUBLE_EQ(done.progress, 1.0);
    ASSERT_LE(partial.convergence.n.size(), done.convergence.n.size());
    for (size_t k = 0; k < partial.convergence.n.size(); ++k) {
        EXPECT_EQ(partial.convergence.n[k], done.convergence.n[k]);
        EXPECT_EQ(partial.convergence.hitOrMiss[k], done.convergence.hitOrMiss[k]);
    }
}

TEST(StudyRunner, FailingFunctionGivesItsExplanationAndNoFigures) {
    StudySettings s = parabolaSettings();
    s.threads = 2;
    Study study(s, studytest::failingWhere([](double x) { return x > 2; }, 3));
    study.start();
    study.wait();
    const StudyResults r = study.snapshot();
    ASSERT_TRUE(r.failure);
    const std::string explanation = r.failure->explanation();
    EXPECT_NE(explanation.find("деление на ноль"), std::string::npos);
    EXPECT_NE(explanation.find("(позиция 3, x = "), std::string::npos) << explanation;
    EXPECT_GT(r.failure->x, 2);
    EXPECT_FALSE(r.finished);
    EXPECT_FALSE(r.hasReference);
    EXPECT_TRUE(r.convergence.n.empty());
    EXPECT_TRUE(r.histogram.counts.empty());
    EXPECT_TRUE(std::isnan(r.coverage));
}

TEST(StudyRunner, LogSpacedCountsAndTrapezoidRule) {
    EXPECT_EQ(logSpacedCounts(10, 100), (std::vector<int64_t>{10, 13, 16, 20, 25, 32, 40, 50, 63, 79, 100}));
    EXPECT_EQ(logSpacedCounts(10, 45).back(), 45);
    auto f = [](double x) -> std::optional<double> { return x * x; };
    EXPECT_NEAR(*mcplot::trapezoidRule(f, 0, 3, 100), 9 + 27.0 / 60000, 1e-12);
    EXPECT_NEAR(*mcplot::trapezoidRule(f, 3, 0, 100), -(9 + 27.0 / 60000), 1e-12);
}
