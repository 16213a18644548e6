// Eval, arrays, named constants, and what scripts may not reach.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(EvalFunction, EvaluatesInTheCurrentScope) {
    EXPECT_EQ(show("Eval(\"1+2*3\")"), "Integer 7");
    EXPECT_EQ(show("Eval(\"x*2\")"), "Double 1");
    EXPECT_EQ(show("Eval(\"x = 0.5\")"), "Boolean True");  // = compares inside Eval
    EXPECT_EQ(show("Eval(\"1+\")"), "Error 1023");
    EXPECT_EQ(runP("Function f(a)\r\nf = Eval(\"a * 3\")\r\nEnd Function\r\nRes.p = f(4)"), 12.0);
}

TEST(ArrayFunctions, ArrayUBoundLBound) {
    EXPECT_EQ(show("UBound(Array(1, 2, 3))"), "Long 2");
    EXPECT_EQ(show("LBound(Array(1, 2, 3))"), "Long 0");
    EXPECT_EQ(show("UBound(Array())"), "Long -1");
    EXPECT_EQ(show("Array(5, \"a\")(1)"), "String a");
    EXPECT_EQ(show("UBound(1)"), "Error 13");
    EXPECT_EQ(show("UBound(Array(1), 2)"), "Error 9");
    EXPECT_EQ(runP("Dim m(2, 5) : Res.p = UBound(m, 2) * 10 + UBound(m)"), 52.0);
}

TEST(Constants, NamedConstants) {
    EXPECT_EQ(show("vbCrLf = Chr(13) & Chr(10)"), "Boolean True");
    EXPECT_EQ(show("vbTrue"), "Integer -1");
    EXPECT_EQ(show("vbFalse"), "Integer 0");
    EXPECT_EQ(show("vbDouble"), "Integer 5");
    EXPECT_EQ(show("vbString"), "Integer 8");
    EXPECT_EQ(show("vbTextCompare"), "Integer 1");
    EXPECT_EQ(show("vbSaturday"), "Integer 7");
    EXPECT_EQ(show("Len(vbNullString)"), "Long 0");
    EXPECT_EQ(runError("vbCrLf = 1"), 501);
}

TEST(Sandbox, ObjectsFromOutsideCannotBeCreated) {
    EXPECT_EQ(runError("Set fso = CreateObject(\"Scripting.FileSystemObject\")"), 429);
    EXPECT_EQ(runError("Set w = GetObject(\"winmgmts:\")"), 429);
    EXPECT_EQ(runError("Set r = New RegExp"), 429);
    EXPECT_EQ(runError("MsgBox \"hi\""), 13);
    EXPECT_EQ(runError("Res.p = WScript.Echo(1)"), 424);
}

}  // namespace
}  // namespace mcplot::testing
