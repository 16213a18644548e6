// The frame of every plot: axes, a light-green grid laid out about the origin,
// numbered ticks, the axis captions and the range captions, ending with a blue
// dot on the first point of the curve, where the trace starts.
#pragma once

#include <string>

#include "canvas/canvas.h"

namespace mcplot {

// What the frame is drawn from: the plot window and the range the scan left,
// and the first point of the curve.
struct AxesFrame {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // left, right, top, bottom edges
    double xc = 0;                          // centre abscissa
    double ymin = 0, ymax = 0;              // the sampled range
    double startX = 0, startY = 0;          // (a, f(a))
};

// Grid steps on each side of an axis.
inline constexpr int kGridSteps = 5;

// Draws the frame into the window set on the canvas. Leaves the line width 3
// and the current point on (startX, startY).
void drawAxes(Canvas& canvas, const AxesFrame& frame);

// Tick label and range label: rounded with "#0.0" / "#000.000", then written in
// the short numeric form.
std::string tickLabel(double v);
std::string rangeLabel(double v);

}  // namespace mcplot
