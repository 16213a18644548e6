#include "canvas/raster_canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace mcplot {
namespace {

QColor fromBgr(uint32_t bgr) {
    return QColor::fromRgb(argbFromBgr(bgr));
}

bool finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

// The dot of the Monte Carlo throws: three pixels each way.
constexpr int kThickDot = 3;

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

RasterCanvas::~RasterCanvas() {
    endBatch();
}

QPainter& RasterCanvas::batchPainter() {
    if (!painter_) painter_ = std::make_unique<QPainter>(&image_);
    return *painter_;
}

void RasterCanvas::endBatch() const {
    if (!painter_) return;
    painter_->end();
    painter_.reset();
    settleVectorState();
}

const QImage& RasterCanvas::image() const {
    endBatch();
    return image_;
}

void RasterCanvas::resize(int width, int height, double devicePixelRatio) {
    endBatch();
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    dpr_ = devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    image_ = QImage(static_cast<int>(std::ceil(width_ * dpr_)), static_cast<int>(std::ceil(height_ * dpr_)),
                    QImage::Format_RGB32);
    image_.setDevicePixelRatio(dpr_);
    fontAscent_ = QFontMetricsF(font_, &image_).ascent();
    updateTransform();
    Cls();
}

void RasterCanvas::Cls() {
    endBatch();
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

QPointF RasterCanvas::toPixels(double x, double y) const {
    return toPixels_.map(QPointF(x, y));
}

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
    QPainter& painter = batchPainter();
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
    settleVectorState();
}

void RasterCanvas::Line(double x1, double y1, double x2, double y2, uint32_t color) {
    drawSegment(x1, y1, x2, y2, color);
    currentX_ = x2;
    currentY_ = y2;
}

void RasterCanvas::LineTo(double x, double y, uint32_t color) {
    Line(currentX_, currentY_, x, y, color);
}

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

void RasterCanvas::PSet(double x, double y) {
    PSet(x, y, colors::black);
}

void RasterCanvas::PSets(std::span<const Dot> dots) {
    if (dots.empty()) return;
    currentX_ = dots.back().x;
    currentY_ = dots.back().y;
    // The user-to-pixel mapping as QTransform::map computes it for a scale
    // and a translation, then the device pixel ratio, as in PSet.
    const double m11 = toPixels_.m11(), m22 = toPixels_.m22(), tx = toPixels_.dx(), ty = toPixels_.dy();
    const double dpr = dpr_;
    const int size = std::max(1, static_cast<int>(std::lround(drawWidth_ * dpr_)));
    const double half = (size - 1) / 2.0;
    const int width = image_.width(), height = image_.height();
    uchar* const bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    uint32_t lastColor = ~dots.front().color;
    QRgb rgb = 0;
    bool drawn = false;
    for (const Dot& d : dots) {
        const double px = m11 * d.x + tx, py = m22 * d.y + ty;
        if (!finite(px, py)) continue;
        const double cx = px * dpr, cy = py * dpr;
        if (cx < -size || cy < -size || cx > width + size || cy > height + size) continue;
        const int left = static_cast<int>(std::floor(cx - half));
        const int top = static_cast<int>(std::floor(cy - half));
        if (d.color != lastColor) {
            lastColor = d.color;
            rgb = argbFromBgr(d.color);
        }
        drawn = true;
        if (size == kThickDot && left >= 0 && top >= 0 && left + kThickDot <= width &&
            top + kThickDot <= height) {
            // The common case, a whole 3 x 3 dot inside the image.
            auto* line = reinterpret_cast<QRgb*>(bits + top * stride) + left;
            for (int row = 0; row < kThickDot; ++row) {
                line[0] = line[1] = line[2] = rgb;
                line = reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(line) + stride);
            }
            continue;
        }
        const int x0 = std::max(0, left), x1 = std::max(x0, std::min(width, left + size));
        const int y0 = std::max(0, top), y1 = std::min(height, top + size);
        for (int row = y0; row < y1; ++row) {
            auto* line = reinterpret_cast<QRgb*>(bits + row * stride);
            for (int col = x0; col < x1; ++col) line[col] = rgb;
        }
    }
    if (drawn) touched();
}

void RasterCanvas::Print(const std::string& text) {
    texts_.push_back({currentX_, currentY_, text});
    const QPointF p = toPixels(currentX_, currentY_);
    if (!finite(p.x(), p.y())) return;
    if (p.x() > width_ || p.y() > height_ || p.x() < -10000 || p.y() < -1000) return;
    touched();
    QPainter& painter = batchPainter();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(p.x(), p.y() + fontAscent_), QString::fromStdString(text));
    settleVectorState();
}

namespace {

// The note keeps this far from the box's edges and from other texts.
constexpr double kNoticeMargin = 4, kNoticeGap = 2;
// Lines of the note at most, and the characters of it that are laid out.
constexpr int kNoticeLines = 2;
constexpr qsizetype kNoticeLongest = 1000;

// The text broken into lines of at most `width`; past the last allowed line
// the rest is shortened with "…". `whole` tells whether all of it fits.
QStringList wrapNotice(const QString& text, const QFont& font, const QFontMetricsF& fm, double width,
                       int maxLines, bool& whole) {
    QStringList lines;
    QTextLayout layout(text, font);
    // A long formula without blanks breaks anywhere rather than run off the box.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    whole = true;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            const QString rest = text.mid(line.textStart());
            const QString shown = fm.elidedText(rest, Qt::ElideRight, width);
            whole = shown == rest;
            lines << shown;
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

}  // namespace

bool RasterCanvas::PrintNotice(const std::string& text) {
    // Two lines of the widest box hold far fewer characters; a formula of
    // thousands is laid out only as far as it can show.
    QString note = QString::fromStdString(text);
    const bool cut = note.size() > kNoticeLongest;
    if (cut) note = note.left(kNoticeLongest) + QChar(0x2026);
    const QFontMetricsF fm(font_, &image_);
    // Where the texts printed so far lie, in pixels.
    std::vector<QRectF> taken;
    for (const PrintedText& t : texts_) {
        const QPointF p = toPixels(t.x, t.y);
        if (!finite(p.x(), p.y())) continue;
        taken.push_back(
            QRectF(p.x(), p.y(), fm.horizontalAdvance(QString::fromStdString(t.text)), fm.height())
                .adjusted(-kNoticeGap, -kNoticeGap, kNoticeGap, kNoticeGap));
    }
    // Stretches of the width to try: all of it, then beside each text (the
    // numbers of a y axis in the middle stand in every row).
    const double left = kNoticeMargin, right = width_ - kNoticeMargin;
    std::vector<std::pair<double, double>> columns{{left, right}};
    for (const QRectF& r : taken) {
        if (r.left() > left) columns.emplace_back(left, std::min(right, r.left()));
        if (r.right() < right) columns.emplace_back(std::max(left, r.right()), right);
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const auto& a, const auto& b) { return a.second - a.first > b.second - b.first; });
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());

    struct Place {
        QStringList lines;
        QRectF rect;
        int covered = -1;
        bool whole = false;
        qsizetype shown = 0;  // characters of the text on the plot
    } best;
    // Least covered, then most of the text shown.
    auto better = [](const Place& a, const Place& b) {
        if (b.covered < 0) return true;
        if (a.covered != b.covered) return a.covered < b.covered;
        return a.shown > b.shown;
    };
    const double lineHeight = fm.lineSpacing();
    for (const auto& [from, to] : columns) {
        const double w = to - from;
        if (w < fm.averageCharWidth() * 8 && best.covered >= 0) continue;
        // Two lines where they fit between the labels, else one.
        for (int maxLines = kNoticeLines; maxLines >= 1; --maxLines) {
            Place p;
            p.lines = wrapNotice(note, font_, fm, std::max(1.0, w), maxLines, p.whole);
            double blockWidth = 0;
            for (const QString& l : p.lines) {
                blockWidth = std::max(blockWidth, fm.horizontalAdvance(l));
                p.shown += l.size() - (l.endsWith(QChar(0x2026)) ? 1 : 0);
            }
            const double blockHeight = p.lines.size() * lineHeight;
            for (double y = kNoticeMargin; y == kNoticeMargin || y + blockHeight <= height_ - kNoticeMargin;
                 y += 2) {
                const QRectF r(from, y, blockWidth, blockHeight);
                p.covered = 0;
                for (const QRectF& t : taken)
                    if (t.intersects(r)) ++p.covered;
                p.rect = r;
                if (better(p, best)) best = p;
                if (p.covered == 0) break;
            }
            if (best.covered == 0 && best.whole) break;
        }
        if (best.covered == 0 && best.whole) break;
    }

    const QPointF at = toPixels_.inverted().map(best.rect.topLeft());
    texts_.push_back({at.x(), at.y(), text});
    touched();
    QPainter& painter = batchPainter();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A light ground keeps the note readable over the grid and the throws.
    painter.fillRect(best.rect.adjusted(-kNoticeGap, 0, kNoticeGap, 0), QColor(255, 255, 255, 225));
    painter.setFont(font_);
    painter.setPen(Qt::black);
    for (int k = 0; k < best.lines.size(); ++k)
        painter.drawText(QPointF(best.rect.left(), best.rect.top() + k * lineHeight + fontAscent_),
                         best.lines[k]);
    settleVectorState();
    return best.whole && !cut;
}

void RasterCanvas::setDrawWidth(int width) {
    drawWidth_ = std::clamp(width, 1, 100);
}

uint32_t RasterCanvas::pixelAt(int x, int y) const {
    endBatch();
    const int px = static_cast<int>(x * dpr_), py = static_cast<int>(y * dpr_);
    if (px < 0 || py < 0 || px >= image_.width() || py >= image_.height()) return 0xFFFFFFFF;
    return bgrFromArgb(image_.pixel(px, py));
}

}  // namespace mcplot
