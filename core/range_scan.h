// The range scan: samples f at n + 1 points of [a, b], keeps the smallest and
// the largest value with 0 always inside, and derives the plot window enlarged
// by the scale factor. No drawing: the caller hands the window to its canvas.
#pragma once

#include "core/evaluation.h"
#include "numbers/number.h"

namespace mcplot {

// The step, the range and the plot window, in the precisions the calculation
// keeps them: h, ymax and y2 single, the rest as the typed arithmetic gives.
struct RangeScan {
    float h = 0;
    Number ymin;
    float ymax = 0;
    Number hx, hy, xc, yc, x1, x2, y1;
    float y2 = 0;
};

// Samples f at x = a + i*h for i = 0..n (i*h in single, added to a in double).
// The evaluator is left on the last sample; the loop counter ends at n + 1.
// A window without width or height is widened so that it always has extent.
RangeScan scanRange(Evaluator& f, Number a, float b, Number n, float mashtab);

}  // namespace mcplot
