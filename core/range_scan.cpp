#include "core/range_scan.h"

#include <algorithm>
#include <cmath>

namespace mcplot {
namespace {

// Half of the extent a window without width or height gets instead, in units,
// per unit of the scale factor.
constexpr double kFallbackHalfExtent = 0.5;
// Keeps half-extents where twice them still fits a double.
constexpr double kLargestHalfExtent = 1e306;

Number saneHalfExtent(Number half, float mashtab) {
    const double v = half.value();
    if (!std::isfinite(v)) return Number::dbl(v < 0 ? -kLargestHalfExtent : kLargestHalfExtent);
    if (v == 0) return Number::dbl(std::max(1.0f, mashtab) * kFallbackHalfExtent);
    return half;
}

}  // namespace

RangeScan scanRange(Evaluator& f, Number a, float bLimit, Number n, float mashtab) {
    RangeScan r;
    const Number two = Number::integer(2);
    const Number b = Number::single(bLimit);
    r.h = toSingleSaturated((b - a) / n);
    r.ymin = Number::integer(0);
    r.ymax = 0;
    const Number h = Number::single(r.h);
    const int last = static_cast<int>(n.value());
    for (int k = 0; k <= last; ++k) {
        const Number y = f.at(a + Number::integer(static_cast<int16_t>(k)) * h);
        if (y.value() > r.ymax) r.ymax = toSingleSaturated(y.value());
        if (y.value() < r.ymin.value()) r.ymin = y;
    }

    const Number scale = Number::single(mashtab);
    const Number ymax = Number::single(r.ymax);
    r.hx = saneHalfExtent(scale * (b - a) / two, mashtab);
    r.hy = saneHalfExtent(scale * (ymax - r.ymin) / two, mashtab);
    r.xc = (a + b) / two;
    r.yc = (r.ymin + ymax) / two;
    r.x1 = r.xc - r.hx;
    r.x2 = r.xc + r.hx;
    r.y2 = toSingleSaturated((r.yc - r.hy).value());
    r.y1 = r.yc + r.hy;
    // Rounding the bottom edge to single can swallow a tiny height; a window
    // must never be without extent.
    if (!(r.y1.value() > r.y2)) r.y1 = Number::dbl(static_cast<double>(r.y2) + 2 * kFallbackHalfExtent);
    return r;
}

}  // namespace mcplot
