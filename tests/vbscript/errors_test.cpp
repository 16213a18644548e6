// Errors carry the language's number and message; syntax errors come from
// the parser before anything runs.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(Errors, StatusCarriesNumberAndMessage) {
    const RunResult r = run("Res.p = 1/0");
    EXPECT_FALSE(r.status.ok);
    EXPECT_EQ(r.status.number, 11);
    EXPECT_EQ(r.status.description, "деление на ноль");
    EXPECT_EQ(run("Res.p = ").status.description, "ожидается выражение");
    EXPECT_EQ(run("Res.p = 1 +* 2").status.number, 1023);
}

TEST(Errors, SyntaxErrorsStopTheWholeText) {
    // The first line would run, but the text is rejected as a whole.
    const RunResult r = run("Res.p = 5\r\nRes.p = (1");
    EXPECT_EQ(r.status.number, 1006);
    EXPECT_EQ(r.res.p, 0.0);
}

TEST(Errors, RuntimeErrorsKeepWhatRanBefore) {
    const RunResult r = run("Res.p = 5\r\nRes.p = 1/0");
    EXPECT_EQ(r.status.number, 11);
    EXPECT_EQ(r.res.p, 5.0);
}

TEST(Errors, CompileErrorNumbers) {
    EXPECT_EQ(runError("If x Then\r\nRes.p = 1"), 1014);
    EXPECT_EQ(runError("If x\r\nEnd If"), 1017);
    EXPECT_EQ(runError("For i = 1\r\nNext"), 1013);
    EXPECT_EQ(runError("For i = 1 To 2\r\n"), 1020);
    EXPECT_EQ(runError("Do\r\nRes.p = 1"), 1019);
    EXPECT_EQ(runError("While True\r\n"), 1018);
    EXPECT_EQ(runError("Res.p = 1 2"), 1025);
    EXPECT_EQ(runError("Function f\r\nEnd Sub"), 1015);
    EXPECT_EQ(runError("Loop"), 1024);
    EXPECT_EQ(runError("Sub s(a, b)\r\nEnd Sub\r\ns(1, 2)"), 1044);
}

TEST(Errors, RuntimeErrorNumbers) {
    EXPECT_EQ(runError("Res.p = nosuchfunction(1)"), 13);
    EXPECT_EQ(runError("Res.q = 1"), 438);
    EXPECT_EQ(runError("Res.p = Res"), 438);
    EXPECT_EQ(runError("Set a = 5"), 424);
    EXPECT_EQ(runError("Dim a(2) : a(3) = 1"), 9);
    EXPECT_EQ(runError("Res.p = Sin()"), 450);
    EXPECT_EQ(runError("Res.p = Sin(1, 2)"), 450);
    EXPECT_EQ(runError("Const c = 1 : c = 2"), 501);
    EXPECT_EQ(runError("Option Explicit\r\ny = 1"), 500);
    EXPECT_EQ(runError("Dim a(2) : ReDim a(3)"), 10);
}

TEST(Errors, ErrRaiseReportsTheGivenNumber) {
    EXPECT_EQ(runError("Err.Raise 6"), 6);
    EXPECT_EQ(runError("Err.Raise 0"), 5);
}

TEST(Errors, OnErrorResumeNextContinuesAndRecords) {
    const RunResult r = run("On Error Resume Next\r\nRes.p = 1/0\r\nRes.pLong = Err.Number\r\nRes.p = 3");
    EXPECT_TRUE(r.status.ok);
    EXPECT_EQ(r.res.pLong, 11);
    EXPECT_EQ(r.res.p, 3.0);
    EXPECT_EQ(runP("On Error Resume Next : Err.Raise 5 : Err.Clear : Res.p = Err.Number + 1"), 1.0);
    EXPECT_EQ(runError("On Error Resume Next\r\nOn Error GoTo 0\r\nRes.p = 1/0"), 11);
}

}  // namespace
}  // namespace mcplot::testing
