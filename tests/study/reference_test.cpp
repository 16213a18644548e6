// The reference value against closed forms and an independent series, and the
// verdict where quadrature cannot give a trustworthy number.
#include <gtest/gtest.h>

#include <cmath>

#include "study/reference.h"

using namespace mcplot::study;

namespace {

Reference referenceOf(auto f, double a, double b, Stop* stop = nullptr) {
    FunctionIntegrand<decltype(f)> integrand(f);
    std::atomic<bool> cancel{false};
    return computeReference(integrand, Box{a, b, 0, 1}, cancel, stop);
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

}  // namespace

TEST(Reference, MatchesClosedForms) {
    const Reference parabola = referenceOf([](double x) { return x * x; }, 0, 3);
    EXPECT_TRUE(parabola.reliable());
    EXPECT_NEAR(parabola.value, 9.0, 1e-12);
    EXPECT_LT(parabola.error, 1e-9);
    EXPECT_NEAR(parabola.squareIntegral, 243.0 / 5, 1e-10);  // ∫ x⁴

    const Reference sine = referenceOf([](double x) { return std::sin(x); }, 0, 3.14);
    EXPECT_TRUE(sine.reliable());
    EXPECT_NEAR(sine.value, 1 - std::cos(3.14), 1e-12);

    const Reference gauss = referenceOf([](double x) { return std::exp(-std::pow(x, 2)); }, 0, 3);
    EXPECT_TRUE(gauss.reliable());
    EXPECT_NEAR(gauss.value, std::sqrt(M_PI) / 2 * std::erf(3.0), 1e-12);

    const Reference planck =
        referenceOf([](double x) { return std::pow(x, 3) / (std::exp(x) - 1); }, 0.01, 12);
    EXPECT_TRUE(planck.reliable());
    EXPECT_NEAR(planck.value, planckSeries(0.01, 12), 1e-9);
    EXPECT_NEAR(planck.value, std::pow(M_PI, 4) / 15, 0.015);  // ∫₀^∞ less a tail of 0.0137
}

TEST(Reference, ReversedLimitsChangeTheSign) {
    const Reference r = referenceOf([](double x) { return x * x; }, 3, 0);
    EXPECT_NEAR(r.value, -9.0, 1e-12);
}

TEST(Reference, ClippedIntegralsSeeOnlyTheBox) {
    // sin on [0, 2π] with the box reaching 0.5 above and 1 below the axis.
    FunctionIntegrand f([](double x) { return std::sin(x); });
    std::atomic<bool> cancel{false};
    const Reference r = computeReference(f, Box{0, 2 * M_PI, -1, 0.5}, cancel, nullptr);
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

TEST(Reference, StopsOnAFailingFunction) {
    class Failing : public Integrand {
    public:
        std::optional<double> at(double x) override {
            last = x;
            if (x > 0.5) return std::nullopt;
            return x;
        }
        std::string explainFailure() const override {
            return "Деление на ноль при x=" + std::to_string(last);
        }
        double last = 0;
    } f;
    std::atomic<bool> cancel{false};
    Stop stop;
    const Reference r = computeReference(f, Box{0, 1, 0, 1}, cancel, &stop);
    EXPECT_EQ(stop.kind, Stop::Failed);
    EXPECT_NE(stop.explanation.find("Деление на ноль"), std::string::npos);
    EXPECT_FALSE(r.reliable());

    cancel = true;
    FunctionIntegrand g([](double x) { return x; });
    computeReference(g, Box{0, 1, 0, 1}, cancel, &stop);
    EXPECT_EQ(stop.kind, Stop::Cancelled);
}
