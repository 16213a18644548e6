// The reference value against closed forms and independent series, and the
// verdict where quadrature cannot give a trustworthy number.
#include <gtest/gtest.h>

#include <boost/math/special_functions/bernoulli.hpp>

#include <chrono>
#include <cmath>
#include <thread>

#include "core/vbscript_host.h"
#include "study/program_integrands.h"
#include "study/reference.h"
#include "tests/study/failing.h"

using namespace mcplot;
using namespace mcplot::study;

namespace {

ReferenceOutcome outcomeOf(const IntegrandFactory& make, double a, double b) {
    auto f = make();
    std::atomic<bool> cancel{false};
    return computeReference(*f, Box{a, b, 0, 1}, cancel);
}

Reference referenceOf(const IntegrandFactory& make, double a, double b) {
    return outcomeOf(make, a, b).result;
}

Reference referenceOf(auto f, double a, double b) {
    return referenceOf(factoryOf(f), a, b);
}

IntegrandFactory typed(const std::string& expression) {
    return expressionIntegrand(expression, [] { return std::make_unique<VBScriptHost>(); });
}

IntegrandFactory lambda(double (*f)(double)) {
    return factoryOf(f);
}

// ∫ x³/(eˣ − 1) over [a, b] as Σ_k ∫ x³ e^(−kx) dx, each term in closed form.
double planckSeries(double a, double b) {
    auto term = [](double x, double k) {
        return -std::exp(-k * x) *
               (x * x * x / k + 3 * x * x / (k * k) + 6 * x / (k * k * k) + 6 / (k * k * k * k));
    };
    double sum = 0;
    for (int k = 1; k <= 2'000'000; ++k) sum += term(b, k) - term(a, k);
    return sum;
}

// ∫ x³/(eˣ − 1) over [−1, 1] from x/(eˣ − 1) = Σ B_n xⁿ/n!: only even n and
// B₁ survive, and B₁'s odd term integrates to 0.
double planckAroundZero() {
    double sum = 0, factorial = 1;
    for (int k = 0; k < 30; ++k) {
        if (k > 0) factorial *= (2 * k - 1) * (2 * k);
        sum += boost::math::bernoulli_b2n<double>(k) / factorial * 2 / (2 * k + 3);
    }
    return sum;
}

std::string describe(const Reference& r) {
    return std::string(referenceKindKey(r.kind)) + " " + std::to_string(r.value) + " ± " +
           std::to_string(r.error) + ": " + r.verdict;
}

}  // namespace

TEST(Reference, MatchesClosedForms) {
    const Reference parabola = referenceOf([](double x) { return x * x; }, 0, 3);
    EXPECT_TRUE(parabola.reliable());
    EXPECT_NEAR(parabola.value, 9.0, 1e-12);
    EXPECT_LT(parabola.error, 1e-9);
    EXPECT_NEAR(parabola.squareIntegral, 243.0 / 5, 1e-10);  // ∫ x⁴
    EXPECT_NE(parabola.verdict.find("Точное значение найдено с погрешностью не более"), std::string::npos);

    const Reference planck =
        referenceOf([](double x) { return std::pow(x, 3) / (std::exp(x) - 1); }, 0.01, 12);
    EXPECT_TRUE(planck.reliable());
    EXPECT_NEAR(planck.value, planckSeries(0.01, 12), 1e-9);
    EXPECT_NEAR(planck.value, std::pow(M_PI, 4) / 15, 0.015);  // ∫₀^∞ less a tail of 0.0137
}

TEST(Reference, PresetsOnTheirLimitsAreReliable) {
    const double T = 0.9, maxwell = 4 / std::sqrt(3.14);
    auto gaussPart = [](double x) { return std::sqrt(M_PI) / 4 * std::erf(x) - x * std::exp(-x * x) / 2; };
    const struct {
        int nfun;
        double a, b, exact;
    } presets[] = {
        {1, 0, 3, 4.5},
        {2, 0, 3, 9},
        {3, 0, 3.1415927, 1 - std::cos(3.1415927)},
        {4, -3.14159265 / 2, 3.14159265 / 2, 2 * std::sin(3.14159265 / 2)},
        {5, 0, 3, std::sqrt(M_PI) / 2 * std::erf(3.0)},
        {6, 0, 3, maxwell * (gaussPart(3) - gaussPart(0))},
        {7, 0.01, 12, planckSeries(0.01, 12)},
        {8, 0.01, 2, planckSeries(0.5, 100)},  // u = 1/x turns it into Planck 1
        {9, 0.5, 5, 8 * T / 3 * std::log(14 / 0.5) + 3 / 5.0 - 3 / 0.5},
    };
    for (const auto& p : presets) {
        const Reference r = referenceOf(builtInIntegrand(p.nfun, T), p.a, p.b);
        EXPECT_TRUE(r.reliable()) << p.nfun << ": " << describe(r);
        EXPECT_NEAR(r.value, p.exact, 1e-12 * std::fabs(p.exact)) << p.nfun;
        EXPECT_LE(r.error, 1e-9 * std::fabs(p.exact)) << p.nfun;
    }
}

TEST(Reference, NarrowPeaksTheScanSawAreFound) {
    // exp(−((x − c)/w)²) on [0; 14.2]; the narrowest is a fifth of the scan's
    // step, and sits on a point of the main window's 101-point range scan.
    const struct {
        double centre, width;
    } peaks[] = {{7.526, 0.5},   {3.3333, 0.05},  {10.0001, 0.005}, {7.526, 0.005},
                 {0.284, 0.001}, {13.916, 0.001}, {7.526, 0.0007},  {0.0, 0.003}};
    for (const auto& p : peaks) {
        auto f = factoryOf([p](double x) { return std::exp(-std::pow((x - p.centre) / p.width, 2)); });
        const double exact = p.width * std::sqrt(M_PI) / 2 *
                             (std::erf((14.2 - p.centre) / p.width) + std::erf(p.centre / p.width));
        const Reference r = referenceOf(f, 0, 14.2);
        EXPECT_TRUE(r.reliable()) << p.centre << " " << p.width << ": " << describe(r);
        EXPECT_NEAR(r.value, exact, 1e-10 * exact) << p.centre << " " << p.width;
    }
    // The case from a typed formula.
    const Reference typedPeak = referenceOf(typed("exp(0-((x-7.526)/0.005)^2)"), 0, 14.2);
    EXPECT_NEAR(typedPeak.value, 0.005 * std::sqrt(M_PI), 1e-12) << describe(typedPeak);
}

TEST(Reference, NonIntegrableSingularitiesDiverge) {
    const struct {
        const char* name;
        IntegrandFactory f;
        double a, b;
        double pole;
        const char* shown;
    } cases[] = {
        {"tan", lambda([](double x) { return std::tan(x); }), 0, 3, M_PI / 2, "1,5708"},
        {"Tan typed", typed("Tan(x)"), 0, 3, M_PI / 2, "1,5708"},
        {"1/(x-0.1234)", lambda([](double x) { return 1 / (x - 0.1234); }), 0, 2, 0.1234, "0,1234"},
        {"1/(x-0.1234) typed", typed("1/(x-0.1234)"), 0, 2, 0.1234, "0,1234"},
        {"Planck 2", builtInIntegrand(8, 0.9), -1, 2, 0, "0"},
        {"Van der Waals", builtInIntegrand(9, 0.9), 0.2, 1, 1.0 / 3, "0,33333"},
        {"1/x² across 0", lambda([](double x) { return 1 / (x * x); }), -1, 1, 0, "0"},
        {"1/x² typed", typed("1/x^2"), -0.5, 2, 0, "0"},
        {"1/(x-0.3) reversed", lambda([](double x) { return 1 / (x - 0.3); }), 1, 0, 0.3, "0,3"},
    };
    for (const auto& c : cases) {
        const ReferenceOutcome outcome = outcomeOf(c.f, c.a, c.b);
        const Reference& r = outcome.result;
        EXPECT_EQ(r.kind, ReferenceKind::Divergent) << c.name << ": " << describe(r);
        EXPECT_TRUE(std::isnan(r.value)) << c.name;
        EXPECT_FALSE(outcome.stopped()) << c.name;
        EXPECT_NE(r.verdict.find(std::string("интеграл расходится (особенность около x ≈ ") + c.shown + ")"),
                  std::string::npos)
            << c.name << ": " << r.verdict;
        ASSERT_TRUE(r.singularity) << c.name;
        EXPECT_NEAR(*r.singularity, c.pole, 1e-9) << c.name;
        EXPECT_FALSE(r.squareIntegrable) << c.name;
        EXPECT_TRUE(std::isfinite(r.clippedIntegral)) << c.name;  // what the throws see stays finite
    }
    const Reference both = referenceOf(builtInIntegrand(9, 0.9), -1, 1);
    EXPECT_NE(both.verdict.find("интеграл расходится (особенности около x ≈ 0 и x ≈ 0,33333)"),
              std::string::npos)
        << both.verdict;
}

TEST(Reference, IntegrableSingularitiesAndJumpsAreApproximate) {
    const struct {
        const char* name;
        IntegrandFactory f;
        double a, b, exact;
        bool squareIntegrable;
        double usefulShare;  // the error bound must stay below this share of the value
    } cases[] = {
        {"1/√|x|", lambda([](double x) { return 1 / std::sqrt(std::fabs(x)); }), -1, 1, 4, false, 1e-5},
        {"1/√x", lambda([](double x) { return 1 / std::sqrt(x); }), 0, 1, 2, false, 1e-5},
        {"1/√|x − 0.3123|", lambda([](double x) { return 1 / std::sqrt(std::fabs(x - 0.3123)); }), 0, 1,
         2 * (std::sqrt(0.3123) + std::sqrt(1 - 0.3123)), false, 1e-5},
        {"ln|x − 1|", lambda([](double x) { return std::log(std::fabs(x - 1)); }), 0, 2, -2, true, 1e-5},
        {"Log(Abs(x-1)) typed", typed("Log(Abs(x-1))"), 0, 2, -2, true, 1e-5},
        {"a jump at 1/√2", lambda([](double x) { return x < 1 / std::sqrt(2.0) ? 0.0 : 1.0; }), 0, 1,
         1 - 1 / std::sqrt(2.0), true, 1e-5},
        // Nearly a pole: most of the area lies closer to x = 1.1 than doubles reach.
        {"1/Abs(x-1.1)^0.95 typed", typed("1/Abs(x-1.1)^0.95"), -1, 3,
         (std::pow(2.1, 0.05) + std::pow(1.9, 0.05)) / 0.05, false, 2},
    };
    for (const auto& c : cases) {
        const Reference r = referenceOf(c.f, c.a, c.b);
        EXPECT_EQ(r.kind, ReferenceKind::Approximate) << c.name << ": " << describe(r);
        EXPECT_LE(std::fabs(r.value - c.exact), r.error) << c.name << ": " << describe(r);  // honest
        EXPECT_LT(r.error, c.usefulShare * std::fabs(c.exact))
            << c.name << ": " << describe(r);  // and useful
        EXPECT_EQ(r.squareIntegrable, c.squareIntegrable) << c.name;
        EXPECT_TRUE(r.singularity) << c.name;
    }
    const Reference jump = referenceOf([](double x) { return x < 1 / std::sqrt(2.0) ? 0.0 : 1.0; }, 0, 1);
    EXPECT_NE(jump.verdict.find("скачок"), std::string::npos) << jump.verdict;
}

TEST(Reference, APointWithoutAValueDoesNotChangeTheIntegral) {
    double sinc = 0, term = 2;  // 2·Si(1) = 2·Σ (−1)ⁿ/((2n + 1)·(2n + 1)!)
    for (int n = 0; n < 12; term *= -1.0 / ((2 * n + 2) * (2 * n + 3)), ++n) sinc += term / (2 * n + 1);
    const struct {
        const char* name;
        IntegrandFactory f;
        double a, b, exact;
    } cases[] = {
        {"sin(x)/x", lambda([](double x) { return std::sin(x) / x; }), -1, 1, sinc},
        {"Sin(x)/x typed", typed("Sin(x)/x"), -1, 1, sinc},
        {"Planck 1", builtInIntegrand(7, 0.9), -1, 1, planckAroundZero()},
    };
    for (const auto& c : cases) {
        const ReferenceOutcome outcome = outcomeOf(c.f, c.a, c.b);
        const Reference& r = outcome.result;
        EXPECT_TRUE(r.reliable()) << c.name << ": " << describe(r);
        EXPECT_FALSE(outcome.stopped()) << c.name;
        EXPECT_NEAR(r.value, c.exact, 1e-12) << c.name;
        EXPECT_NE(r.verdict.find("f не определена в точке x = 0, на интеграл это не влияет"),
                  std::string::npos)
            << c.name << ": " << r.verdict;
    }
}

// f's failure at the stretch's first point stops the computation; a stretch
// where f merely has no finite value is Failed in the verdict alone.
TEST(Reference, NoValueOnAStretchIsAFailureThatSaysWhere) {
    const struct {
        const char* name;
        IntegrandFactory f;
        double a, b;
        const char* where;
        const char* why;
        int position;  // of f's failure; -1: f does not fail there
    } cases[] = {
        {"Sqr(x)", typed("Sqr(x)"), -2, 1, "при x от -2 до -0,0005", "Ошибка 5", 1},
        {"Log(x)", typed("Log(x)"), -1, 1, "при x от -1 до 0", "Ошибка 5", 1},
        {"fails past 0.5", studytest::failingWhere([](double x) { return x > 0.5; }), 0, 1,
         "при x от 0,50025 до 1", "Ошибка 11: деление на ноль (x = ", 0},
        {"not finite left of -0.5", lambda([](double x) { return x < -0.5 ? std::nan("") : x; }), -1, 1,
         "при x от -1 до -0,5005", "(значение не является конечным числом)", -1},
    };
    for (const auto& c : cases) {
        const ReferenceOutcome outcome = outcomeOf(c.f, c.a, c.b);
        const Reference& r = outcome.result;
        EXPECT_EQ(r.kind, ReferenceKind::Failed) << c.name << ": " << describe(r);
        EXPECT_NE(r.verdict.find(c.where), std::string::npos) << c.name << ": " << r.verdict;
        EXPECT_NE(r.verdict.find(c.why), std::string::npos) << c.name << ": " << r.verdict;
        EXPECT_FALSE(outcome.cancelled) << c.name;
        ASSERT_EQ(outcome.failure.has_value(), c.position >= 0) << c.name;
        if (!outcome.failure) continue;
        EXPECT_EQ(outcome.failure->position, c.position) << c.name;
        ASSERT_TRUE(r.singularity) << c.name;
        EXPECT_EQ(outcome.failure->x, *r.singularity) << c.name;
        EXPECT_NE(r.verdict.find("(" + outcome.failure->explanation() + ")"), std::string::npos)
            << c.name << ": " << r.verdict;
    }
}

TEST(Reference, FastOscillationIsComputedAndNamed) {
    const Reference r = referenceOf([](double x) { return std::pow(std::sin(1000 * x), 2); }, 0, 3);
    const double exact = 1.5 - std::sin(6000.0) / 4000;
    EXPECT_LE(std::fabs(r.value - exact), r.error) << describe(r);
    EXPECT_LT(r.error, 1e-8) << describe(r);
    EXPECT_NE(r.verdict.find("колеблется"), std::string::npos) << r.verdict;
    EXPECT_EQ(r.kind, ReferenceKind::Reliable) << describe(r);
    EXPECT_EQ(r.verdict.find("Около x"), std::string::npos) << r.verdict;
}

TEST(Reference, TinyScalesRandomValuesAndCancelAreQuick) {
    using Clock = std::chrono::steady_clock;
    const struct {
        const char* name;
        IntegrandFactory f;
        ReferenceKind kind;
        double value;
    } cases[] = {
        {"1E-320", lambda([](double) { return 1e-320; }), ReferenceKind::Reliable, 1e-320},
        {"1E-320 typed", typed("1E-320"), ReferenceKind::Reliable, 1e-320},
        {"0", lambda([](double) { return 0.0; }), ReferenceKind::Reliable, 0},
        {"Sqr(Rnd*x)", typed("Sqr(Rnd*x)"), ReferenceKind::Random, NAN},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        const Reference r = referenceOf(c.f, 0, 3);
        EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 1.0) << c.name;
        EXPECT_EQ(r.kind, c.kind) << c.name << ": " << describe(r);
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(r.value)) << c.name;
            EXPECT_NE(r.verdict.find("меняется от вызова к вызову"), std::string::npos) << r.verdict;
        } else {
            EXPECT_LE(std::fabs(r.value - 3 * c.value), r.error) << c.name;
            EXPECT_LE(r.error, 1e-3 * c.value + 1e-323) << c.name;
        }
    }

    std::atomic<bool> cancel{true};
    auto g = factoryOf([](double x) { return x; })();
    const ReferenceOutcome cancelled = computeReference(*g, Box{0, 1, 0, 1}, cancel);
    EXPECT_EQ(cancelled.result.kind, ReferenceKind::Failed);
    EXPECT_EQ(cancelled.result.verdict, "Вычисление прервано.");
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.failure);
}

TEST(Reference, TheBudgetBoundsAnyFunction) {
    // Noise that is the same at the same x: neither random nor smooth.
    auto noise = factoryOf([](double x) {
        const double s = std::sin(x * 12.9898e6) * 43758.5453;
        return s - std::floor(s);
    });
    for (const long evaluations : {budgets::kReferenceEvaluations, 20'000L}) {
        const auto start = std::chrono::steady_clock::now();
        auto f = noise();
        std::atomic<bool> cancel{false};
        const Reference r = computeReference(*f, Box{0, 1, 0, 1}, cancel, evaluations).result;
        EXPECT_LT(std::chrono::steady_clock::now() - start, budgets::kReferenceComputation * 2);
        EXPECT_EQ(r.kind, ReferenceKind::Approximate) << describe(r);
        EXPECT_LE(std::fabs(r.value - 0.5), r.error) << describe(r);
    }

    // Evaluations so slow that even the scan cannot finish: stopped soon after
    // the time, with no number, and not as a failure of f.
    auto slow = factoryOf([](double x) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return x;
    })();
    std::atomic<bool> cancel{false};
    const auto start = std::chrono::steady_clock::now();
    const ReferenceOutcome outcome = computeReference(*slow, Box{0, 1, 0, 1}, cancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, budgets::kReferenceComputation * 2);
    EXPECT_EQ(outcome.result.kind, ReferenceKind::Failed);
    EXPECT_NE(outcome.result.verdict.find("вычисляется слишком долго"), std::string::npos)
        << outcome.result.verdict;
    EXPECT_FALSE(outcome.stopped());
}

TEST(Reference, ReversedLimitsChangeTheSign) {
    const Reference r = referenceOf([](double x) { return x * x; }, 3, 0);
    EXPECT_NEAR(r.value, -9.0, 1e-12);
}

TEST(Reference, ClippedIntegralsSeeOnlyTheBox) {
    // sin on [0, 2π] with the box reaching 0.5 above and 1 below the axis.
    FunctionIntegrand f([](double x) { return std::sin(x); });
    std::atomic<bool> cancel{false};
    const Reference r = computeReference(f, Box{0, 2 * M_PI, -1, 0.5}, cancel).result;
    // Above the axis sin is cut at 0.5 on [π/6, 5π/6]; below it stays whole (−2).
    const double above = 2 * (1 - std::cos(M_PI / 6)) + 0.5 * (M_PI - M_PI / 3);
    EXPECT_NEAR(r.clippedIntegral, above - 2, 1e-9);
    EXPECT_NEAR(r.clippedAbsIntegral, above + 2, 1e-9);
    EXPECT_NEAR(r.value, 0, 1e-12);
}

TEST(Reference, SaysSoWhenItCannotBeTrusted) {
    // A pole inside the interval.
    const Reference pole = referenceOf([](double x) { return 1 / (x - 0.3); }, 0, 1);
    EXPECT_FALSE(pole.reliable());
    EXPECT_NE(pole.verdict.find("полюс"), std::string::npos);

    // A jump at a point no bisection reaches.
    const Reference jump = referenceOf([](double x) { return x < 1 / std::sqrt(2.0) ? 0.0 : 1.0; }, 0, 1);
    EXPECT_FALSE(jump.reliable());
    EXPECT_NE(jump.verdict.find("скачок"), std::string::npos);
    EXPECT_NEAR(jump.value, 1 - 1 / std::sqrt(2.0), 1e-3);  // still a fair approximation

    // No value at the midpoint.
    const Reference hole = referenceOf([](double x) { return 1 / x; }, -1, 1);
    EXPECT_FALSE(hole.reliable());
    EXPECT_FALSE(hole.verdict.empty());
}

TEST(Reference, CrossCheckTurnsADisagreementUnreliable) {
    Reference reliable;
    reliable.kind = ReferenceKind::Reliable;
    reliable.value = 0;
    reliable.error = 1e-15;
    Reference heavyTail = reliable;
    heavyTail.squareIntegrable = false;
    Reference divergent;
    divergent.kind = ReferenceKind::Divergent;
    const struct {
        const Reference& reference;
        double estimate, standardError;
        ReferenceKind kind;
    } cases[] = {
        {reliable, 0.0088623, 0.0001, ReferenceKind::Unreliable},  // the peak quadrature missed
        {reliable, 0.0004, 0.0001, ReferenceKind::Reliable},       // 4 standard errors: chance
        {reliable, 1e-17, 0, ReferenceKind::Reliable},             // a constant: rounding only
        {heavyTail, 1, 0.0001, ReferenceKind::Reliable},           // the standard error means nothing
        {divergent, 1, 0.0001, ReferenceKind::Divergent},
    };
    for (const auto& c : cases) {
        const Reference r = crossCheck(c.reference, c.estimate, c.standardError);
        EXPECT_EQ(r.kind, c.kind) << c.estimate;
        if (r.kind == ReferenceKind::Unreliable) {
            EXPECT_NE(r.verdict.find("0,0088623"), std::string::npos) << r.verdict;
            EXPECT_GE(r.error, c.estimate);
        }
    }
}
