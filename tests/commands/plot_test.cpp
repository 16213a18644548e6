// The plot run: range scan, axes and trace, through the run commands.
#include <gtest/gtest.h>

#include <cfloat>

#include "tests/support/fakes.h"

using namespace mcplot;
using namespace mcplot::testing;

namespace {

std::vector<std::string> between(const std::vector<std::string>& all, size_t from, size_t count) {
    return {all.begin() + static_cast<long>(from), all.begin() + static_cast<long>(from + count)};
}

}  // namespace

TEST(RangeScan, ParabolaOnZeroToThreeWithScaleTwo) {
    EngineRig rig;
    rig.setUp(2, 0, 3, 2);
    rig.engine.minmax();
    const CalcState& s = rig.state;
    EXPECT_EQ(s.h, 0.03f);
    EXPECT_EQ(s.ymin.value(), 0);
    EXPECT_EQ(s.ymax, 9.0f);
    EXPECT_EQ(s.x1.value(), -1.5);
    EXPECT_EQ(s.x2.value(), 4.5);
    EXPECT_EQ(s.y1.value(), 13.5);
    EXPECT_EQ(s.y2, -4.5f);
    EXPECT_EQ(s.i.value(), 101);
    EXPECT_EQ(s.x.value(), 0 + static_cast<double>(0.03f * 100));
    const auto scale = rig.canvas.named("Scale");
    ASSERT_EQ(scale.size(), 1u);
    EXPECT_EQ(scale[0].x1, -1.5);
    EXPECT_EQ(scale[0].y1, 13.5);
    EXPECT_EQ(scale[0].x2, 4.5);
    EXPECT_EQ(scale[0].y2, -4.5);
}

TEST(RangeScan, RangeAlwaysHoldsZeroAndMaxIsSingle) {
    EngineRig rig;
    rig.setUp(0, 0, 1, 1);
    rig.host.computes([](double) { return -2.0; });
    rig.engine.minmax();
    EXPECT_EQ(rig.state.ymax, 0.0f);
    EXPECT_EQ(rig.state.ymin.value(), -2);
    EXPECT_EQ(rig.state.y1.value(), 0) << "with scale 1 the x axis is the top edge";
    rig.host.computes([](double) { return 0.1; });
    rig.engine.minmax();
    EXPECT_EQ(static_cast<double>(rig.state.ymax), 0.100000001490116119384765625);
    EXPECT_EQ(rig.state.ymin.value(), 0);
}

TEST(RangeScan, LowerLimitAboveUpperMirrorsTheWindow) {
    EngineRig rig;
    rig.setUp(1, 3, 1, 1);
    rig.engine.minmax();
    EXPECT_LT(rig.state.h, 0);
    EXPECT_GT(rig.state.x1.value(), rig.state.x2.value());
    EXPECT_EQ(rig.state.x1.value(), 3);
    EXPECT_EQ(rig.state.x2.value(), 1);
}

TEST(RangeScan, WindowWithoutExtentIsWidened) {
    EngineRig rig;
    rig.setUp(1, 2, 2, 2);  // a = b
    rig.engine.minmax();
    auto scale = rig.canvas.named("Scale").back();
    EXPECT_NE(scale.x1, scale.x2);
    EXPECT_GT(scale.y1, scale.y2);

    rig.setUp(0, 0, 3, 2);  // f = 0 at every sample
    rig.host.computes([](double) { return 0.0; });
    rig.engine.minmax();
    scale = rig.canvas.named("Scale").back();
    EXPECT_GT(scale.y1, scale.y2);
    EXPECT_EQ(scale.x1, -1.5);
}

TEST(RangeScan, HugeUserValuesStayFinite) {
    EngineRig rig;
    rig.setUp(0, -1, 1, 5);
    rig.host.computes([](double x) { return x < 0 ? -1e300 : 1e300; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.state.ymax, FLT_MAX) << "the largest value saturates at the single range";
    EXPECT_TRUE(rig.canvas.allFinite());
    EXPECT_EQ(rig.controls.label6.find("nan"), std::string::npos);
    EXPECT_EQ(rig.controls.label2.find("inf"), std::string::npos);
}

TEST(Axes, ParabolaTicksAndCaptions) {
    EngineRig rig;
    rig.setUp(2, 0, 3, 2);
    rig.engine.Command1_Click();
    const auto printed = rig.canvas.printed();
    ASSERT_EQ(printed.size(), 26u);
    // Pass k prints the x tick k*dx (dx = 1) and the y tick k*dy (dy = 4).
    EXPECT_EQ(between(printed, 8, 10),
              (std::vector<std::string>{"-1", "-4", " 0", " 0", " 1", " 4", " 2", " 8", " 3", " 12"}));
    EXPECT_EQ(printed[22], "f(x)");
    EXPECT_EQ(printed[23], "Х");
    EXPECT_EQ(printed[24], "Ymax= 9");
    EXPECT_EQ(printed[25], "Ymin= 0");
    // The curve starts at (a, f(a)) with a blue point three pixels wide.
    const auto dots = rig.canvas.named("PSet");
    EXPECT_EQ(dots.back().x1, 0);
    EXPECT_EQ(dots.back().y1, 0);
    EXPECT_EQ(dots.back().color, colors::blue);
    EXPECT_EQ(dots.back().width, 3);
}

TEST(Axes, RangeCaptionsAreRoundedThenShort) {
    EngineRig rig;
    rig.setUp(0, 0, 1, 2);
    rig.host.computes([](double x) { return x < 0.5 ? 0.39894 : -4.5; });
    rig.engine.Command1_Click();
    const auto printed = rig.canvas.printed();
    EXPECT_EQ(printed[24], "Ymax= .399");
    EXPECT_EQ(printed[25], "Ymin=-4.5");
}

TEST(Axes, NarrowWindowUsesHalfUnitTicks) {
    EngineRig rig;
    rig.setUp(1, 0, 1, 2);  // width 2: 0.4 rounds to 0
    rig.engine.Command1_Click();
    const auto printed = rig.canvas.printed();
    EXPECT_EQ(printed[8], "-.5");
    EXPECT_EQ(printed[10], " 0");
    EXPECT_EQ(printed[12], " .5");
    EXPECT_EQ(printed[14], " 1");
    EXPECT_EQ(printed[16], " 1.5");
}

TEST(Axes, GridWidthHalvesGoToEven) {
    EngineRig rig;
    rig.setUp(1, 0, 6.25f, 2);  // window width 12.5: 2.5 rounds to 2
    rig.engine.Command1_Click();
    EXPECT_EQ(rig.canvas.printed()[12], " 2");
}

TEST(Axes, FirstPlotAxesAreThinLaterOnesThick) {
    EngineRig rig;
    rig.setUp(2, 0, 3, 2);
    rig.engine.Command1_Click();
    auto widthOfFirstLine = [&](int width) {
        for (const auto& op : rig.canvas.ops) {
            if (op.name == "DrawWidth") width = op.width;
            if (op.name == "Line") return width;
        }
        return -1;
    };
    EXPECT_EQ(widthOfFirstLine(1), 1);
    rig.canvas.ops.clear();
    rig.engine.Command1_Click();
    EXPECT_EQ(widthOfFirstLine(rig.canvas.drawWidth()), 3);
    EXPECT_EQ(rig.canvas.drawWidth(), 3);
}

TEST(Trace, HundredAndOnePointsStartingWithZeroLength) {
    EngineRig rig;
    rig.setUp(0, 0, 3, 2);
    int evaluations = 0;
    rig.host.computes([&](double x) {
        ++evaluations;
        return x * x;
    });
    rig.engine.Command1_Click();
    EXPECT_EQ(evaluations, 101 + 1 + 101) << "scan, axes, trace";
    const auto lines = rig.canvas.named("LineTo");
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[0].x1, lines[0].x2);
    EXPECT_EQ(lines[0].y1, lines[0].y2);
    EXPECT_EQ(lines[0].color, colors::blue);
    EXPECT_EQ(lines[100].x2, static_cast<double>(0.03f * 100));
    EXPECT_EQ(rig.state.i.value(), 101);
}

TEST(Trace, FailingExpressionDrawsALevelLine) {
    EngineRig rig;
    rig.setUp(0, 0, 3, 2);
    rig.state.y = Number::dbl(2);
    rig.host.onExecute = [](std::string_view, PubResults*) {
        return ScriptStatus::failure(11, "Division by zero");
    };
    rig.engine.Command1_Click();
    for (const auto& line : rig.canvas.named("LineTo")) EXPECT_EQ(line.y2, 2);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
}

TEST(RunCommands, PlotIsRepeatableAndStartsWithClear) {
    EngineRig rig;
    rig.setUp(3, 0, 3.1415927f, 2);
    rig.engine.Command1_Click();
    rig.engine.Command1_Click();
    const auto first = rig.canvas.ops;
    rig.canvas.ops.clear();
    rig.engine.Command1_Click();
    ASSERT_EQ(rig.canvas.ops.size(), first.size() / 2);
    EXPECT_EQ(rig.canvas.ops.front().name, "Cls");
    EXPECT_EQ(rig.engine.plotRuns(), 3);
}

TEST(RunCommands, ParameterChangeReplotsVanDerWaals) {
    EngineRig rig;
    rig.setUp(9, 0.5, 5, 2);
    rig.controls.parameter = "1.2";
    rig.engine.Text2_Change();
    EXPECT_EQ(rig.engine.plotRuns(), 1);
    EXPECT_TRUE(rig.canvas.allFinite());
}

TEST(RunCommands, UndefinedPointsAreReportedOnThePlot) {
    EngineRig rig;
    rig.setUp(7, 0, 12, 2);  // Planck 1 is 0/0 at x = 0
    rig.engine.Command1_Click();
    EXPECT_GT(rig.engine.undefinedPoints(), 0);
    EXPECT_EQ(rig.canvas.printed().back().rfind("Точек, где f(x) не вычисляется: ", 0), 0u);
    EXPECT_TRUE(rig.canvas.allFinite());
    rig.setUp(7, 0.01, 12, 2);
    rig.engine.Command1_Click();
    EXPECT_EQ(rig.engine.undefinedPoints(), 0);
    EXPECT_EQ(rig.canvas.printed().back().rfind("Ymin=", 0), 0u);
}
