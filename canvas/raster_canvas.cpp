#include "canvas/raster_canvas.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace mcplot {
namespace {

QColor fromBgr(uint32_t bgr) { return QColor::fromRgb(argbFromBgr(bgr)); }

bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// Liang-Barsky: clips the segment to the rectangle; false when nothing is left.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, const QRectF& r) {
    // Axis-parallel lines (axes, grid, box) are clamped directly: the general
    // formula loses them when an end lies astronomically far away.
    auto clampSpan = [](double& from, double& to, double low, double high) {
        if (std::max(from, to) < low || std::min(from, to) > high) return false;
        from = std::clamp(from, low, high);
        to = std::clamp(to, low, high);
        return true;
    };
    if (y1 == y2) return y1 >= r.top() && y1 <= r.bottom() && clampSpan(x1, x2, r.left(), r.right());
    if (x1 == x2) return x1 >= r.left() && x1 <= r.right() && clampSpan(y1, y2, r.top(), r.bottom());
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - r.left(), r.right() - x1, y1 - r.top(), r.bottom() - y1};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double ox = x1, oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

// Qt's raster engine leaves the upper halves of the AVX registers dirty; the
// math library's SSE code that follows then runs several times slower (a
// Monte Carlo run of Planck's formula took 11 ms instead of 3).
void settleVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper");
#endif
}

}  // namespace

RasterCanvas::RasterCanvas() : font_(QStringLiteral("Times New Roman")) {
    font_.setPointSizeF(12);
    resize(1, 1, 1.0);
}

void RasterCanvas::resize(int width, int height, double devicePixelRatio) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    dpr_ = devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    image_ = QImage(static_cast<int>(std::ceil(width_ * dpr_)), static_cast<int>(std::ceil(height_ * dpr_)),
                    QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr_);
    updateTransform();
    Cls();
}

void RasterCanvas::Cls() {
    touched();
    image_.fill(Qt::white);
    currentX_ = 0;
    currentY_ = 0;
    texts_.clear();
}

void RasterCanvas::Scale(double x1, double y1, double x2, double y2) {
    if (!finite(x1, y1) || !finite(x2, y2) || x1 == x2 || y1 == y2) return;
    sx1_ = x1;
    sy1_ = y1;
    sx2_ = x2;
    sy2_ = y2;
    userScale_ = true;
    updateTransform();
}

void RasterCanvas::updateTransform() {
    if (!userScale_) {
        toPixels_ = QTransform();
        return;
    }
    const double kx = width_ / (sx2_ - sx1_), ky = height_ / (sy2_ - sy1_);
    toPixels_ = QTransform(kx, 0, 0, ky, -sx1_ * kx, -sy1_ * ky);
}

QPointF RasterCanvas::toPixels(double x, double y) const { return toPixels_.map(QPointF(x, y)); }

void RasterCanvas::drawSegment(double x1, double y1, double x2, double y2, uint32_t color) {
    QPointF a = toPixels(x1, y1), b = toPixels(x2, y2);
    double ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
    if (!finite(ax, ay) || !finite(bx, by)) return;
    // Clip in pixels first: coordinates far outside would overflow the
    // rasteriser's fixed-point arithmetic.
    const double margin = drawWidth_ + 2;
    if (!clipSegment(ax, ay, bx, by, QRectF(-margin, -margin, width_ + 2 * margin, height_ + 2 * margin)))
        return;
    touched();
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, drawWidth_ > 1);
    QPen pen(fromBgr(color));
    pen.setWidthF(drawWidth_);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    if (drawWidth_ == 1) {
        // Thin lines light the pixel the point falls in, as dots do.
        ax = std::floor(ax);
        ay = std::floor(ay);
        bx = std::floor(bx);
        by = std::floor(by);
    }
    if (ax == bx && ay == by)
        painter.drawPoint(QPointF(ax, ay));
    else
        painter.drawLine(QPointF(ax, ay), QPointF(bx, by));
    painter.end();
    settleVectorState();
}

void RasterCanvas::Line(double x1, double y1, double x2, double y2, uint32_t color) {
    drawSegment(x1, y1, x2, y2, color);
    currentX_ = x2;
    currentY_ = y2;
}

void RasterCanvas::LineTo(double x, double y, uint32_t color) { Line(currentX_, currentY_, x, y, color); }

void RasterCanvas::Box(double x1, double y1, double x2, double y2, uint32_t color) {
    drawSegment(x1, y1, x2, y1, color);
    drawSegment(x2, y1, x2, y2, color);
    drawSegment(x2, y2, x1, y2, color);
    drawSegment(x1, y2, x1, y1, color);
    currentX_ = x2;
    currentY_ = y2;
}

void RasterCanvas::PSet(double x, double y, uint32_t color) {
    currentX_ = x;
    currentY_ = y;
    const QPointF p = toPixels(x, y);
    if (!finite(p.x(), p.y())) return;
    // Dots are written straight into the image: a Monte Carlo run sets tens of
    // thousands of them.
    const int size = std::max(1, static_cast<int>(std::lround(drawWidth_ * dpr_)));
    const double cx = p.x() * dpr_, cy = p.y() * dpr_;
    if (cx < -size || cy < -size || cx > image_.width() + size || cy > image_.height() + size) return;
    const int left = static_cast<int>(std::floor(cx - (size - 1) / 2.0));
    const int top = static_cast<int>(std::floor(cy - (size - 1) / 2.0));
    touched();
    const QRgb rgb = argbFromBgr(color);
    const int x0 = std::max(0, left), x1 = std::min(image_.width(), left + size);
    const int y0 = std::max(0, top), y1 = std::min(image_.height(), top + size);
    for (int row = y0; row < y1; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(row));
        std::fill(line + x0, line + std::max(x0, x1), rgb);
    }
}

void RasterCanvas::PSet(double x, double y) { PSet(x, y, colors::black); }

void RasterCanvas::Print(const std::string& text) {
    texts_.push_back({currentX_, currentY_, text});
    const QPointF p = toPixels(currentX_, currentY_);
    if (!finite(p.x(), p.y())) return;
    if (p.x() > width_ || p.y() > height_ || p.x() < -10000 || p.y() < -1000) return;
    touched();
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font_, &image_);
    painter.drawText(QPointF(p.x(), p.y() + metrics.ascent()), QString::fromStdString(text));
    painter.end();
    settleVectorState();
}

void RasterCanvas::setDrawWidth(int width) { drawWidth_ = std::clamp(width, 1, 100); }

uint32_t RasterCanvas::pixelAt(int x, int y) const {
    const int px = static_cast<int>(x * dpr_), py = static_cast<int>(y * dpr_);
    if (px < 0 || py < 0 || px >= image_.width() || py >= image_.height()) return 0xFFFFFFFF;
    return bgrFromArgb(image_.pixel(px, py));
}

}  // namespace mcplot
