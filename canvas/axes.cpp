#include "canvas/axes.h"

#include "numbers/number.h"

namespace mcplot {
namespace {

// Rounds with a format pattern, then writes the rounded number short.
std::string roundedShort(double v, const char* pattern) {
    const std::string rounded = formatPattern(v, pattern, ".");
    if (rounded.empty()) return shortNumber(0);
    return shortNumber(parseDecimal(rounded));
}

// Grid spacing when the window is too narrow for a whole unit per step.
constexpr double kHalfUnit = 0.5;
// Caption offsets as shares of the window's width and height.
constexpr double kYCaptionShift = 0.03, kXCaptionShift = 0.02, kYminCaptionLift = 0.05;
constexpr int kThinLine = 1, kThickLine = 3;

}  // namespace

std::string tickLabel(double v) {
    return roundedShort(v, "#0.0");
}
std::string rangeLabel(double v) {
    return roundedShort(v, "#000.000");
}

void drawAxes(Canvas& canvas, const AxesFrame& f) {
    const double x1 = f.x1, x2 = f.x2, y1 = f.y1, y2 = f.y2;
    auto drawAxisLines = [&] {
        canvas.Line(0, y1, 0, y2, colors::black);
        canvas.Line(x1, 0, x2, 0, colors::black);
    };
    drawAxisLines();

    double dx = roundHalfEven((x2 - x1) / kGridSteps);
    double dy = roundHalfEven((y1 - y2) / kGridSteps);
    if (dx == 0) dx = kHalfUnit;
    if (dy == 0) dy = kHalfUnit;

    canvas.setDrawWidth(kThinLine);
    for (int k = -kGridSteps; k <= kGridSteps; ++k) {
        const double gx = k * dx, gy = k * dy;
        canvas.Line(x1, gy, x2, gy, colors::lightGreen);
        canvas.Line(gx, y1, gx, y2, colors::lightGreen);
        canvas.PSet(gx, 0);
        canvas.Print(tickLabel(gx));
        canvas.PSet(0, gy);
        canvas.Print(tickLabel(gy));
    }

    drawAxisLines();

    canvas.setCurrentX(kYCaptionShift * (x2 - x1));
    canvas.setCurrentY(y1);
    canvas.Print("f(x)");
    canvas.setCurrentX(x2 - kXCaptionShift * (x2 - x1));
    canvas.setCurrentY(0);
    canvas.Print("Х");  // Cyrillic Ha

    canvas.setDrawWidth(kThickLine);
    canvas.setCurrentX(f.xc);
    canvas.setCurrentY(y1);
    canvas.Print("Ymax=" + rangeLabel(f.ymax));
    canvas.setCurrentX(f.xc);
    canvas.setCurrentY(y2 + kYminCaptionLift * (y1 - y2));
    canvas.Print("Ymin=" + rangeLabel(f.ymin));

    canvas.PSet(f.startX, f.startY, colors::blue);
}

}  // namespace mcplot
