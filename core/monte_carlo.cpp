#include "core/monte_carlo.h"

namespace mcplot {

float monteCarloValue(const ThrowBox& box, const ThrowTally& tally, int count) {
    const Number b = Number::single(box.b);
    const Number area = (Number::single(box.ymax) - box.ymin) * (b - box.a) * (tally.nplus - tally.nminus) /
                        countNumber(count);
    return toSingleSaturated(area.value());
}

TrapezoidResult trapezoid(Evaluator& f, Number a, float bLimit) {
    TrapezoidResult r;
    const Number b = Number::single(bLimit);
    const Number two = Number::integer(2);
    r.itrap = Number::integer(0);
    r.htrap = (b - a) / Number::integer(kTrapezoidIntervals);
    for (int k = 0; k < kTrapezoidIntervals; ++k) {
        f.at(a + Number::integer(static_cast<int16_t>(k)) * r.htrap);
        r.yleft = f.y();
        f.at(f.x() + r.htrap);
        r.yright = toSingleSaturated(f.y().value());
        r.itrap = r.itrap + (r.yleft + Number::single(r.yright)) / two;
    }
    r.itrap = r.itrap * r.htrap;
    if (!std::isfinite(r.itrap.value())) r.itrap = Number::dbl(toSingleSaturated(r.itrap.value()));
    return r;
}

}  // namespace mcplot
