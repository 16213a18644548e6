// Empty argument slots, bracketed names, nested array elements, arrays of many
// dimensions, and assigning an object without Set.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(EmptySlots, BuiltinsTakeTheirDefaults) {
    EXPECT_EQ(show("Replace(\"aXbXc\", \"X\", \"-\", , 1)"), "String a-bXc");    // middle
    EXPECT_EQ(show("Replace(\"aXbXc\", \"x\", \"-\", , , 1)"), "String a-b-c");  // two in a row
    EXPECT_EQ(show("InStr(, \"abc\", \"c\")"), "Long 3");                        // at the start
    EXPECT_EQ(show("Mid(\"hello\", 2, )"), "String ello");                       // at the end
    EXPECT_EQ(show("FormatNumber(-0.5, , 0)"), "String -.50");
    EXPECT_EQ(show("FormatNumber(-1234.5, , , -1)"), "String (1,234.50)");
    EXPECT_EQ(show("FormatNumber(-1234.5, 1, , , 0)"), "String -1234.5");
    EXPECT_EQ(show("Join(Split(\"a b c\", , 2), \"|\")"), "String a|b c");
}

TEST(EmptySlots, UserProceduresSeeAMissingArgument) {
    const std::string f =
        "Function f(a, b, c)\r\nf = VarType(a) * 10000 + VarType(b) * 100 + VarType(c)\r\nEnd Function\r\n";
    EXPECT_EQ(runP(f + "Res.p = f(1, , 3)"), 21002.0);
    EXPECT_EQ(runP(f + "Res.p = f(, 2, 3)"), 100202.0);
    EXPECT_EQ(runP(f + "Res.p = f(1, 2, )"), 20210.0);
    EXPECT_EQ(runP("Sub s(a, b)\r\nRes.p = VarType(a) + VarType(b)\r\nEnd Sub\r\ns , 4"), 12.0);
    EXPECT_EQ(runError("Res.p = Sin(, )"), 450);
    EXPECT_EQ(runError("Res.p = Sin()"), 450);
}

TEST(BracketedNames, AnyTextBetweenBrackets) {
    EXPECT_EQ(runP("[my value] = 4\r\nRes.p = [my value] * 2"), 8.0);
    EXPECT_EQ(runP("Dim [x y]\r\n[x y] = 3\r\nRes.p = [x y] + [X Y]"), 6.0);
    EXPECT_EQ(runP("[end] = 2\r\nRes.p = [end] ^ 3"), 8.0);
    EXPECT_EQ(runP("Function [twice it](v)\r\n[twice it] = 2 * v\r\nEnd Function\r\nRes.p = [twice it](21)"),
              42.0);
    EXPECT_EQ(runP("[переменная] = 5\r\nRes.p = [переменная]"), 5.0);
    EXPECT_EQ(runError("Res.p = [unclosed"), 1007);
}

TEST(NestedArrays, AssignToAnElementOfAnInnerArray) {
    EXPECT_EQ(runP("a = Array(1, Array(10, 20, 30))\r\na(1)(2) = 5\r\nRes.p = a(1)(2) + a(1)(0)"), 15.0);
    EXPECT_EQ(runP("Dim m(1)\r\nm(0) = Array(Array(1, 2), 3)\r\nm(0)(0)(1) = 7\r\nRes.p = m(0)(0)(1)"), 7.0);
    // Arrays are values: the copy keeps the old element.
    EXPECT_EQ(runP("a = Array(Array(1, 2))\r\nb = a\r\na(0)(1) = 9\r\nRes.p = b(0)(1) * 10 + a(0)(1)"), 29.0);
    EXPECT_EQ(runError("a = Array(1, 2)\r\na(0)(1) = 5"), 13);
    EXPECT_EQ(runError("a = Array(Array(1))\r\na(0)(3) = 5"), 9);
}

TEST(ManyDimensions, NineAndMoreCanBeIndexed) {
    EXPECT_EQ(runP("Dim a(1,1,1,1,1,1,1,1,1)\r\na(1,0,1,0,1,0,1,0,1) = 3\r\nRes.p = a(1,0,1,0,1,0,1,0,1) + "
                   "UBound(a, 9)"),
              4.0);
    EXPECT_EQ(
        runP("ReDim a(1,1,1,1,1,1,1,1,1,2)\r\na(0,0,0,0,0,0,0,0,0,2) = 6\r\nRes.p = a(0,0,0,0,0,0,0,0,0,2)"),
        6.0);
    EXPECT_EQ(runError("Dim a(1,1,1,1,1,1,1,1,1)\r\nRes.p = a(0,0,0,0,0,0,0,0,2)"), 9);
    EXPECT_EQ(runError("Dim a(1,1,1,1,1,1,1,1,1)\r\nRes.p = a(0,0,0,0,0,0,0,0)"), 9);
}

TEST(ObjectsWithoutSet, NothingGivesError91) {
    const RunResult r = run("a = Nothing");
    EXPECT_EQ(r.status.number, 91);
    EXPECT_FALSE(r.status.description.empty());
    EXPECT_NE(r.status.description, run("Err.Raise 65000").status.description) << "not an unknown error";
    EXPECT_EQ(runError("Set a = Nothing\r\nRes.p = a.p"), 424);
}

}  // namespace
}  // namespace mcplot::testing
