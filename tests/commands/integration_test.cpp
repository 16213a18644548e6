// Monte Carlo throws and the trapezoid rule.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/fakes.h"

using namespace mcplot;
using namespace mcplot::testing;

namespace {

// The user's function given in C++, thrown at with listed random numbers.
struct MonteCarloRig : BasicEngineRig<RecordingCanvas, ListRandom> {
    explicit MonteCarloRig(std::vector<float> randoms) : BasicEngineRig(ListRandom(std::move(randoms))) {}

    void setUp(double a, float b, int16_t nbros, std::function<double(double)> f) {
        setUpState(state, 0, a, b, 2, nbros);
        host.computes(std::move(f));
    }

    std::vector<CanvasOp> throws() const {
        std::vector<CanvasOp> out;
        bool afterBox = false;
        for (const auto& op : canvas.ops) {
            if (op.name == "Box") afterBox = true;
            if (afterBox && op.name == "PSet") out.push_back(op);
        }
        return out;
    }
};

}  // namespace

TEST(MonteCarlo, ConstantFunctionsGiveExactValues) {
    MonteCarloRig rig({0.1f, 0.9f, 0.5f, 0.3f, 0.77f});
    rig.setUp(0, 3, 1000, [](double) { return 2.0; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.state.ikarlo, 6.0f);
    EXPECT_EQ(rig.controls.label6, "I=6.000");
    EXPECT_EQ(rig.state.nplus.value(), 1000);

    rig.setUp(0, 3, 1000, [](double) { return -2.0; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.state.ikarlo, -6.0f);
    EXPECT_EQ(rig.state.nminus.value(), 1000);
    EXPECT_EQ(rig.controls.label6, "I=-6.000");
    EXPECT_EQ(rig.controls.label2, "I=-6.000");
}

TEST(MonteCarlo, TrapezoidOfIdentityOnUnitInterval) {
    MonteCarloRig rig({0.5f});
    rig.setUp(0, 1, 7, [](double x) { return x; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label2, "I=0.500");
    rig.engine.setDecimalSeparator(",");
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label2, "I=0,500");
    EXPECT_EQ(rig.state.i.value(), 100);
}

TEST(MonteCarlo, BuiltInTrapezoidSumIsSingle) {
    BasicEngineRig<RecordingCanvas, ListRandom> rig(ListRandom({0.5f}));
    setUpState(rig.state, 1, 0, 1, 2, 10);
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label2, "I=0.500");
    EXPECT_EQ(rig.state.yleft.type(), NumType::Single);
    EXPECT_EQ(rig.state.itrap.type(), NumType::Double);
}

TEST(MonteCarlo, TieBreaksOnTheAxisAndOnTheCurve) {
    // f(x) = x - 1 on [0, 2]: ymin = -1, ymax = 1, x = 2 r1, yr = -1 + 2 r2.
    MonteCarloRig rig({0.25f, 0.5f,      // x = .5, f = -.5, yr = 0: on the axis over a negative curve: red
                       0.75f, 0.5f,      // x = 1.5, f = .5, yr = 0: on the axis under a positive curve: +
                       0.25f, 0.25f,     // yr = -.5 = f: on the curve below the axis: -
                       0.75f, 0.75f,     // yr = .5 = f: on the curve above the axis: +
                       0.75f, 0.875f,    // yr = .75 above a positive curve: red
                       0.25f, 0.125f,    // yr = -.75 below a negative curve: red
                       0.25f, 0.625f,    // yr = .25 above the axis over a negative curve: red
                       0.75f, 0.375f});  // yr = -.25 below the axis under a positive curve: red
    rig.setUp(0, 2, 8, [](double x) { return x - 1; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.state.ymin.value(), -1);
    EXPECT_EQ(rig.state.ymax, 1.0f);
    const auto t = rig.throws();
    ASSERT_EQ(t.size(), 8u);
    const std::vector<uint32_t> expected = {colors::red, colors::blue, colors::blue, colors::blue,
                                            colors::red, colors::red,  colors::red,  colors::red};
    for (size_t k = 0; k < t.size(); ++k) {
        EXPECT_EQ(t[k].color, expected[k]) << "throw " << k;
        EXPECT_EQ(t[k].width, 3);
    }
    EXPECT_EQ(rig.state.nplus.value(), 2);
    EXPECT_EQ(rig.state.nminus.value(), 1);
    EXPECT_EQ(rig.engine.blueThrows(), 3);
    EXPECT_EQ(rig.engine.redThrows(), 5);
    // (1 - -1) * (2 - 0) * (2 - 1) / 8
    EXPECT_EQ(rig.state.ikarlo, 0.5f);
    EXPECT_EQ(rig.random.reseeds, 1);
}

TEST(MonteCarlo, BoxAndSignForReversedLimits) {
    MonteCarloRig rig({0.3f, 0.6f});
    rig.setUp(3, 0, 100, [](double) { return 1.0; });
    rig.engine.CmdOK_Click();
    const auto box = rig.canvas.named("Box");
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].x1, 3);
    EXPECT_EQ(box[0].y1, 0);
    EXPECT_EQ(box[0].x2, 0);
    EXPECT_EQ(box[0].y2, 1);
    EXPECT_EQ(box[0].color, colors::black);
    EXPECT_EQ(rig.controls.label6, "I=-3.000");
    EXPECT_EQ(rig.controls.label2, "I=-3.000");
}

TEST(MonteCarlo, ZeroThrowsStillGiveTheTrapezoid) {
    MonteCarloRig rig({0.5f});
    rig.setUp(0, 1, 0, [](double x) { return x; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label6, "I=нет бросков");
    EXPECT_EQ(rig.controls.label2, "I=0.500");
    EXPECT_TRUE(rig.throws().empty());
    EXPECT_TRUE(rig.canvas.allFinite());
}

TEST(MonteCarlo, NoValueIsShownWhenEveryEvaluationOfAnEstimateFailed) {
    MonteCarloRig rig({0.25f, 0.75f});
    rig.setUp(0, 2, 50, [](double) { return 3.0; });
    rig.engine.CmdOK_Click();
    ASSERT_EQ(rig.controls.label6, "I=6.000");

    // Every point fails: both estimates would be made of the stale value.
    rig.host.onExecute = [](std::string_view, PubResults*) {
        return ScriptStatus::failure(11, "Division by zero");
    };
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label6, "I=не вычисляется");
    EXPECT_EQ(rig.controls.label2, "I=не вычисляется");
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");

    // Without throws the Monte Carlo label keeps saying that there are none.
    rig.state.nbros = 0;
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label6, "I=нет бросков");
    EXPECT_EQ(rig.controls.label2, "I=не вычисляется");
}

TEST(MonteCarlo, SomeFailedPointsKeepTheNumbers) {
    MonteCarloRig rig({0.25f, 0.75f});
    rig.setUp(0, 2, 50, [](double) { return 3.0; });
    // Only x = 0 fails: the left end of the first trapezoid and no throw.
    rig.host.onExecute = [](std::string_view code, PubResults* res) {
        if (code.substr(0, 4) == "x= 0" && code[4] == '\r')
            return ScriptStatus::failure(11, "Division by zero");
        res->p = 3;
        return ScriptStatus::success();
    };
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
    EXPECT_EQ(rig.controls.label6, "I=6.000");
    EXPECT_EQ(rig.controls.label2.substr(0, 2), "I=");
    EXPECT_NE(rig.controls.label2, "I=не вычисляется");
}

TEST(MonteCarlo, BuiltInWithoutAnyFiniteValueShowsNoValue) {
    // Planck 2 just left of zero: 1/x^5 is beyond the single range at every
    // point of [-1e-8, -5e-9].
    EngineRig rig;
    rig.setUp(8, -1e-8, -5e-9f);
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.controls.label6, "I=не вычисляется");
    EXPECT_EQ(rig.controls.label2, "I=не вычисляется");
    EXPECT_TRUE(rig.canvas.allFinite());
}

TEST(MonteCarlo, ThrowCountersAreCountedPastTheIntegerRange) {
    MonteCarloRig rig({0.1f, 0.2f, 0.3f});
    rig.setUp(0, 1, 32000, [](double) { return 1.0; });
    rig.engine.CmdOK_Click();
    EXPECT_EQ(rig.state.nplus.value(), 32000);
    EXPECT_EQ(rig.state.nplus.type(), NumType::Integer);
    EXPECT_EQ(rig.controls.label6, "I=1.000");
}

TEST(MonteCarlo, ClockRandomIsReproducibleWithAFixedSeed) {
    ClockRandom random;
    random.fixSeed(42);
    random.reseedFromClock();
    std::vector<float> first;
    for (int k = 0; k < 100; ++k) {
        first.push_back(random.next());
        EXPECT_GE(first.back(), 0.0f);
        EXPECT_LT(first.back(), 1.0f);
    }
    random.reseedFromClock();
    for (int k = 0; k < 100; ++k) EXPECT_EQ(random.next(), first[static_cast<size_t>(k)]);
}

TEST(MonteCarlo, TheRunRecordKeepsWhatMadeTheLabelsValues) {
    // sin on [0, 2π] with the four quarters of throws: blue above, blue below and red.
    MonteCarloRig rig({0.1f, 0.3f, 0.6f, 0.2f, 0.3f, 0.9f, 0.8f, 0.45f});
    rig.setUp(0, 6.2831855f, 4, [](double x) { return std::sin(x); });
    rig.controls.expression = "sin(x)";
    EXPECT_FALSE(rig.engine.lastRun().has_value());
    rig.engine.CmdOK_Click();
    ASSERT_TRUE(rig.engine.lastRun().has_value());
    const RunRecord& run = *rig.engine.lastRun();
    EXPECT_EQ(run.inputs, rig.engine.currentInputs());
    EXPECT_EQ(run.inputs.formula, "sin(x)");
    EXPECT_EQ(run.inputs.throws, 4);
    EXPECT_EQ(run.blueAbove, rig.state.nplus.value());
    EXPECT_EQ(run.blueBelow, rig.state.nminus.value());
    EXPECT_EQ(run.blueAbove + run.blueBelow + run.red, 4);
    EXPECT_EQ(*run.monteCarlo, double(rig.state.ikarlo));
    EXPECT_EQ(*run.trapezoid, rig.state.itrap.value());
    EXPECT_EQ(run.box, (Box{0, double(6.2831855f), rig.state.ymin.value(), double(rig.state.ymax)}));

    // What changed since is named by the part it belongs to.
    const struct {
        std::function<void(RunInputs&)> change;
        bool function, limits, throws;
    } cases[] = {
        {[](RunInputs& in) { in.nfun = 3; }, true, false, false},
        {[](RunInputs& in) { in.formula = "cos(x)"; }, true, false, false},
        {[](RunInputs& in) { in.b = 3; }, false, true, false},
        {[](RunInputs& in) { in.throws = 1000; }, false, false, true},
    };
    for (const auto& c : cases) {
        RunInputs now = run.inputs;
        c.change(now);
        const RunChanges changed = changesBetween(run.inputs, now);
        EXPECT_EQ(changed.function, c.function);
        EXPECT_EQ(changed.limits, c.limits);
        EXPECT_EQ(changed.throws, c.throws);
    }
    EXPECT_FALSE(changesBetween(run.inputs, run.inputs).any());
}
