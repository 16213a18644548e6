// The frame of every plot: axes, a light-green grid laid out about the origin,
// numbered ticks, the axis captions and the range captions; it ends on the
// first point of the curve, where the trace starts.
#include <cmath>

#include "core/engine.h"

namespace mcplot {
namespace {

// Rounds with a format pattern, then writes the rounded number short.
std::string roundedShort(double v, const char* pattern) {
    const std::string rounded = formatPattern(v, pattern, ".");
    if (rounded.empty()) return shortNumber(0);
    return shortNumber(parseDecimal(rounded));
}

constexpr int kGridSteps = 5;

}  // namespace

std::string tickLabel(double v) { return roundedShort(v, "#0.0"); }
std::string rangeLabel(double v) { return roundedShort(v, "#000.000"); }

void Engine::axes() {
    const double x1 = s_.x1.value(), x2 = s_.x2.value(), y1 = s_.y1.value(), y2 = s_.y2;
    auto drawAxes = [&] {
        canvas_.Line(0, y1, 0, y2, colors::black);
        canvas_.Line(x1, 0, x2, 0, colors::black);
    };
    drawAxes();

    s_.x = s_.a;
    fff();

    double dx = roundHalfEven((x2 - x1) / kGridSteps);
    double dy = roundHalfEven((y1 - y2) / kGridSteps);
    if (dx == 0) dx = 0.5;
    if (dy == 0) dy = 0.5;

    canvas_.setDrawWidth(1);
    for (int k = -kGridSteps; k <= kGridSteps; ++k) {
        s_.i = Number::integer(static_cast<int16_t>(k));
        const double gx = k * dx, gy = k * dy;
        canvas_.Line(x1, gy, x2, gy, colors::lightGreen);
        canvas_.Line(gx, y1, gx, y2, colors::lightGreen);
        canvas_.PSet(gx, 0);
        canvas_.Print(tickLabel(gx));
        canvas_.PSet(0, gy);
        canvas_.Print(tickLabel(gy));
    }
    s_.i = Number::integer(kGridSteps + 1);

    drawAxes();

    canvas_.setCurrentX(0.03 * (x2 - x1));
    canvas_.setCurrentY(y1);
    canvas_.Print("f(x)");
    canvas_.setCurrentX(x2 - 0.02 * (x2 - x1));
    canvas_.setCurrentY(0);
    canvas_.Print("Х");  // Cyrillic Ha

    canvas_.setDrawWidth(3);
    canvas_.setCurrentX(s_.xc.value());
    canvas_.setCurrentY(y1);
    canvas_.Print("Ymax=" + rangeLabel(s_.ymax));
    canvas_.setCurrentX(s_.xc.value());
    canvas_.setCurrentY(y2 + 0.05 * (y1 - y2));
    canvas_.Print("Ymin=" + rangeLabel(s_.ymin.value()));

    canvas_.PSet(s_.x.value(), s_.y.value(), colors::blue);
}

}  // namespace mcplot
