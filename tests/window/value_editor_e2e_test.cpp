// Values typed over the labels of the parameter bars, end to end.
#include <gtest/gtest.h>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

QJsonObject editor(const QJsonObject& dump) {
    return dump["editor"].toObject();
}

TEST(ValueEditor, TypedUpperLimitActsAsMovingTheBarThere) {
    DriverSession typed, moved;
    const auto byEditor = typed.run({"start", "edit Label4 5", "dump"});
    const auto byBar = moved.run({"start", "scroll 2 500", "dump"});
    ASSERT_EQ(byEditor.size(), 1u);
    ASSERT_EQ(byBar.size(), 1u);
    const QJsonObject e = byEditor[0], b = byBar[0];
    EXPECT_EQ(stateValue(e, "b"), 5);
    EXPECT_EQ(control(e, "VScroll2")["value"].toInt(), 500);
    EXPECT_EQ(caption(e, "Label4"), "5.00");
    EXPECT_FALSE(editor(e)["open"].toBool());
    EXPECT_EQ(editor(e)["explanation"].toString(), "");
    // The same run as the bar's: same plot count, state and drawing.
    EXPECT_EQ(e["plots"].toInt(), b["plots"].toInt());
    EXPECT_EQ(e["state"].toObject(), b["state"].toObject());
    EXPECT_EQ(e["canvas"].toObject(), b["canvas"].toObject());
}

TEST(ValueEditor, OneTypedValueIsOnePlotRun) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "edit Label4 5", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[1]["plots"].toInt(), 1);
}

TEST(ValueEditor, CommaAndPointBothSeparateDecimalsAndHalvesGoToEven) {
    DriverSession s;
    const auto d = s.run({"start", "edit Label3 1,5", "dump", "edit Label4 2.675", "dump",
                          "edit Label4 2.665", "dump", "edit Label3 -0,125", "dump"});
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(control(d[0], "VScroll1")["value"].toInt(), 150);
    EXPECT_EQ(stateValue(d[0], "a"), 1.5);
    EXPECT_EQ(control(d[1], "VScroll2")["value"].toInt(), 268);  // 267.5 → 268
    EXPECT_EQ(control(d[2], "VScroll2")["value"].toInt(), 266);  // 266.5 → 266
    EXPECT_EQ(control(d[3], "VScroll1")["value"].toInt(), -12);  // -12.5 → -12
}

TEST(ValueEditor, ThrowsAndScaleTakeThePositionItself) {
    DriverSession s;
    auto d = s.run({"start", "dump", "edit Label5 1000", "dump", "edit Label1 4", "dump"});
    ASSERT_EQ(d.size(), 3u);
    d.erase(d.begin());
    EXPECT_EQ(stateValue(d[0], "nbros"), 1000);
    EXPECT_EQ(caption(d[0], "Label5"), "1000");
    EXPECT_EQ(d[0]["plots"].toInt(), 0) << "the throws bar redraws nothing";
    EXPECT_EQ(stateValue(d[1], "mashtab"), 4);
    EXPECT_EQ(control(d[1], "VScroll4")["value"].toInt(), 4);
    EXPECT_EQ(d[1]["plots"].toInt(), 1);
}

TEST(ValueEditor, WrongTextsChangeNothingAndExplainWhy) {
    for (const char* typed : {"abc", "1e9", "", "3,5,1", "40000", "-1"}) {
        DriverSession s;
        const bool throwsBar = std::string(typed) == "-1";
        const QString label = throwsBar ? "Label5" : "Label4";
        const auto d = s.run({"start", "dump", "edit " + label + " " + typed, "dump"});
        ASSERT_EQ(d.size(), 2u) << typed;
        const QJsonObject before = d[0], after = d[1];
        EXPECT_EQ(after["state"].toObject(), before["state"].toObject()) << typed;
        EXPECT_EQ(after["plots"].toInt(), 0) << typed;
        EXPECT_EQ(control(after, "VScroll2")["value"].toInt(), 300) << typed;
        EXPECT_EQ(control(after, "VScroll3")["value"].toInt(), 200) << typed;
        EXPECT_EQ(caption(after, "Label4"), caption(before, "Label4")) << typed;
        EXPECT_TRUE(editor(after)["open"].toBool()) << typed;
        EXPECT_EQ(editor(after)["label"].toString(), label) << typed;
        const QString why = editor(after)["explanation"].toString();
        EXPECT_FALSE(why.isEmpty()) << typed;
        EXPECT_TRUE(why.contains(throwsBar ? "от 0 до 32000" : "от -327.67 до 327.67")) << why.toStdString();
    }
}

TEST(ValueEditor, ExplanationsWriteTheRangeWithTheRegionalSeparator) {
    DriverSession s;
    s.setLocale("ru_RU.UTF-8");
    const auto d = s.run({"start", "edit Label3 много", "dump", "edit Label3 2,5", "dump"});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_TRUE(editor(d[0])["explanation"].toString().contains("от -320,00 до 320,00"));
    EXPECT_EQ(caption(d[1], "Label3"), "2,50");
    EXPECT_FALSE(editor(d[1])["open"].toBool());
}

TEST(ValueEditor, OnlyTheFourValueLabelsHaveAnEditor) {
    DriverSession s;
    const auto d = s.run({"start", "edit Label6 5", "edit Label2 5", "dump"});
    ASSERT_EQ(d.size(), 3u);
    EXPECT_TRUE(d[0].contains("error"));
    EXPECT_TRUE(d[1].contains("error"));
    EXPECT_FALSE(editor(d[2])["open"].toBool());
}

}  // namespace
}  // namespace mcplot::testing
