// Hit-or-miss Monte Carlo over the box [a, b] x [ymin, ymax] and the trapezoid
// rule with 100 intervals. No drawing: every throw is handed to a sink, which
// may draw it, keep it or ignore it.
//
// Entry points for code that throws without the window (tests, worker
// threads): ThrowBox + throwPoints (or countThrows) with an Evaluator and a
// random source of its own, then monteCarloValue; trapezoid for the
// comparison value.
#pragma once

#include <cstdint>
#include <optional>

#include "core/evaluation.h"
#include "core/random.h"
#include "numbers/number.h"

namespace mcplot {

// Where a throw fell. Counted throws are drawn blue, misses red.
enum class ThrowKind : uint8_t {
    Above,  // 0 <= yr <= f(x): between the axis and the curve, above the axis
    Below,  // f(x) <= yr < 0: between the curve and the axis, below the axis
    Miss,   // anywhere else
};

// Throw (x, yr) against the value f(x): an exact tie on the axis or the curve
// counts, as the rule above says.
inline ThrowKind classifyThrow(double yr, double y) {
    // Without branches: hits and misses come at random, so a branch would
    // guess wrong half of the time.
    const int above = (yr <= y) & (yr >= 0);
    const int below = (yr >= y) & (yr < 0);
    return static_cast<ThrowKind>(2 - 2 * above - below);
}

// The box [a, b] x [ymin, ymax] in plain doubles, as the study and the run
// record see it.
struct Box {
    double a = 0, b = 0;
    double ymin = 0, ymax = 0;
    double width() const { return b - a; }
    double height() const { return ymax - ymin; }
    double area() const { return (ymax - ymin) * (b - a); }
    bool operator==(const Box&) const = default;
};

// The box the points are thrown into, in the calculation's typed values.
struct ThrowBox {
    Number a;     // lower limit, a double
    float b = 0;  // upper limit, a single
    Number ymin;  // the range scan's smallest value
    float ymax = 0;
    Box plain() const { return Box{a.value(), double(b), ymin.value(), double(ymax)}; }
};

// The counts of a run of throws. nplus and nminus are typed as the
// calculation keeps them; the last throw's ordinate is kept too.
struct ThrowTally {
    Number nplus = Number::integer(0);
    Number nminus = Number::integer(0);
    int counted = 0;  // nplus + nminus
    int missed = 0;
    float lastYr = 0;
};

// A count as adding one at a time to an Integer leaves it: Integer while it
// fits, then Long.
inline Number countNumber(int v) {
    return v <= INT16_MAX ? Number::integer(static_cast<int16_t>(v)) : Number::longInt(v);
}

// Throws `count` points: x = a + (b - a)*r1, yr = ymin + (ymax - ymin)*r2
// rounded to single, r1 and r2 the next two random numbers in that order,
// evaluates f(x) (a failed evaluation leaves the y before it) and calls
// onThrow(x, yr, kind) for each. Random is any type with float next(); the
// caller reseeds it first when it wants a fresh sequence.
template <class Random, class ThrowSink>
ThrowTally throwPoints(Evaluator& f, const ThrowBox& box, int count, Random& random, ThrowSink&& onThrow) {
    ThrowTally tally;
    const Number b = Number::single(box.b);
    const Number width = b - box.a;
    const Number height = Number::single(box.ymax) - box.ymin;
    int plus = 0, minus = 0;
    auto one = [&](Number x, float yr) {
        const double y = f.at(x).value();
        const ThrowKind kind = classifyThrow(yr, y);
        plus += kind == ThrowKind::Above;
        minus += kind == ThrowKind::Below;
        tally.lastYr = yr;
        onThrow(x.value(), yr, kind);
    };
    // The typed arithmetic below, with the types known before the loop: the
    // abscissa of a Double lower limit is Double arithmetic, and the ordinate
    // of a box whose bottom and height are Integer or Single is Single
    // arithmetic (a float operation rounds as the double one rounded to
    // single). Any other mix goes through Number.
    const auto narrow = [](const Number& v) {
        return v.type() == NumType::Integer || v.type() == NumType::Single;
    };
    if (box.a.type() == NumType::Double && width.type() == NumType::Double && narrow(box.ymin) &&
        height.type() == NumType::Single) {
        const double a = box.a.value(), w = width.value();
        const float bottom = static_cast<float>(box.ymin.value()), h = static_cast<float>(height.value());
        for (int k = 1; k <= count; ++k) {
            const double x = a + w * random.next();
            const float yr = bottom + h * random.next();
            one(Number::dbl(x), yr);
        }
    } else {
        for (int k = 1; k <= count; ++k) {
            const float r1 = random.next();
            const Number x = box.a + width * Number::single(r1);
            const float r2 = random.next();
            one(x, toSingleSaturated((box.ymin + height * Number::single(r2)).value()));
        }
    }
    tally.nplus = countNumber(plus);
    tally.nminus = countNumber(minus);
    tally.counted = plus + minus;
    tally.missed = count - tally.counted;
    return tally;
}

// Throws without keeping the points.
template <class Random>
ThrowTally countThrows(Evaluator& f, const ThrowBox& box, int count, Random& random) {
    return throwPoints(f, box, count, random, [](double, float, ThrowKind) {});
}

// (ymax - ymin)*(b - a)*(nplus - nminus)/count in that order, rounded to
// single (saturating). count must be positive.
float monteCarloValue(const ThrowBox& box, const ThrowTally& tally, int count);

// The trapezoid rule with its typed values: itrap the sum and then the value,
// htrap = (b - a)/100, yleft and yright the ends of the last interval (yright
// rounded to single).
struct TrapezoidResult {
    Number itrap, htrap, yleft;
    float yright = 0;
};

// The number of trapezoid intervals, fixed whatever the scan's n.
inline constexpr int kTrapezoidIntervals = 100;

// For i = 0..99: x = a + i*htrap, f; yleft = y; x = x + htrap, f; yright = y in
// single; sum (yleft + yright)/2; then times htrap. The evaluator is left on the
// right end of the last interval; the loop counter ends at 100.
TrapezoidResult trapezoid(Evaluator& f, Number a, float b);

// The composite trapezoid rule with n intervals in plain double, for
// comparisons with the above. value(x) gives f(x), or nothing to stop the sum.
template <class Value>
std::optional<double> trapezoidRule(Value&& value, double a, double b, int64_t n) {
    const double h = (b - a) / static_cast<double>(n);
    const std::optional<double> ya = value(a), yb = value(b);
    if (!ya || !yb) return std::nullopt;
    double sum = (*ya + *yb) / 2;
    for (int64_t k = 1; k < n; ++k) {
        const std::optional<double> y = value(a + static_cast<double>(k) * h);
        if (!y) return std::nullopt;
        sum += *y;
    }
    return sum * h;
}

}  // namespace mcplot
