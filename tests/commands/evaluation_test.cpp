#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/fakes.h"

using namespace mcplot;
using namespace mcplot::testing;

namespace {

double evaluate(EngineRig& rig, int16_t nfun, double x) {
    rig.state.nfun = nfun;
    rig.state.x = Number::dbl(x);
    rig.engine.fff();
    return rig.state.y.value();
}

}  // namespace

TEST(BuiltInFormulas, ValuesAreRoundedToSingle) {
    EngineRig rig;
    EXPECT_EQ(evaluate(rig, 1, 0.1), static_cast<double>(0.1f));
    EXPECT_EQ(rig.state.y.type(), NumType::Single);
    EXPECT_EQ(evaluate(rig, 2, 3), 9);
    EXPECT_EQ(evaluate(rig, 3, 0.5), static_cast<double>(static_cast<float>(std::sin(0.5))));
    EXPECT_EQ(evaluate(rig, 4, 0.5), static_cast<double>(static_cast<float>(std::cos(0.5))));
    EXPECT_EQ(evaluate(rig, 5, 2), static_cast<double>(static_cast<float>(std::exp(-4.0))));
}

TEST(BuiltInFormulas, MaxwellUsesTheConstant314) {
    EngineRig rig;
    const double v = evaluate(rig, 6, 1);
    EXPECT_EQ(v, static_cast<double>(static_cast<float>(4 / std::sqrt(3.14) * std::exp(-1.0) * 1.0)));
    EXPECT_NEAR(v, 0.83043, 1e-5);
}

TEST(BuiltInFormulas, PlanckForms) {
    EngineRig rig;
    EXPECT_EQ(evaluate(rig, 7, 2), static_cast<double>(static_cast<float>(8 / (std::exp(2.0) - 1))));
    EXPECT_EQ(evaluate(rig, 8, 0.5),
              static_cast<double>(static_cast<float>((1 / std::pow(0.5, 5)) / (std::exp(2.0) - 1))));
    EXPECT_EQ(evaluate(rig, 8, 0.001), 0) << "exp(1/x) overflows to a quotient of zero";
}

TEST(BuiltInFormulas, VanDerWaalsReadsTheParameterEveryTime) {
    EngineRig rig;
    rig.controls.parameter = "0.90";
    EXPECT_EQ(evaluate(rig, 9, 1), static_cast<double>(0.6f));
    rig.controls.parameter = "0,90";
    EXPECT_EQ(evaluate(rig, 9, 1), -3) << "a decimal comma ends the number: T = 0";
    rig.controls.parameter = "oops";
    EXPECT_EQ(evaluate(rig, 9, 1), -3);
}

TEST(BuiltInFormulas, NoFiniteValueLeavesYAndIsCounted) {
    EngineRig rig;
    evaluate(rig, 2, 2);
    ASSERT_EQ(rig.state.y.value(), 4);
    EXPECT_EQ(evaluate(rig, 7, 0), 4) << "Planck 1 at 0 is 0/0";
    EXPECT_EQ(evaluate(rig, 8, 0), 4);
    EXPECT_EQ(evaluate(rig, 8, 1e-70), 4) << "1/x^5 and exp(1/x) both overflow";
    EXPECT_EQ(evaluate(rig, 9, 0), 4);
    EXPECT_EQ(evaluate(rig, 2, 1e20), 4) << "beyond the single range";
    EXPECT_EQ(rig.engine.undefinedPoints(), 5);
}

TEST(UserExpression, ScriptTextForNegativeAndFractionalX) {
    EngineRig rig;
    rig.controls.expression = "sin(x)";
    rig.host.onExecute = [](std::string_view, PubResults* res) {
        res->p = 1;
        return ScriptStatus::success();
    };
    evaluate(rig, 0, -1.25);
    EXPECT_EQ(rig.state.kod, "x=-1.25\r\nRes.p=sin(x)");
    rig.controls.expression = "x^2";
    evaluate(rig, 0, 0.5);
    EXPECT_EQ(rig.state.kod, "x= .5\r\nRes.p=x^2");
    rig.controls.expression = "  x + 1 ";
    evaluate(rig, 0, 1e-20);
    EXPECT_EQ(rig.state.kod, "x= 1E-20\r\nRes.p=  x + 1 ") << "the text is taken unchanged";
}

TEST(UserExpression, ProtocolOrderAndResultAsDouble) {
    EngineRig rig;
    rig.controls.expression = "x/3";
    rig.host.onExecute = [](std::string_view, PubResults* res) {
        res->p = 0.5 / 3;
        return ScriptStatus::success();
    };
    evaluate(rig, 0, 0.5);
    ASSERT_EQ(rig.host.calls.size(), 3u);
    EXPECT_EQ(rig.host.calls[0], "Reset");
    EXPECT_EQ(rig.host.calls[1], "AddObject:Res");
    EXPECT_EQ(rig.host.calls[2], "Execute:x= .5\r\nRes.p=x/3");
    EXPECT_EQ(rig.state.y.type(), NumType::Double);
    EXPECT_EQ(rig.state.y.value(), 0.5 / 3);
    // The result object is made once and kept, fields and all.
    auto first = rig.state.Res;
    evaluate(rig, 0, 0.25);
    EXPECT_EQ(rig.state.Res, first);
    EXPECT_EQ(rig.host.added, first);
}

TEST(UserExpression, FailureMarksTheButtonAndKeepsY) {
    EngineRig rig;
    evaluate(rig, 2, 3);
    rig.controls.expression = "";
    rig.host.onExecute = [](std::string_view, PubResults*) {
        return ScriptStatus::failure(1002, "Syntax error");
    };
    evaluate(rig, 0, 0.5);
    EXPECT_EQ(rig.state.kod, "x= .5\r\nRes.p=");
    EXPECT_EQ(rig.state.y.value(), 9);
    EXPECT_EQ(rig.controls.command1Color, 255u);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");

    // A later success does not clear the mark; an edit of the text does.
    rig.host.onExecute = [](std::string_view, PubResults* res) {
        res->p = 7;
        return ScriptStatus::success();
    };
    evaluate(rig, 0, 0.5);
    EXPECT_EQ(rig.state.y.value(), 7);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
    rig.engine.Text1_Change();
    EXPECT_EQ(rig.controls.command1Color, buttonFaceColor);
    EXPECT_EQ(rig.controls.command1Caption, "OK");
}

TEST(UserExpression, AThrowingHostIsAFailureNotACrash) {
    EngineRig rig;
    rig.host.onExecute = [](std::string_view, PubResults*) -> ScriptStatus { throw std::bad_alloc(); };
    evaluate(rig, 0, 1);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
}

TEST(UserExpression, AScriptThatRanOutOfTimeIsNotRunAgainInTheSameCommand) {
    EngineRig rig;
    rig.setUp(0, 0, 3, 2, 500);
    int runs = 0;
    rig.host.onExecute = [&](std::string_view, PubResults*) {
        ++runs;
        return ScriptStatus::failure(kScriptTimedOut, "Script timed out");
    };
    rig.engine.CmdOK_Click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
    rig.engine.Command1_Click();
    EXPECT_EQ(runs, 2) << "the next command tries again";
}

TEST(UserExpression, ACommandStopsRunningScriptsPastItsTimeBudget) {
    EngineRig rig;
    rig.setUp(0, 0, 3, 2);
    int runs = 0;
    rig.host.onExecute = [&](std::string_view, PubResults* res) {
        ++runs;
        res->p = 1;
        return ScriptStatus::success();
    };
    rig.engine.setScriptTimeBudget(std::chrono::steady_clock::duration::zero());
    rig.engine.Command1_Click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(rig.controls.command1Caption, "ERRORS!!!");
    rig.engine.setScriptTimeBudget(std::chrono::seconds(10));
    rig.engine.Command1_Click();
    EXPECT_EQ(runs, 1 + 203);
}
