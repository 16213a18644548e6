// The range scan: samples f over [a, b], keeps the range with 0 inside it and
// sets the plot window, enlarged by the scale factor, on the canvas.
#include <cfloat>
#include <cmath>

#include "core/engine.h"

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

void Engine::minmax() {
    ++plotRuns_;
    const Number two = Number::integer(2);
    const Number b = Number::single(s_.b);
    s_.h = toSingleSaturated((b - s_.a) / s_.n);
    s_.ymin = Number::integer(0);
    s_.ymax = 0;
    const int last = static_cast<int>(s_.n.value());
    for (int k = 0; k <= last; ++k) {
        s_.i = Number::integer(static_cast<int16_t>(k));
        s_.x = s_.a + s_.i * Number::single(s_.h);
        fff();
        if (s_.y.value() > s_.ymax) s_.ymax = toSingleSaturated(s_.y.value());
        if (s_.y.value() < s_.ymin.value()) s_.ymin = s_.y;
    }
    s_.i = Number::integer(static_cast<int16_t>(last + 1));

    const Number scale = Number::single(s_.mashtab);
    const Number ymax = Number::single(s_.ymax);
    s_.hx = saneHalfExtent(scale * (b - s_.a) / two, s_.mashtab);
    s_.hy = saneHalfExtent(scale * (ymax - s_.ymin) / two, s_.mashtab);
    s_.xc = (s_.a + b) / two;
    s_.yc = (s_.ymin + ymax) / two;
    s_.x1 = s_.xc - s_.hx;
    s_.x2 = s_.xc + s_.hx;
    s_.y2 = toSingleSaturated((s_.yc - s_.hy).value());
    s_.y1 = s_.yc + s_.hy;
    // Rounding the bottom edge to single can swallow a tiny height; the canvas
    // must never get a window without extent.
    if (!(s_.y1.value() > s_.y2)) s_.y1 = Number::dbl(static_cast<double>(s_.y2) + 2 * kFallbackHalfExtent);
    canvas_.Scale(s_.x1, s_.y1, s_.x2, s_.y2);
}

}  // namespace mcplot
