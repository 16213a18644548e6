// The graph trace: n + 1 points of f over [a, b] with the step of the range
// scan, each coordinate rounded to single for drawing.
#pragma once

#include <vector>

#include "core/evaluation.h"
#include "numbers/number.h"

namespace mcplot {

struct TracePoint {
    float x, y;
};

// Calls point(x, y) for i = 0..n with x = a + h*i (h*i in single, added to a in
// double) and y = f(x), or the y before it when the evaluation fails. The
// evaluator is left on the last point; the loop counter ends at n + 1.
template <class PointSink>
void tracePoints(Evaluator& f, Number a, float h, Number n, PointSink&& point) {
    const Number step = Number::single(h);
    const int last = static_cast<int>(n.value());
    for (int k = 0; k <= last; ++k) {
        const Number& y = f.at(a + step * Number::integer(static_cast<int16_t>(k)));
        point(toSingleSaturated(f.x().value()), toSingleSaturated(y.value()));
    }
}

inline std::vector<TracePoint> tracePoints(Evaluator& f, Number a, float h, Number n) {
    std::vector<TracePoint> points;
    tracePoints(f, a, h, n, [&](float x, float y) { points.push_back({x, y}); });
    return points;
}

}  // namespace mcplot
