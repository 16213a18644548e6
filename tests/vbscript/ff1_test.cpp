// The engine's user-expression evaluation (ff1) with the real interpreter.
#include <gtest/gtest.h>

#include <cmath>

#include "commands/plot_commands.h"
#include "core/vbscript_host.h"
#include "tests/support/fakes.h"

namespace mcplot::testing {
namespace {

class Ff1WithInterpreter : public ::testing::Test,
                           protected BasicEngineRig<RecordingCanvas, ListRandom, VBScriptHost> {
protected:
    Ff1WithInterpreter() : BasicEngineRig(ListRandom({0.25f, 0.75f})) {}

    void evaluate(double x, const std::string& text) {
        controls.expression = text;
        state.nfun = 0;
        state.x = Number::dbl(x);
        engine.fff();
    }
    bool failed() const {
        return controls.command1Color == errorColor && controls.command1Caption == texts::errorsCaption;
    }
};

TEST_F(Ff1WithInterpreter, TwoLineKodAtOneHalf) {
    evaluate(0.5, "x^2");
    EXPECT_EQ(state.kod, "x= .5\r\nRes.p=x^2");
    EXPECT_EQ(state.y.type(), NumType::Double);
    EXPECT_EQ(state.y.value(), 0.25);
    EXPECT_FALSE(failed());
}

TEST_F(Ff1WithInterpreter, EmptyTextFailsAndKeepsY) {
    evaluate(0.5, "x^2");
    evaluate(0.5, "");
    EXPECT_EQ(state.kod, "x= .5\r\nRes.p=");
    EXPECT_TRUE(failed());
    EXPECT_EQ(state.y.value(), 0.25);
}

TEST_F(Ff1WithInterpreter, DivisionByZeroFailsAndKeepsY) {
    evaluate(2, "1/x");
    EXPECT_EQ(state.y.value(), 0.5);
    evaluate(0, "1/x");
    EXPECT_TRUE(failed());
    EXPECT_EQ(state.y.value(), 0.5);
    evaluate(4, "1/x");  // the button stays red after a later success
    EXPECT_EQ(state.y.value(), 0.25);
    EXPECT_TRUE(failed());
}

TEST_F(Ff1WithInterpreter, SampleExpressionOfTheInitialSetup) {
    const std::string text = "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2";
    const double a = 30 * 3.14 / 180;
    for (double x : {0.0, 1.5, 3.0}) {
        evaluate(x, text);
        const double expected =
            5 + std::tan(a) * x - 9.8 * std::pow(x, 2) / 2 / std::pow(10, 2) / std::pow(std::cos(a), 2);
        EXPECT_DOUBLE_EQ(state.y.value(), expected) << x;
    }
    EXPECT_FALSE(failed());
}

TEST_F(Ff1WithInterpreter, PiecewiseAndUnknownFunctions) {
    evaluate(1.5, "0 : If x < 1 Then Res.p = x Else Res.p = 2 - x");
    EXPECT_EQ(state.y.value(), 0.5);
    EXPECT_FALSE(failed());
    evaluate(1.5, "nosuch(x)");
    EXPECT_TRUE(failed());
    EXPECT_EQ(state.y.value(), 0.5);
}

}  // namespace
}  // namespace mcplot::testing
