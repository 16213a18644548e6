// The plot box's drawing surface, checked on its pixels.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include <cfloat>
#include <cmath>

#include "canvas/raster_canvas.h"

using namespace mcplot;

namespace {
constexpr uint32_t white = 0xFFFFFF;
}

TEST(RasterCanvas, UserCoordinatesPutYUpAndMirrorX) {
    RasterCanvas canvas;
    canvas.resize(100, 50);
    canvas.Scale(0, 10, 10, 0);
    EXPECT_EQ(canvas.toPixels(0, 10), QPointF(0, 0));
    EXPECT_EQ(canvas.toPixels(10, 0), QPointF(100, 50));
    canvas.Scale(10, 10, 0, 0);  // x1 > x2: x grows to the left
    EXPECT_EQ(canvas.toPixels(10, 5), QPointF(0, 25));
    canvas.Scale(0, 1, 0, 0);  // no width: refused, the window stays
    EXPECT_EQ(canvas.toPixels(10, 5), QPointF(0, 25));
}

TEST(RasterCanvas, DotsAreDrawWidthWideInBlueGreenRedOrder) {
    RasterCanvas canvas;
    canvas.resize(40, 40);
    canvas.Scale(0, 40, 40, 0);
    canvas.setDrawWidth(3);
    canvas.PSet(20, 20, 0xFF0000);  // blue
    EXPECT_EQ(canvas.pixelAt(20, 20), 0xFF0000u);
    EXPECT_EQ(canvas.pixelAt(19, 19), 0xFF0000u);
    EXPECT_EQ(canvas.pixelAt(21, 21), 0xFF0000u);
    EXPECT_EQ(canvas.pixelAt(22, 20), white);
    canvas.setDrawWidth(1);
    canvas.PSet(5, 35, 0x0000FF);  // red
    EXPECT_EQ(canvas.pixelAt(5, 5), 0x0000FFu);
    EXPECT_EQ(canvas.pixelAt(6, 5), white);
    EXPECT_EQ(canvas.currentX(), 5);
    EXPECT_EQ(canvas.currentY(), 35);
}

TEST(RasterCanvas, LinesContinueFromTheCurrentPointAndClip) {
    RasterCanvas canvas;
    canvas.resize(50, 50);
    canvas.Scale(0, 50, 50, 0);
    canvas.Line(0, 10.5, 25, 10.5, 0x000000);
    EXPECT_EQ(canvas.pixelAt(10, 39), 0x000000u);
    canvas.LineTo(25, 40.5, 0x80FF80);
    EXPECT_EQ(canvas.pixelAt(25, 20), 0x80FF80u);
    // Far outside and non-finite coordinates are clipped or skipped, not drawn wrong.
    canvas.Line(-1e300, 25.5, 1e300, 25.5, 0x0000FF);
    EXPECT_EQ(canvas.pixelAt(40, 24), 0x0000FFu);
    canvas.Line(0, NAN, 10, 10, 0x0000FF);
    canvas.PSet(INFINITY, 3, 0x0000FF);
    canvas.Box(-1e308, -1e308, 1e308, 1e308, 0x0000FF);
}

TEST(RasterCanvas, BoxIsAnOutline) {
    RasterCanvas canvas;
    canvas.resize(50, 50);
    canvas.Scale(0, 50, 50, 0);
    canvas.Box(10, 10, 40, 40, 0x000000);
    EXPECT_EQ(canvas.pixelAt(25, 10), 0x000000u);
    EXPECT_EQ(canvas.pixelAt(25, 25), white);
}

TEST(RasterCanvas, DrawingStaysUntilClsAndTextIsRecorded) {
    RasterCanvas canvas;
    canvas.resize(200, 100);
    canvas.Scale(0, 100, 200, 0);
    canvas.setCurrentX(10);
    canvas.setCurrentY(90);
    canvas.Print("Ymax= 9");
    ASSERT_EQ(canvas.texts().size(), 1u);
    EXPECT_EQ(canvas.texts()[0].text, "Ymax= 9");
    int dark = 0;
    for (int x = 10; x < 70; ++x)
        for (int y = 10; y < 30; ++y) dark += canvas.pixelAt(x, y) != white;
    EXPECT_GT(dark, 20) << "the text is drawn below and right of the current point";
    canvas.Cls();
    EXPECT_TRUE(canvas.texts().empty());
    EXPECT_EQ(canvas.pixelAt(15, 15), white);
    EXPECT_EQ(canvas.currentX(), 0);
}

TEST(RasterCanvas, HighDensityScreensGetMorePixels) {
    RasterCanvas canvas;
    canvas.resize(100, 50, 2.0);
    EXPECT_EQ(canvas.image().width(), 200);
    EXPECT_EQ(canvas.image().devicePixelRatio(), 2.0);
    canvas.Scale(0, 50, 100, 0);
    canvas.setDrawWidth(3);
    canvas.PSet(50, 25, 0xFF0000);
    EXPECT_EQ(canvas.pixelAt(50, 25), 0xFF0000u);
    canvas.resize(0, -5);  // a collapsed box still has one pixel to draw on
    EXPECT_GE(canvas.image().width(), 1);
}

TEST(RasterCanvas, TellsItsViewOncePerBatchOfDrawing) {
    RasterCanvas canvas;
    canvas.resize(50, 50);
    int calls = 0;
    canvas.setChangeListener([&] { ++calls; });
    canvas.Scale(0, 50, 50, 0);
    EXPECT_EQ(calls, 0) << "a new scale draws nothing";
    canvas.Cls();
    for (int k = 0; k < 100; ++k) canvas.PSet(k % 50, 10, 0xFF0000);
    canvas.Line(0, 0, 50, 50, 0);
    EXPECT_EQ(calls, 1);
    canvas.markPresented();
    canvas.setCurrentX(5);
    canvas.Print("f(x)");
    EXPECT_EQ(calls, 2);
}

TEST(RasterCanvas, ABatchOfDotsSetsThePixelsDotByDotWould) {
    // Dots inside, across every edge, far outside and without a finite place,
    // in both colours, for thin and thick dots on plain and dense screens.
    std::vector<Dot> dots;
    for (int k = 0; k < 400; ++k) {
        const double x = -1.3 + (k * 37 % 401) * 0.0315, y = -0.7 + (k * 53 % 397) * 0.0221;
        dots.push_back({x, y, k % 3 ? colors::blue : colors::red});
    }
    dots.push_back({0, 0, colors::red});
    dots.push_back({10, 10, colors::blue});
    dots.push_back({-1e300, 4, colors::red});
    dots.push_back({NAN, 1, colors::red});
    dots.push_back({2, INFINITY, colors::blue});
    dots.push_back({9.99, 7.01, colors::blue});
    for (double ratio : {1.0, 2.0, 1.5}) {
        for (int width : {1, 3}) {
            RasterCanvas single, batch;
            for (RasterCanvas* c : {&single, &batch}) {
                c->resize(97, 61, ratio);
                c->Scale(-0.5, 7, 10, -0.5);
                c->setDrawWidth(width);
                c->Line(0, 0, 5, 5, colors::black);  // drawing before the dots
            }
            for (const Dot& d : dots) single.PSet(d.x, d.y, d.color);
            batch.PSets(dots);
            EXPECT_TRUE(single.image() == batch.image()) << "ratio " << ratio << ", width " << width;
            EXPECT_EQ(batch.currentX(), single.currentX());
            EXPECT_EQ(batch.currentY(), single.currentY());
        }
    }
}

TEST(RasterCanvas, DrawingGoesOnAfterTheImageWasLookedAt) {
    RasterCanvas canvas;
    canvas.resize(50, 50);
    canvas.Scale(0, 50, 50, 0);
    canvas.Line(0, 10.5, 50, 10.5, colors::black);
    EXPECT_EQ(canvas.pixelAt(20, 39), colors::black);
    canvas.Line(0, 30.5, 50, 30.5, colors::red);
    canvas.PSets(std::vector<Dot>{{25, 40, colors::blue}});
    const QImage& shown = canvas.image();
    EXPECT_EQ(bgrFromArgb(shown.pixel(20, 19)), colors::red);
    EXPECT_EQ(bgrFromArgb(shown.pixel(25, 10)), colors::blue);
    EXPECT_EQ(canvas.pixelAt(20, 39), colors::black);
}

// The explanation line over a plot: labels in a column in the middle (a y
// axis), a row across (an x axis) and captions at the top, as the axes print
// them; at the template's size and at a small one.
TEST(RasterCanvas, TheNoteCoversNoLabelAndWrapsOrShortens) {
    struct Case {
        int width, height;
        const char* note;
        bool whole;
    };
    const std::string longNote(400, 'w');
    const Case cases[] = {{596, 264, "Подсказка: −x^2 здесь — это (−x)²; для −x² пишите -(x^2)", true},
                          {596, 84, "Подсказка: −x^2 здесь — это (−x)²; для −x² пишите -(x^2)", true},
                          {596, 264, longNote.c_str(), false},
                          {596, 84, longNote.c_str(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " " + std::string(c.note).substr(0, 10));
        RasterCanvas canvas;
        canvas.resize(c.width, c.height);
        canvas.Scale(-6, 10, 18, -2);
        for (int k = -5; k <= 5; ++k) {
            canvas.PSet(k * 4, 0);
            canvas.Print(std::to_string(k * 4));
            canvas.PSet(0, k * 2);
            canvas.Print(std::to_string(k * 2));
        }
        canvas.setCurrentX(0.5);
        canvas.setCurrentY(10);
        canvas.Print("f(x)");
        canvas.setCurrentX(6);
        canvas.Print("Ymax= 10");
        const QImage before = canvas.image().copy();
        const size_t textsBefore = canvas.texts().size();
        EXPECT_EQ(canvas.PrintNotice(c.note), c.whole);
        const QImage after = canvas.image();
        int changed = 0, drawn = 0;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x) {
                if (before.pixel(x, y) != after.pixel(x, y)) ++drawn;
                if (before.pixel(x, y) != QColor(Qt::white).rgb() && before.pixel(x, y) != after.pixel(x, y))
                    ++changed;
            }
        EXPECT_EQ(changed, 0) << "no label's pixel is touched";
        EXPECT_GT(drawn, 0) << "the note is drawn";
        ASSERT_EQ(canvas.texts().size(), textsBefore + 1);
        EXPECT_EQ(canvas.texts().back().text, c.note) << "recorded whole";
        // Two lines at most: the note's ink spans no more than two line heights.
        int top = before.height(), bottom = -1;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                if (before.pixel(x, y) != after.pixel(x, y))
                    top = std::min(top, y), bottom = std::max(bottom, y);
        EXPECT_LE(bottom - top, 2 * QFontMetrics(QFont("Times New Roman", 12)).lineSpacing() + 2);
    }
}
