// The layout: all 68 values at the template size, the shifts at a larger size,
// and client areas too small for the layout.
#include <gtest/gtest.h>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

struct Expected {
    const char* control;
    double left, top, width, height;
};

// The table of the layout at 640 × 480 client pixels.
const Expected at640x480[] = {
    {"List1", 4, 428, 130, 44},           {"Image1", 4, 4, 624, 152},
    {"VScroll4", 4, 160, 16.25, 264},     {"Label1", 20.25, 160 + 264.0 / 7, 16.25, 22},
    {"Picture1", 40.5, 160, 595.5, 264},  {"Label3", 146, 428, 48.75, 44},
    {"VScroll1", 194.75, 428, 16.25, 44}, {"Label4", 223, 428, 48.75, 44},
    {"VScroll2", 271.75, 428, 16.25, 44}, {"Label5", 300, 428, 48.75, 44},
    {"VScroll3", 348.75, 428, 16.25, 44}, {"Text2", 377, 428, 48.75, 44},
    {"CmdOK", 433.75, 428, 65, 44},       {"Label6", 506.75, 428, 130, 22},
    {"Label2", 506.75, 454, 130, 22},     {"Text1", 8, 76, 624, 22},
    {"Command1", 287.5, 106, 65, 22},
};

void expectLayout(const QJsonObject& d, int dw, int dh) {
    for (const Expected& e : at640x480) {
        const std::string name = e.control;
        double left = e.left, top = e.top, width = e.width, height = e.height;
        // Extra height lowers the bottom row and lengthens the bar and the
        // canvas; extra width widens the formula area and the canvas.
        if (top == 428 || top == 454) top += dh;
        if (name == "Label1") top = 160 + (264.0 + dh) / 7;
        if (name == "VScroll4" || name == "Picture1") height += dh;
        if (name == "Image1" || name == "Text1" || name == "Picture1") width += dw;
        if (name == "Command1") left += dw / 2.0;
        const auto g = geometry(d, e.control);
        ASSERT_EQ(g.size(), 4u) << name;
        EXPECT_FLOAT_EQ(g[0], float(left)) << name << " left";
        EXPECT_FLOAT_EQ(g[1], float(top)) << name << " top";
        EXPECT_FLOAT_EQ(g[2], float(width)) << name << " width";
        EXPECT_FLOAT_EQ(g[3], float(height)) << name << " height";
    }
}

TEST(Layout, TemplateSizeGivesEveryValueOfTheTable) {
    DriverSession s;
    const QJsonObject d = s.runOne({"size 640 480", "start", "dump"});
    EXPECT_EQ(d["form"]["client"].toArray(), QJsonArray({640, 480}));
    expectLayout(d, 0, 0);
    // The widgets get the rounded values.
    EXPECT_EQ(control(d, "Label1")["pixels"].toArray(), QJsonArray({20, 198, 16, 22}));
    EXPECT_EQ(control(d, "Picture1")["pixels"].toArray(), QJsonArray({41, 160, 596, 264}));
}

TEST(Layout, HundredPixelsMoreInBothDirections) {
    DriverSession s;
    const auto d = s.run({"start", "resize 740 580", "dump", "resize 640 480", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]["form"]["client"].toArray(), QJsonArray({740, 580}));
    expectLayout(d[0], 100, 100);
    expectLayout(d[1], 0, 0);
}

TEST(Layout, StartingAtALargerSizeLaysOutTheSame) {
    DriverSession s;
    expectLayout(s.runOne({"size 740 580", "start", "dump"}), 100, 100);
}

TEST(Layout, TinyClientAreasGiveNoNegativeSizesAndThePlotComesBack) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "resize 10 10", "dump", "resize 0 0", "dump", "resize 40 200",
                          "dump", "click CmdOK", "resize 640 480", "dump"});
    ASSERT_EQ(d.size(), 5u);
    for (size_t k = 1; k < 4; ++k) {
        for (const QString& name : d[k]["controls"].toObject().keys()) {
            const auto g = geometry(d[k], name.toLatin1().constData());
            EXPECT_GE(g[2], 0) << name.toStdString();
            EXPECT_GE(g[3], 0) << name.toStdString();
        }
        EXPECT_TRUE(d[k]["alive"].toBool());
    }
    EXPECT_EQ(geometry(d[1], "Picture1")[3], 0);
    // Qt keeps at least one pixel each way.
    EXPECT_EQ(d[2]["form"]["client"].toArray(), QJsonArray({1, 1}));
    expectLayout(d[4], 0, 0);
    EXPECT_EQ(d[4]["canvas"]["scale"], d[0]["canvas"]["scale"]);
    EXPECT_EQ(d[4]["canvas"]["texts"], d[0]["canvas"]["texts"]);
    EXPECT_GE(d[4]["plots"].toInt(), 1);
}

}  // namespace
}  // namespace mcplot::testing
