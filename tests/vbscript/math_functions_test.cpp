// Math functions: values, result subtypes and argument errors.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(MathFunctions, TrigonometryExpAndLog) {
    EXPECT_EQ(show("Sin(0)"), "Double 0");
    EXPECT_EQ(show("Cos(0)"), "Double 1");
    EXPECT_EQ(show("Atn(1)*4"), "Double 3.14159265358979");
    EXPECT_EQ(show("Exp(1)"), "Double 2.71828182845905");
    EXPECT_EQ(show("Log(Exp(2))"), "Double 2");
    EXPECT_EQ(show("Sqr(16)"), "Double 4");
    EXPECT_EQ(show("Tan(0)"), "Double 0");
}

TEST(MathFunctions, DomainErrors) {
    EXPECT_EQ(show("Log(0)"), "Error 5");
    EXPECT_EQ(show("Log(-1)"), "Error 5");
    EXPECT_EQ(show("Sqr(-1)"), "Error 5");
    EXPECT_EQ(show("Exp(1000)"), "Error 6");
    EXPECT_EQ(show("Sin(\"abc\")"), "Error 13");
    EXPECT_EQ(show("Sin(\"0\")"), "Double 0");
}

TEST(MathFunctions, AbsAndSgnKeepTheSubtype) {
    EXPECT_EQ(show("Abs(-5)"), "Integer 5");
    EXPECT_EQ(show("Abs(-2.5)"), "Double 2.5");
    EXPECT_EQ(show("Abs(CInt(-32768))"), "Long 32768");
    EXPECT_EQ(show("Abs(Empty)"), "Integer 0");
    EXPECT_EQ(show("Sgn(-0.1)"), "Integer -1");
    EXPECT_EQ(show("Sgn(0)"), "Integer 0");
}

TEST(MathFunctions, IntFloorsFixTruncates) {
    EXPECT_EQ(show("Int(-2.5)"), "Double -3");
    EXPECT_EQ(show("Fix(-2.5)"), "Double -2");
    EXPECT_EQ(show("Int(7)"), "Integer 7");
    EXPECT_EQ(show("Int(\"3.7\")"), "Double 3");
    EXPECT_EQ(show("Int(CSng(2.5))"), "Single 2");
}

TEST(MathFunctions, RoundSendsHalvesToEven) {
    EXPECT_EQ(show("Round(2.5)"), "Double 2");
    EXPECT_EQ(show("Round(3.5)"), "Double 4");
    EXPECT_EQ(show("Round(-2.5)"), "Double -2");
    EXPECT_EQ(show("Round(1.2345, 2)"), "Double 1.23");
    EXPECT_EQ(show("Round(0.125, 2)"), "Double 0.12");
    EXPECT_EQ(show("Round(7)"), "Integer 7");
    EXPECT_EQ(show("Round(1.5, -1)"), "Error 5");
}

TEST(MathFunctions, RndIsAUniformSequenceRepeatableBySeed) {
    VBScriptHost host;
    auto res = std::make_shared<PubResults>();
    host.Reset();
    host.AddObject("Res", res);
    ASSERT_TRUE(
        host.ExecuteStatement("s = 0 : For i = 1 To 1000 : r = Rnd : If r < 0 Or r >= 1 Then s = -1e9\r\n"
                              "s = s + r : Next : Res.p = s / 1000")
            .ok);
    EXPECT_NEAR(res->p, 0.5, 0.05);
    ASSERT_TRUE(
        host.ExecuteStatement("Rnd -1 : Randomize 7 : a = Rnd : Rnd -1 : Randomize 7 : Res.p = a - Rnd").ok);
    EXPECT_EQ(res->p, 0.0);
    ASSERT_TRUE(host.ExecuteStatement("a = Rnd : Res.p = a - Rnd(0)").ok);
    EXPECT_EQ(res->p, 0.0);
    EXPECT_EQ(show("TypeName(Rnd)"), "String Single");
}

}  // namespace
}  // namespace mcplot::testing
