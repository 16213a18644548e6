// The calls the program makes for each point: Reset, AddObject("Res", Res),
// ExecuteStatement("x=" + number text + CR LF + "Res.p=" + the user's text).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "numbers/number.h"
#include "core/evaluation.h"
#include "core/vbscript_host.h"

namespace mcplot::testing {
namespace {

class HostProtocol : public ::testing::Test {
protected:
    // One evaluation exactly as the program does it.
    ScriptStatus point(double x, const std::string& userText) {
        writePointScript(kod, x, userText);
        host.Reset();
        const ScriptStatus added = host.AddObject("Res", res);
        if (!added.ok) return added;
        return host.ExecuteStatement(kod);
    }
    VBScriptHost host;
    std::shared_ptr<PubResults> res = std::make_shared<PubResults>();
    std::string kod;
};

TEST_F(HostProtocol, SquareAtOneHalf) {
    kod = "text of an earlier point";
    ASSERT_TRUE(point(0.5, "x^2").ok);
    EXPECT_EQ(kod, "x= .5\r\nRes.p=x^2");
    EXPECT_EQ(res->p, 0.25);
}

TEST_F(HostProtocol, DivisionByZeroFailsAndKeepsTheOldValue) {
    ASSERT_TRUE(point(2, "x").ok);
    const ScriptStatus s = point(0, "1/x");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.number, 11);
    EXPECT_EQ(res->p, 2.0);
}

TEST_F(HostProtocol, EmptyExpressionIsASyntaxError) {
    const ScriptStatus s = point(0.5, "");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.number, 1023);
}

TEST_F(HostProtocol, NegativeAndTinyArguments) {
    ASSERT_TRUE(point(-1.25, "sin(x)").ok);
    EXPECT_EQ(kod, "x=-1.25\r\nRes.p=sin(x)");
    EXPECT_EQ(res->p, std::sin(-1.25));
    ASSERT_TRUE(point(1e-20, "x*1E20").ok);
    EXPECT_DOUBLE_EQ(res->p, 1.0);
    ASSERT_TRUE(point(123456789.125, "x").ok);
    EXPECT_EQ(res->p, 123456789.125);
}

TEST_F(HostProtocol, SampleExpressionMatchesDoubleArithmetic) {
    const std::string text = "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2";
    for (double x : {0.0, 0.5, 1.0, 7.25, -3.0}) {
        ASSERT_TRUE(point(x, text).ok) << x;
        const double a = 30 * 3.14 / 180;
        const double expected =
            5 + std::tan(a) * x - 9.8 * std::pow(x, 2) / 2 / std::pow(10, 2) / std::pow(std::cos(a), 2);
        EXPECT_DOUBLE_EQ(res->p, expected) << x;
    }
}

TEST_F(HostProtocol, ManyPointsInARowReuseTheHost) {
    for (int k = 0; k <= 2000; ++k) {
        const double x = -10 + k * 0.01;
        ASSERT_TRUE(point(x, "Sqr(Abs(x))+1/(1+x^2)").ok) << x;
        const double xt = std::stod(shortNumber(x));
        ASSERT_DOUBLE_EQ(res->p, std::sqrt(std::fabs(xt)) + 1 / (1 + std::pow(xt, 2))) << x;
    }
}

TEST_F(HostProtocol, FieldsPersistAcrossReset) {
    ASSERT_TRUE(point(1, "5 : Res.pInt = 3 : Res.pLong = 70000").ok);
    host.Reset();
    host.AddObject("Res", res);
    ASSERT_TRUE(host.ExecuteStatement("Res.p = Res.p + Res.pInt + Res.pLong").ok);
    EXPECT_EQ(res->p, 70008.0);
}

TEST_F(HostProtocol, ResetForgetsVariablesAndProcedures) {
    ASSERT_TRUE(point(1, "1 : y = 5\r\nFunction f() : f = 9 : End Function").ok);
    ASSERT_TRUE(point(1, "y").ok);
    EXPECT_EQ(res->p, 0.0);
    EXPECT_EQ(point(1, "f()").number, 13);
}

TEST_F(HostProtocol, WithoutResetStatementsShareVariablesAndProcedures) {
    host.Reset();
    host.AddObject("Res", res);
    ASSERT_TRUE(host.ExecuteStatement("y = 4\r\nFunction inc(v)\r\ninc = v + 1\r\nEnd Function").ok);
    ASSERT_TRUE(host.ExecuteStatement("Res.p = inc(y)").ok);
    EXPECT_EQ(res->p, 5.0);
}

TEST_F(HostProtocol, WhatATextDefinedOutlivesTheText) {
    // The host reads a text in place; procedures, classes and variables it
    // defines must not point into it once the caller's string is gone.
    host.Reset();
    host.AddObject("Res", res);
    {
        std::string text =
            "someValue = 4\r\nFunction addOne(v)\r\naddOne = v + 1\r\nEnd Function\r\n"
            "Class Box\r\nPublic size\r\nEnd Class";
        ASSERT_TRUE(host.ExecuteStatement(text).ok);
        text.assign(text.size(), '#');
    }
    std::string scratch(200, '#');  // likely to reuse the freed storage
    ASSERT_TRUE(
        host.ExecuteStatement("Set b = New Box : b.size = 2 : Res.p = addOne(someValue) + b.size").ok);
    EXPECT_EQ(res->p, 7.0);
    const ScriptStatus failed = host.ExecuteStatement("Res.p = addOne(someValue, 1)");
    EXPECT_EQ(failed.number, 450);  // wrong number of arguments, still named
}

TEST_F(HostProtocol, StopFlagEndsARunFromAnotherThread) {
    // A long time limit: only the flag can end this loop in time.
    host.setTimeLimit(std::chrono::seconds(60));
    std::atomic<bool> stop{false};
    host.setStopFlag(&stop);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop = true;
    });
    const auto started = std::chrono::steady_clock::now();
    const ScriptStatus s = point(1, "x:Do:Loop");
    const auto took = std::chrono::steady_clock::now() - started;
    stopper.join();
    EXPECT_EQ(s.number, kScriptTimedOut);
    EXPECT_LT(took, std::chrono::seconds(5));  // generous: a loaded machine, the sanitizers
    // Cleared, the flag stops nothing.
    stop = false;
    ASSERT_TRUE(point(3, "x*2").ok);
    EXPECT_EQ(res->p, 6.0);
    host.setStopFlag(nullptr);
    ASSERT_TRUE(point(4, "x").ok);
}

TEST_F(HostProtocol, ObjectAndMemberNamesAreCaseInsensitive) {
    host.Reset();
    host.AddObject("res", res);
    ASSERT_TRUE(host.ExecuteStatement("RES.P = 2 : Res.PINT = 3 : rEs.PlOnG = 4").ok);
    EXPECT_EQ(res->p, 2.0);
    EXPECT_EQ(res->pInt, 3);
    EXPECT_EQ(res->pLong, 4);
}

TEST_F(HostProtocol, ResIsReachableOnlyByItsName) {
    EXPECT_EQ(point(1, "p").number, 0);  // p alone is an empty variable
    EXPECT_EQ(res->p, 0.0);
    EXPECT_FALSE(host.AddObject("Res", nullptr).ok);
}

TEST_F(HostProtocol, UserTextWithLaterStatementsAndFunctions) {
    ASSERT_TRUE(point(3, "0 : If x < 1 Then Res.p = x Else Res.p = 2 - x").ok);
    EXPECT_EQ(res->p, -1.0);
    ASSERT_TRUE(point(4, "sq(x)\r\nFunction sq(v)\r\nsq = v * v\r\nEnd Function").ok);
    EXPECT_EQ(res->p, 16.0);
}

}  // namespace
}  // namespace mcplot::testing
