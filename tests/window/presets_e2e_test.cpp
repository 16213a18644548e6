// The function list: entries by text, the nested redraws of the limit bars,
// the failed picture load, and the resize that applies the entry again.
#include <gtest/gtest.h>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

TEST(Presets, EntryWhoseBarsStayDrawsOnceAndKeepsTheLimits) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "select 1", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[1]["plots"].toInt(), 1);
    EXPECT_EQ(stateValue(d[1], "nfun"), 2);
    EXPECT_EQ(stateValue(d[1], "a"), 0);
    EXPECT_EQ(stateValue(d[1], "b"), 3);
}

TEST(Presets, CosineAfterLinearMovesBothBarsAndDrawsThreeTimes) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "select 3", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[1]["plots"].toInt(), 3);
    EXPECT_EQ(control(d[1], "VScroll1")["value"].toInt(), -157);
    EXPECT_EQ(control(d[1], "VScroll2")["value"].toInt(), 157);
    EXPECT_EQ(stateValue(d[1], "a"), -157 * 0.01);
    EXPECT_EQ(stateValue(d[1], "b"), double(float(157 * 0.01)));
    EXPECT_EQ(caption(d[1], "Label3"), "-1.57");
    EXPECT_EQ(caption(d[1], "Label4"), "1.57");
    EXPECT_EQ(stateValue(d[1], "nfun"), 4);
}

TEST(Presets, UserFunctionShowsTheExpressionBoxWithTheUpperLimit14_2) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "select 9", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(stateValue(d[1], "nfun"), 0);
    EXPECT_FALSE(visible(d[1], "Image1"));
    EXPECT_TRUE(visible(d[1], "Text1"));
    EXPECT_TRUE(visible(d[1], "Command1"));
    EXPECT_FALSE(visible(d[1], "Text2"));
    EXPECT_EQ(control(d[1], "VScroll2")["value"].toInt(), 1420);
    EXPECT_EQ(stateValue(d[1], "b"), 14.19999980926513671875);
    EXPECT_EQ(caption(d[1], "Label4"), "14.20");
    EXPECT_EQ(d[1]["plots"].toInt(), 2);  // VScroll2 moved, then the list's own redraw
}

TEST(Presets, VanDerWaalsShowsTheParameterBoxUntilAnotherEntry) {
    DriverSession s;
    const auto d = s.run({"start", "select 8", "dump", "select 5", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_TRUE(visible(d[0], "Text2"));
    EXPECT_EQ(stateValue(d[0], "a"), 0.5);
    EXPECT_EQ(stateValue(d[0], "b"), 5);
    EXPECT_EQ(stateValue(d[0], "nfun"), 9);
    EXPECT_FALSE(visible(d[1], "Text2"));
    EXPECT_EQ(stateValue(d[1], "a"), 0);
}

TEST(Presets, GaussAfterUserFunctionWithoutItsPictureKeepsLimitsAndInputs) {
    DriverSession s({"gauss.gif"});
    const auto d = s.run({"start", "select 9", "dump", "select 4", "dump", "select 9", "dump"});
    ASSERT_EQ(d.size(), 3u);
    const QJsonObject g = d[1];
    ASSERT_EQ(g["messages"].toArray().size(), 1);
    EXPECT_EQ(g["messages"].toArray()[0].toObject()["text"].toString().section("\r\n", 0, 0),
              "В папке с программой должны быть файлы с рисунками формата *.gif.");
    EXPECT_EQ(stateValue(g, "nfun"), 5);
    EXPECT_TRUE(visible(g, "Image1"));
    EXPECT_FALSE(control(g, "Image1")["hasPicture"].toBool());
    EXPECT_TRUE(visible(g, "Text1"));
    EXPECT_TRUE(visible(g, "Command1"));
    EXPECT_EQ(stateValue(g, "a"), 0);
    EXPECT_EQ(stateValue(g, "b"), 14.19999980926513671875);
    EXPECT_EQ(g["plots"].toInt(), 1);
    // Entry 9 loads nothing, so the empty picture warns again.
    EXPECT_EQ(d[2]["messages"].toArray().size(), 1);
}

TEST(Presets, ResizeAppliesTheEntryAgainAndResetsAMovedLimit) {
    DriverSession s;
    const auto d = s.run({"start", "scroll 2 500", "dump", "resize 740 580", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(stateValue(d[0], "b"), 5);
    EXPECT_EQ(stateValue(d[1], "b"), 3);
    EXPECT_EQ(control(d[1], "VScroll2")["value"].toInt(), 300);
    EXPECT_EQ(caption(d[1], "Label4"), "3.00");
    EXPECT_EQ(d[1]["plots"].toInt(), 2);
}

TEST(Presets, AnUnmovedBarKeepsTheExactPresetOnResize) {
    DriverSession s;
    const auto d = s.run({"start", "select 2", "dump", "resize 700 500", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(stateValue(d[0], "b"), double(float(314 * 0.01)));
    // VScroll2 already stands at 314: no change handler, b stays the preset.
    EXPECT_EQ(stateValue(d[1], "b"), double(3.1415927f));
    EXPECT_EQ(d[1]["plots"].toInt(), 1);
}

}  // namespace
}  // namespace mcplot::testing
