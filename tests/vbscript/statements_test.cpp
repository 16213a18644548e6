// Statements and control flow, run through the host as the program runs them.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(Statements, SeparatorsAndComments) {
    EXPECT_EQ(runP("a = 1 : b = 2\r\nc = 3\nd = 4\re = 5 : Res.p = a + b + c + d + e"), 15.0);
    EXPECT_EQ(runP("Res.p = 1 ' a comment : Res.p = 2"), 1.0);
    EXPECT_EQ(runP("Rem nothing here\r\nRes.p = 3"), 3.0);
    EXPECT_EQ(runP("Res.p = 1 + _\r\n 2"), 3.0);
    EXPECT_EQ(runP("\r\n\r\n:: Res.p = 4 ::\r\n"), 4.0);
}

TEST(Statements, PiecewiseFunctionOnOneLine) {
    const char* body = "Res.p=0 : If x < 1 Then Res.p = x Else Res.p = 2 - x";
    EXPECT_EQ(runP(std::string("x= .5\r\n") + body), 0.5);
    EXPECT_EQ(runP(std::string("x= 1.5\r\n") + body), 0.5);
    EXPECT_EQ(runP("x = 3 : If x > 1 Then Res.p = 1 : Res.pInt = 2 Else Res.p = 5"), 1.0);
    EXPECT_EQ(run("x = 0 : If x > 1 Then Res.p = 1 : Res.pInt = 2 Else Res.p = 5").res.pInt, 0);
    EXPECT_EQ(runP("If False Then Res.p = 1 Else If True Then Res.p = 2 Else Res.p = 3"), 2.0);
}

TEST(Statements, BlockIfWithElseIf) {
    const char* code =
        "If x < 0 Then\r\n  Res.p = -1\r\nElseIf x = 0 Then\r\n  Res.p = 0\r\n"
        "ElseIf x < 10 Then\r\n  Res.p = 1\r\nElse\r\n  Res.p = 2\r\nEnd If";
    EXPECT_EQ(runP(std::string("x = -5\r\n") + code), -1.0);
    EXPECT_EQ(runP(std::string("x = 0\r\n") + code), 0.0);
    EXPECT_EQ(runP(std::string("x = 5\r\n") + code), 1.0);
    EXPECT_EQ(runP(std::string("x = 50\r\n") + code), 2.0);
    EXPECT_EQ(runP("If Null Then\r\nRes.p = 1\r\nElse\r\nRes.p = 2\r\nEnd If"), 2.0);
}

TEST(Statements, SelectCase) {
    const char* code =
        "Select Case x\r\nCase 1, 2\r\n Res.p = 12\r\nCase 3, 4.5, 2 + 3\r\n Res.p = 35\r\n"
        "Case 100 + 1\r\n Res.p = 100\r\nCase Else\r\n Res.p = -1\r\nEnd Select";
    EXPECT_EQ(runP(std::string("x = 2\r\n") + code), 12.0);
    EXPECT_EQ(runP(std::string("x = 4.5\r\n") + code), 35.0);
    EXPECT_EQ(runP(std::string("x = 101\r\n") + code), 100.0);
    EXPECT_EQ(runP(std::string("x = 7\r\n") + code), -1.0);
    EXPECT_EQ(runP("Select Case \"b\"\r\nCase \"a\": Res.p = 1\r\nCase \"b\": Res.p = 2\r\nEnd Select"), 2.0);
}

TEST(Loops, ForNextWithStep) {
    EXPECT_EQ(runP("For i = 1 To 10 : s = s + i : Next : Res.p = s"), 55.0);
    EXPECT_EQ(runP("For i = 10 To 1 Step -2 : s = s & i : Next : Res.p = s"), 108642.0);
    EXPECT_EQ(runP("For i = 0 To 1 Step 0.25 : n = n + 1 : Next : Res.p = n"), 5.0);
    EXPECT_EQ(runP("For i = 5 To 1 : n = n + 1 : Next : Res.p = n + i"), 5.0);  // no pass; i stays at start
    EXPECT_EQ(runP("For i = 1 To 3 : Next : Res.p = i"), 4.0);
    EXPECT_EQ(runP("For i = 1 To 100 : If i = 7 Then Exit For\r\nNext : Res.p = i"), 7.0);
}

TEST(Loops, ASeriesSumLikeAStudentWouldWriteIt) {
    EXPECT_NEAR(runP("x = 0.5 : s = 0 : For k = 0 To 20 : s = s + x^k : Next : Res.p = s"),
                2.0 - std::pow(0.5, 20), 1e-12);
    EXPECT_NEAR(
        runP("x = 1 : s = 0 : t = 1 : For k = 1 To 20 : s = s + t : t = t * x / k : Next : Res.p = s"),
        2.718281828459045, 1e-12);
}

TEST(Loops, ForEachOverArrays) {
    EXPECT_EQ(runP("For Each v In Array(1, 2, 3) : s = s + v : Next : Res.p = s"), 6.0);
    EXPECT_EQ(runP("a = Array(1, 2) : For Each v In a : a(1) = 10 : s = s + v : Next : Res.p = s + a(1)"),
              13.0);
    EXPECT_EQ(runError("For Each v In 5 : Next"), 451);
}

TEST(Loops, DoAndWhileForms) {
    EXPECT_EQ(runP("i = 0 : Do While i < 5 : i = i + 1 : Loop : Res.p = i"), 5.0);
    EXPECT_EQ(runP("i = 0 : Do Until i >= 5 : i = i + 2 : Loop : Res.p = i"), 6.0);
    EXPECT_EQ(runP("i = 10 : Do : i = i + 1 : Loop While i < 5 : Res.p = i"), 11.0);
    EXPECT_EQ(runP("i = 10 : Do : i = i + 1 : Loop Until True : Res.p = i"), 11.0);
    EXPECT_EQ(runP("Do : i = i + 1 : If i = 3 Then Exit Do\r\nLoop : Res.p = i"), 3.0);
    EXPECT_EQ(runP("While i < 4 : i = i + 1 : Wend : Res.p = i"), 4.0);
    EXPECT_EQ(runP("Do : For j = 1 To 5 : If j = 2 Then Exit Do\r\nNext : Loop : Res.p = j"), 2.0);
}

TEST(Variables, DimReDimAndConst) {
    EXPECT_EQ(runP("Dim a, b(3) : b(3) = 7 : Res.p = b(3) + UBound(b)"), 10.0);
    EXPECT_EQ(runP("Dim a() : ReDim a(2) : a(2) = 5 : ReDim Preserve a(4) : Res.p = a(2) + UBound(a)"), 9.0);
    EXPECT_EQ(runP("ReDim a(2) : a(2) = 5 : ReDim a(4) : Res.p = IsEmpty(a(2))"), -1.0);
    EXPECT_EQ(runP("Dim m(1, 1) : m(1, 0) = 3 : m(0, 1) = 4 : Res.p = m(1, 0) * 10 + m(0, 1)"), 34.0);
    EXPECT_EQ(runError("ReDim m(1, 1) : ReDim Preserve m(2, 1)"), 9);
    EXPECT_EQ(runError("Dim u() : Res.p = u()"), 9);  // declared, never sized
    EXPECT_EQ(runError("ReDim u() : u() = 1"), 9);
    EXPECT_EQ(runP("Const k = 2.5, n = 2 : Res.p = k * n"), 5.0);
    EXPECT_EQ(runP("Dim a(2) : a(1) = 4 : Erase a : Res.p = IsEmpty(a(1))"), -1.0);
    EXPECT_EQ(runP("a = Array(1, 2) : b = a : b(0) = 9 : Res.p = a(0)"), 1.0);  // arrays copy on assignment
    EXPECT_EQ(runP("Option Explicit\r\nDim x, y : x = 2 : y = 3 : Res.p = x * y"), 6.0);
}

TEST(Procedures, FunctionsAndSubs) {
    EXPECT_EQ(runP("Function sq(v)\r\n sq = v * v\r\nEnd Function\r\nRes.p = sq(3) + sq(x)"), 9.0);
    EXPECT_EQ(runP("Res.p = twice(4)\r\nFunction twice(v) : twice = 2 * v : End Function"),
              8.0);  // defined later
    EXPECT_EQ(runP("Sub setP(v)\r\n Res.p = v\r\nEnd Sub\r\nsetP 6"), 6.0);
    EXPECT_EQ(runP("Sub setP(v)\r\n Res.p = v\r\nEnd Sub\r\nCall setP(7)"), 7.0);
    EXPECT_EQ(runP("Sub setP(v)\r\n Res.p = v\r\nEnd Sub\r\nsetP (8)"), 8.0);
    EXPECT_EQ(runP("Function f()\r\n f = 1 : Exit Function : f = 2\r\nEnd Function\r\nRes.p = f()"), 1.0);
    EXPECT_EQ(runP("Function noValue() : End Function : Res.p = IsEmpty(noValue)"), -1.0);
    EXPECT_EQ(runError("Function f(a) : End Function : Res.p = f(1, 2)"), 450);
}

TEST(Procedures, ByRefAndByVal) {
    const char* defs =
        "Sub incRef(ByRef v) : v = v + 1 : End Sub\r\nSub incVal(ByVal v) : v = v + 1 : End Sub\r\n"
        "Sub incDefault(v) : v = v + 1 : End Sub\r\n";
    EXPECT_EQ(runP(std::string(defs) + "a = 1 : incRef a : Res.p = a"), 2.0);
    EXPECT_EQ(runP(std::string(defs) + "a = 1 : incVal a : Res.p = a"), 1.0);
    EXPECT_EQ(runP(std::string(defs) + "a = 1 : incDefault a : Res.p = a"), 2.0);    // ByRef unless told
    EXPECT_EQ(runP(std::string(defs) + "a = 1 : incDefault (a) : Res.p = a"), 1.0);  // ( ) pass a copy
    EXPECT_EQ(runP(std::string(defs) + "a = 1 : Call incRef(a + 0) : Res.p = a"), 1.0);
}

TEST(Procedures, ScopesAndRecursion) {
    EXPECT_EQ(
        runP("Function fact(n)\r\n If n <= 1 Then fact = 1 Else fact = n * fact(n - 1)\r\nEnd Function\r\n"
             "Res.p = fact(10)"),
        3628800.0);
    EXPECT_EQ(runP("g = 1\r\nSub s() : Dim g : g = 5 : End Sub\r\ns : Res.p = g"), 1.0);
    EXPECT_EQ(runP("g = 1\r\nSub s() : g = 5 : End Sub\r\ns : Res.p = g"), 5.0);
    EXPECT_EQ(runP("Function fib(n)\r\n If n < 2 Then\r\n fib = n\r\n Else\r\n fib = fib(n-1) + fib(n-2)\r\n "
                   "End If\r\n"
                   "End Function\r\nRes.p = fib(15)"),
              610.0);
}

}  // namespace
}  // namespace mcplot::testing
