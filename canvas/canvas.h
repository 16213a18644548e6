// The drawing surface of the plot box: user coordinates set by Scale, a current
// point, a line width, and the handful of drawing operations the plot uses.
// Colours are 24-bit values in blue-green-red byte order (0x0000FF is red).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "canvas/colors.h"

namespace mcplot {

// One dot of a batch: user coordinates and colour.
struct Dot {
    double x, y;
    uint32_t color;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // Erases the drawing; the current point goes to (0, 0).
    virtual void Cls() = 0;
    // Upper-left corner (x1, y1), lower-right corner (x2, y2) in user units.
    // Callers never pass a window of zero width or height.
    virtual void Scale(double x1, double y1, double x2, double y2) = 0;
    // Line from (x1, y1) to (x2, y2); the current point ends on (x2, y2).
    virtual void Line(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    // Line from the current point to (x, y).
    virtual void LineTo(double x, double y, uint32_t color) = 0;
    // Outline of the rectangle with opposite corners (x1, y1) and (x2, y2).
    virtual void Box(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    // A dot DrawWidth pixels wide; without a colour, in the foreground colour.
    virtual void PSet(double x, double y, uint32_t color) = 0;
    virtual void PSet(double x, double y) = 0;
    // The dots one after another, as PSet would set them; the current point
    // ends on the last. A surface may draw a batch faster than dot by dot.
    virtual void PSets(std::span<const Dot> dots) {
        for (const Dot& d : dots) PSet(d.x, d.y, d.color);
    }
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;
    // Text with its upper-left corner at the current point, in the canvas font.
    virtual void Print(const std::string& text) = 0;
    // A note over the finished plot, about the current point. A surface that
    // knows its texts' sizes may move, wrap or shorten it so that it covers
    // none of the labels; false when it had to leave part of the text out.
    virtual bool PrintNotice(const std::string& text) {
        Print(text);
        return true;
    }
    virtual void setDrawWidth(int width) = 0;
    virtual int drawWidth() const = 0;
};

}  // namespace mcplot
