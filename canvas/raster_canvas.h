// The plot box's drawing surface on a retained raster image: the drawing stays
// until the next Cls and survives repaints; the image is kept at the device
// pixel ratio of the screen so it stays crisp on high-DPI displays.
#pragma once

#include <QFont>
#include <QImage>
#include <QTransform>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canvas/canvas.h"

class QPainter;

namespace mcplot {

class RasterCanvas : public Canvas {
public:
    RasterCanvas();
    ~RasterCanvas() override;
    RasterCanvas(const RasterCanvas&) = delete;
    RasterCanvas& operator=(const RasterCanvas&) = delete;

    // Size of the box in logical pixels, and the screen's device pixel ratio.
    // The drawing is cleared; the user coordinates are kept.
    void resize(int width, int height, double devicePixelRatio = 1.0);

    void Cls() override;
    void Scale(double x1, double y1, double x2, double y2) override;
    void Line(double x1, double y1, double x2, double y2, uint32_t color) override;
    void LineTo(double x, double y, uint32_t color) override;
    void Box(double x1, double y1, double x2, double y2, uint32_t color) override;
    void PSet(double x, double y, uint32_t color) override;
    void PSet(double x, double y) override;
    // The batch path for dots: the transform, the dot size, the colours and the
    // image's rows are taken once for the whole batch. Same pixels as PSet.
    void PSets(std::span<const Dot> dots) override;
    void setCurrentX(double x) override { currentX_ = x; }
    void setCurrentY(double y) override { currentY_ = y; }
    void Print(const std::string& text) override;
    // Wraps the note within the box in two lines at most, shortened with "…"
    // if need be, on a light ground, in the first place from the top where it
    // covers no text printed since Cls; recorded with its whole text.
    bool PrintNotice(const std::string& text) override;
    void setDrawWidth(int width) override;
    int drawWidth() const override { return drawWidth_; }

    // What the window shows (with its device pixel ratio set). Ends the
    // batch of drawing: lines and texts share one painter from the first of
    // them until Cls, a resize or a look at the image.
    const QImage& image() const;
    void endBatch() const;

    // Called once when the drawing changes after it was last presented, so
    // the window repaints once per batch of drawing, not once per dot.
    void setChangeListener(std::function<void()> listener) {
        changeListener_ = std::move(listener);
        changed_ = false;
    }
    void markPresented() { changed_ = false; }

    // What has been drawn since the last Cls, for the test driver.
    struct PrintedText {
        double x, y;
        std::string text;
    };
    const std::vector<PrintedText>& texts() const { return texts_; }
    std::array<double, 4> scale() const { return {sx1_, sy1_, sx2_, sy2_}; }
    double currentX() const { return currentX_; }
    double currentY() const { return currentY_; }

    // Pixel colour at a logical position, as blue-green-red (tests).
    uint32_t pixelAt(int x, int y) const;
    // Maps user coordinates to logical pixels.
    QPointF toPixels(double x, double y) const;

private:
    void updateTransform();
    void touched() {
        if (changed_) return;
        changed_ = true;
        if (changeListener_) changeListener_();
    }
    void drawSegment(double x1, double y1, double x2, double y2, uint32_t color);
    QPainter& batchPainter();

    QImage image_;
    mutable std::unique_ptr<QPainter> painter_;  // the open batch, if any
    QFont font_;
    double fontAscent_ = 0;
    int width_ = 1, height_ = 1;
    double dpr_ = 1.0;
    double sx1_ = 0, sy1_ = 0, sx2_ = 1, sy2_ = 1;  // defaults: pixels, y down
    bool userScale_ = false;
    QTransform toPixels_;
    double currentX_ = 0, currentY_ = 0;
    int drawWidth_ = 1;
    std::vector<PrintedText> texts_;
    std::function<void()> changeListener_;
    bool changed_ = false;
};

}  // namespace mcplot
