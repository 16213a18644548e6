// The calculation core on its own: evaluation, range scan, trace, throws and
// trapezoid with no canvas and no window.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/evaluation.h"
#include "core/monte_carlo.h"
#include "core/random.h"
#include "core/range_scan.h"
#include "core/throw_steps.h"
#include "core/trace.h"
#include "tests/support/list_random.h"
#include "tests/support/point_script.h"

using namespace mcplot;

namespace {

// A script host that computes the user's function in C++ from the script's
// first line ("x=<x>"), or fails, or throws.
class FunctionHost : public ScriptHost {
public:
    explicit FunctionHost(std::function<double(double)> f) : f_(std::move(f)) {}
    void Reset() override { ++resets; }
    ScriptStatus AddObject(std::string_view, std::shared_ptr<PubResults> object) override {
        res_ = std::move(object);
        return ScriptStatus::success();
    }
    ScriptStatus ExecuteStatement(std::string_view code) override {
        ++runs;
        if (!f_) return ScriptStatus::failure(11, "Division by zero");
        res_->p = f_(mcplot::testing::pointArgument(code));
        return ScriptStatus::success();
    }
    int resets = 0, runs = 0;

private:
    std::function<double(double)> f_;
    std::shared_ptr<PubResults> res_;
};

Evaluator builtIn(int16_t nfun, double temperature = 0) {
    FunctionChoice choice;
    choice.nfun = nfun;
    choice.temperature = temperature;
    return Evaluator(choice);
}

Evaluator user(ScriptHost& host, std::string expression = "f(x)") {
    FunctionChoice choice;
    choice.nfun = 0;
    choice.expression = std::move(expression);
    return Evaluator(choice, &host);
}

}  // namespace

TEST(CoreEvaluation, BuiltInFormulasRoundToSingleAndReportNoValueAsNaN) {
    EXPECT_EQ(builtInFormula(1, 0.1, 0), 0.1f);
    EXPECT_EQ(builtInFormula(5, 2, 0), static_cast<float>(std::exp(-4.0)));
    EXPECT_NEAR(builtInFormula(6, 1, 0), 0.83043, 1e-5) << "Maxwell with 3.14, not pi";
    EXPECT_EQ(builtInFormula(9, 1, 0.9), 0.6f);
    EXPECT_TRUE(std::isnan(builtInFormula(7, 0, 0))) << "Planck 1 at 0 is 0/0";
    EXPECT_TRUE(std::isnan(builtInFormula(2, 1e20, 0))) << "beyond the single range";
}

TEST(CoreEvaluation, FailuresKeepTheValueBeforeThemAndAreCounted) {
    Evaluator f = builtIn(7);
    f.setStart(Number::dbl(0), Number::dbl(2.5));
    EXPECT_EQ(f.at(Number::dbl(0)).value(), 2.5);
    EXPECT_EQ(f.undefinedPoints(), 1);
    EXPECT_EQ(f.at(Number::dbl(2)).type(), NumType::Single);

    FunctionHost failing(nullptr);
    Evaluator g = user(failing, "1/x");
    g.setStart(Number::dbl(0), Number::single(4));
    EXPECT_EQ(g.at(Number::dbl(0.5)).value(), 4);
    EXPECT_EQ(g.failures(), 1);
    EXPECT_EQ(g.kod(), "x= .5\r\nRes.p=1/x");
    EXPECT_EQ(g.x().value(), 0.5);
}

TEST(CoreEvaluation, UserExpressionGivesADoubleAndKeepsOneResultObject) {
    FunctionHost host([](double x) { return x / 3; });
    Evaluator f = user(host);
    EXPECT_EQ(f.resultObject(), nullptr);
    EXPECT_EQ(f.at(Number::dbl(0.5)).value(), 0.5 / 3);
    EXPECT_EQ(f.y().type(), NumType::Double);
    const auto res = f.resultObject();
    ASSERT_NE(res, nullptr);
    f.at(Number::dbl(1));
    EXPECT_EQ(f.resultObject(), res);
    EXPECT_EQ(res->p, 1.0 / 3);
    EXPECT_EQ(host.resets, 2);
}

TEST(CoreEvaluation, AThrowingHostIsAFailureAndIsReported) {
    class ThrowingHost : public FunctionHost {
    public:
        ThrowingHost() : FunctionHost(nullptr) {}
        ScriptStatus ExecuteStatement(std::string_view) override { throw std::runtime_error("host broke"); }
    } host;
    Evaluator f = user(host);
    std::vector<std::string> reports;
    f.setReportSink([&](const std::string& m) { reports.push_back(m); });
    f.setStart(Number::dbl(0), Number::dbl(7));
    EXPECT_EQ(f.at(Number::dbl(1)).value(), 7);
    EXPECT_EQ(f.failures(), 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("host broke"), std::string::npos);
}

TEST(CoreEvaluation, AScriptOutOfTimeIsNotRunAgainUntilTheNextBudget) {
    class SlowHost : public FunctionHost {
    public:
        SlowHost() : FunctionHost(nullptr) {}
        ScriptStatus ExecuteStatement(std::string_view) override {
            ++runs;
            return ScriptStatus::failure(kScriptTimedOut, "Script timed out");
        }
    } host;
    Evaluator f = user(host);
    for (int k = 0; k < 5; ++k) f.at(Number::dbl(k));
    EXPECT_EQ(host.runs, 1);
    EXPECT_EQ(f.failures(), 5);
    f.startBudget();
    f.at(Number::dbl(1));
    EXPECT_EQ(host.runs, 2);
}

TEST(CoreRangeScan, ParabolaOnZeroToThreeWithScaleTwo) {
    Evaluator f = builtIn(2);
    const RangeScan r = scanRange(f, Number::dbl(0), 3, Number::integer(100), 2);
    EXPECT_EQ(r.h, 0.03f);
    EXPECT_EQ(r.ymin.value(), 0);
    EXPECT_EQ(r.ymax, 9.0f);
    EXPECT_EQ(r.x1.value(), -1.5);
    EXPECT_EQ(r.x2.value(), 4.5);
    EXPECT_EQ(r.y1.value(), 13.5);
    EXPECT_EQ(r.y2, -4.5f);
    EXPECT_EQ(r.xc.value(), 1.5);
    EXPECT_EQ(f.x().value(), static_cast<double>(0.03f * 100)) << "left on the last sample";
}

TEST(CoreRangeScan, SineAndCosinePresets) {
    Evaluator sine = builtIn(3);
    RangeScan r = scanRange(sine, Number::dbl(0), 3.1415927f, Number::integer(100), 2);
    EXPECT_EQ(r.ymax, 1.0f);
    EXPECT_EQ(r.ymin.value(), static_cast<double>(static_cast<float>(std::sin(0.0 + 0.031415927f * 100.0f))))
        << "the last sample lies just past pi";
    EXPECT_LE(r.ymin.value(), 0);

    constexpr double halfPi = 3.14159265 / 2;
    Evaluator cosine = builtIn(4);
    r = scanRange(cosine, Number::dbl(-halfPi), static_cast<float>(halfPi), Number::integer(100), 1);
    EXPECT_EQ(r.ymax, 1.0f);
    EXPECT_NEAR(r.x1.value(), -halfPi, 1e-12) << "with scale 1 the window is [a, b] x [ymin, ymax]";
    EXPECT_NEAR(r.x2.value(), static_cast<float>(halfPi), 1e-12);
    EXPECT_NEAR(r.y2, r.ymin.value(), 1e-7);
}

TEST(CoreRangeScan, AFunctionThatFailsEverywhereScansItsStaleValue) {
    FunctionHost failing(nullptr);
    Evaluator f = user(failing);
    f.setStart(Number::dbl(0), Number::dbl(-2));
    const RangeScan r = scanRange(f, Number::dbl(0), 1, Number::integer(100), 1);
    EXPECT_EQ(f.failures(), 101);
    EXPECT_EQ(r.ymin.value(), -2);
    EXPECT_EQ(r.ymax, 0.0f);
    EXPECT_EQ(r.y1.value(), 0) << "with scale 1 the x axis is the top edge";
}

TEST(CoreRangeScan, WindowsWithoutExtentAreWidened) {
    Evaluator zero = builtIn(1);
    const RangeScan r = scanRange(zero, Number::dbl(2), 2, Number::integer(100), 2);
    EXPECT_NE(r.x1.value(), r.x2.value());
    EXPECT_GT(r.y1.value(), r.y2);
}

TEST(CoreTrace, HundredAndOnePointsInSingleFromTheLowerLimit) {
    Evaluator f = builtIn(2);
    const auto points = tracePoints(f, Number::dbl(0), 0.03f, Number::integer(100));
    ASSERT_EQ(points.size(), 101u);
    EXPECT_EQ(points[0].x, 0.0f);
    EXPECT_EQ(points[0].y, 0.0f);
    EXPECT_EQ(points[100].x, static_cast<float>(0.03f * 100));
    EXPECT_EQ(points[100].y, static_cast<float>(std::pow(static_cast<double>(0.03f * 100), 2)));

    FunctionHost failing(nullptr);
    Evaluator g = user(failing);
    g.setStart(Number::dbl(0), Number::dbl(2));
    for (const TracePoint& p : tracePoints(g, Number::dbl(0), 0.03f, Number::integer(100)))
        EXPECT_EQ(p.y, 2.0f);
}

TEST(CoreThrows, CountsAndKindsForAFixedSequence) {
    // f(x) = x on [-1, 1]: ymin = -1, ymax = 1, x = -1 + 2 r1, yr = -1 + 2 r2.
    Evaluator f = builtIn(1);
    mcplot::testing::ListRandom random({0.75f, 0.625f,  // (.5, .25) under the curve, above the axis
                                        0.25f, 0.375f,  // (-.5, -.25) over the curve, below the axis
                                        0.75f, 0.875f,  // (.5, .75) above the curve
                                        0.25f, 0.125f,  // (-.5, -.75) below the curve
                                        0.5f, 0.5f});   // (0, 0) on the axis and the curve
    const ThrowBox box{Number::dbl(-1), 1, Number::single(-1), 1};
    std::vector<ThrowKind> kinds;
    std::vector<double> xs;
    const ThrowTally tally = throwPoints(f, box, 5, random, [&](double x, float, ThrowKind kind) {
        kinds.push_back(kind);
        xs.push_back(x);
    });
    EXPECT_EQ(kinds, (std::vector<ThrowKind>{ThrowKind::Above, ThrowKind::Below, ThrowKind::Miss,
                                             ThrowKind::Miss, ThrowKind::Above}));
    EXPECT_EQ(xs, (std::vector<double>{0.5, -0.5, 0.5, -0.5, 0}));
    EXPECT_EQ(tally.nplus.value(), 2);
    EXPECT_EQ(tally.nplus.type(), NumType::Integer);
    EXPECT_EQ(tally.nminus.value(), 1);
    EXPECT_EQ(tally.counted, 3);
    EXPECT_EQ(tally.missed, 2);
    EXPECT_EQ(tally.lastYr, 0.0f);
    // 2 * 2 * (2 - 1) / 5
    EXPECT_EQ(monteCarloValue(box, tally, 5), static_cast<float>(0.8));
    EXPECT_EQ(random.drawn, 10u) << "two numbers a throw";
}

TEST(CoreThrows, TheSameSeedGivesTheSameRunOnAnotherEvaluator) {
    const ThrowBox box{Number::dbl(0.01), 12, Number::integer(0), 1.4f};
    auto run = [&] {
        Evaluator f = builtIn(7);
        ClockRandom random;
        random.fixSeed(7);
        random.reseedFromClock();
        return countThrows(f, box, 20000, random);
    };
    const ThrowTally first = run(), second = run();
    EXPECT_EQ(first.nplus.value(), second.nplus.value());
    EXPECT_EQ(first.counted + first.missed, 20000);
    // The integral of x^3/(e^x - 1) over [0.01, 12] is close to pi^4/15.
    EXPECT_NEAR(monteCarloValue(box, first, 20000), 6.49, 0.25);
}

TEST(CoreThrows, AFailingExpressionComparesEveryThrowWithTheStaleValue) {
    FunctionHost failing(nullptr);
    Evaluator f = user(failing);
    f.setStart(Number::dbl(0), Number::dbl(0.5));
    mcplot::testing::ListRandom random({0.5f, 0.25f, 0.5f, 0.75f});
    const ThrowBox box{Number::dbl(0), 1, Number::integer(0), 1};
    const ThrowTally tally = countThrows(f, box, 2, random);
    EXPECT_EQ(tally.counted, 1) << "yr = .25 lies under the stale .5, yr = .75 above it";
    EXPECT_EQ(f.failures(), 2);
    EXPECT_EQ(random.drawn, 4u);
}

TEST(CoreTrapezoid, LinearOnTheUnitIntervalWithItsTypes) {
    Evaluator f = builtIn(1);
    const TrapezoidResult t = trapezoid(f, Number::dbl(0), 1);
    EXPECT_NEAR(t.itrap.value(), 0.5, 1e-12);
    EXPECT_EQ(t.itrap.type(), NumType::Double);
    EXPECT_EQ(t.htrap.value(), 0.01);
    EXPECT_EQ(t.yleft.type(), NumType::Single);
    EXPECT_EQ(t.yright, 1.0f);
    EXPECT_EQ(f.x().value(), 99 * 0.01 + 0.01) << "left on the right end of the last interval";
}

TEST(CoreTrapezoid, PresetsAndAFailingExpression) {
    Evaluator gauss = builtIn(5);
    EXPECT_NEAR(trapezoid(gauss, Number::dbl(0), 3).itrap.value(),
                std::sqrt(std::numbers::pi) / 2 * std::erf(3.0), 1e-4);
    Evaluator parabola = builtIn(2);
    EXPECT_NEAR(trapezoid(parabola, Number::dbl(0), 3).itrap.value(), 9, 1e-3);

    FunctionHost failing(nullptr);
    Evaluator f = user(failing);
    f.setStart(Number::dbl(0), Number::dbl(2));
    const TrapezoidResult t = trapezoid(f, Number::dbl(0), 3);
    EXPECT_NEAR(t.itrap.value(), 6, 1e-9) << "every end keeps the stale 2";
    EXPECT_EQ(f.failures(), 200);
}

TEST(CoreThrowSteps, StepsOfAnySizeCountWhatOneRunCountsWithTheSameNumbers) {
    struct Case {
        int nfun;
        ThrowBox box;
        std::vector<int> steps;  // sizes of the successive additions
    };
    const Case cases[] = {
        // Typed fast path: a Double lower limit with a box from 0.
        {2, {Number::dbl(0), 3, Number::integer(0), 9}, std::vector<int>(300, 1)},
        // A function that changes sign, in uneven batches.
        {3, {Number::dbl(-2), 5, Number::single(-1), 1}, {1, 10, 100, 1000, 7, 1}},
        // A Double bottom takes the general typed path.
        {5, {Number::dbl(-1.5), 2.5f, Number::dbl(0.0001), 1}, {250, 250, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        int total = 0;
        for (int k : c.steps) total += k;
        auto seeded = [] {
            ClockRandom r;
            r.fixSeed(42);
            r.reseedFromClock();
            return r;
        };
        Evaluator once = builtIn(c.nfun);
        ClockRandom r1 = seeded();
        std::vector<ThrowKind> kindsOnce;
        const ThrowTally all =
            throwPoints(once, c.box, total, r1, [&](double, float, ThrowKind k) { kindsOnce.push_back(k); });

        Evaluator stepped = builtIn(c.nfun);
        ClockRandom r2 = seeded();
        ThrowSteps steps(c.box);
        std::vector<ThrowKind> kindsStepped;
        for (int k : c.steps)
            steps.add(stepped, k, r2, [&](double, float, ThrowKind kind) { kindsStepped.push_back(kind); });

        SCOPED_TRACE(c.nfun);
        EXPECT_EQ(kindsStepped, kindsOnce);
        EXPECT_EQ(steps.throws(), total);
        EXPECT_EQ(steps.plus(), all.nplus.value());
        EXPECT_EQ(steps.minus(), all.nminus.value());
        EXPECT_EQ(steps.missed(), all.missed);
        EXPECT_EQ(steps.estimate(), monteCarloValue(c.box, all, total));
    }
    EXPECT_FALSE(ThrowSteps().estimate()) << "no estimate before the first throw";
    // A function that keeps its sign: σ = S·√(p(1 − p)/n).
    EXPECT_DOUBLE_EQ(hitOrMissSigma(9, 1.0 / 3, 1.0 / 3, 100), 9 * std::sqrt(2.0 / 9 / 100));
}
