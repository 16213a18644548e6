// Operators: precedence, associativity and the subtype of each result.
#include <gtest/gtest.h>

#include "numbers/number.h"
#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(Precedence, SignBindsTighterThanPower) {
    EXPECT_EQ(show("-3^2"), "Double 9");
    EXPECT_EQ(show("2^-1"), "Double 0.5");
    EXPECT_EQ(show("-x^2"), "Double 0.25");
    EXPECT_EQ(show("0-3^2"), "Double -9");
}

TEST(Precedence, PowerIsLeftAssociative) {
    EXPECT_EQ(show("2^3^2"), "Double 64");
}

TEST(Precedence, ArithmeticLevels) {
    EXPECT_EQ(show("2+3*4"), "Integer 14");
    EXPECT_EQ(show("7\\2*2"), "Integer 1");      // * before \ .
    EXPECT_EQ(show("7 Mod 4\\2"), "Integer 1");  // \ before Mod
    EXPECT_EQ(show("1+7 Mod 4"), "Integer 4");   // Mod before +
    EXPECT_EQ(show("1+2 & 3"), "String 33");     // + before &
    EXPECT_EQ(show("(2+3)*4"), "Integer 20");
}

TEST(Precedence, ComparisonThenLogical) {
    EXPECT_EQ(show("1 < 2 And 3 > 4"), "Boolean False");
    EXPECT_EQ(show("Not 1 = 2"), "Boolean True");
    EXPECT_EQ(show("True Or False And False"), "Boolean True");
    EXPECT_EQ(show("True Xor True Or True"), "Boolean False");    // Or before Xor
    EXPECT_EQ(show("False Imp True Eqv False"), "Boolean True");  // Eqv before Imp
}

TEST(Precedence, EveryLevelIsLeftAssociative) {
    EXPECT_EQ(show("8-3-2"), "Integer 3");
    EXPECT_EQ(show("16/4/2"), "Double 2");
    EXPECT_EQ(show("100\\7\\2"), "Integer 7");
    EXPECT_EQ(show("17 Mod 7 Mod 2"), "Integer 1");
    EXPECT_EQ(show("1 < 2 < 1"), "Boolean True");  // (True) < 1: -1 < 1
    EXPECT_EQ(show("False Imp False Imp False"), "Boolean False");
}

TEST(Precedence, SignsAndNotWhereTheyMayStand) {
    EXPECT_EQ(show("2*-3+1"), "Integer -5");
    EXPECT_EQ(show("2^-1^2"), "Double 0.25");
    EXPECT_EQ(show("- -2"), "Integer 2");
    EXPECT_EQ(show("Not Not 5"), "Integer 5");
    EXPECT_EQ(show("Not 0 And 0"), "Integer 0");
    EXPECT_EQ(show("1 Or Not 1"), "Integer -1");
    EXPECT_EQ(show("1 + Not 1"), "Error 1023");
    EXPECT_EQ(show("1 = Not 1"), "Error 1023");
}

TEST(Arithmetic, IntegerResultsWidenOnOverflow) {
    EXPECT_EQ(show("32767 + 1"), "Long 32768");
    EXPECT_EQ(show("200 * 200"), "Long 40000");
    EXPECT_EQ(show("2147483647 + 1"), "Double 2147483648");
    EXPECT_EQ(show("CByte(200) + CByte(100)"), "Integer 300");
    EXPECT_EQ(show("CByte(2) * CByte(3)"), "Byte 6");
    EXPECT_EQ(show("-CInt(-32768)"), "Long 32768");
}

TEST(Arithmetic, MixedSubtypes) {
    EXPECT_EQ(show("1 + 0.5"), "Double 1.5");
    EXPECT_EQ(show("CSng(1.5) + 1"), "Single 2.5");
    EXPECT_EQ(show("CSng(1.5) + 32768"), "Double 32769.5");
    EXPECT_EQ(show("CCur(1.25) * 2"), "Currency 2.5");
    EXPECT_EQ(show("#1/1/2000# + 1"), "Date 1/2/2000");
    EXPECT_EQ(show("#1/2/2000# - #1/1/2000#"), "Double 1");
}

TEST(Arithmetic, DivisionAndPower) {
    EXPECT_EQ(show("4/2"), "Double 2");
    EXPECT_EQ(show("1/0"), "Error 11");
    EXPECT_EQ(show("0/0"), "Error 6");
    EXPECT_EQ(show("2^0.5"), "Double 1.4142135623731");
    EXPECT_EQ(show("(-8)^(1/3)"), "Error 5");
    EXPECT_EQ(show("10^400"), "Error 6");
    EXPECT_EQ(show("1E308*10"), "Error 6");
}

TEST(Arithmetic, SquareIsTheExactProduct) {
    // The commonest power, in the plain path and through a String operand.
    for (const double v : {0.1, -1.5, 3.0000000000000004, 1e-160, 123456.789}) {
        const std::string t = numberText15(v);
        EXPECT_EQ(runP("a=" + t + ":Res.p=a^2"), runP("a=" + t + ":Res.p=a*a")) << t;
        EXPECT_EQ(runP("a=\"" + t + "\":Res.p=a^2"), runP("a=" + t + ":Res.p=a*a")) << t;
    }
    EXPECT_EQ(show("(-3)^2"), "Double 9");
    EXPECT_EQ(show("1E200^2"), "Error 6");
    EXPECT_EQ(show("0^2"), "Double 0");
    EXPECT_EQ(show("Null^2"), "Null");
}

TEST(Arithmetic, IntegerDivisionAndModRoundHalvesToEven) {
    EXPECT_EQ(show("7 \\ 2"), "Integer 3");
    EXPECT_EQ(show("-7 \\ 2"), "Integer -3");
    EXPECT_EQ(show("2.5 \\ 1"), "Long 2");
    EXPECT_EQ(show("3.5 \\ 1"), "Long 4");
    EXPECT_EQ(show("5 Mod 2.5"), "Long 1");  // 2.5 becomes 2
    EXPECT_EQ(show("-7 Mod 3"), "Integer -1");
    EXPECT_EQ(show("7 Mod 0"), "Error 11");
    EXPECT_EQ(show("1 \\ 0.4"), "Error 11");
    EXPECT_EQ(show("1E10 \\ 1"), "Error 6");
}

TEST(Concatenation, TextOfEachOperand) {
    EXPECT_EQ(show("\"a\" & 1.5"), "String a1.5");
    EXPECT_EQ(show("True & \"\""), "String True");
    EXPECT_EQ(show("Null & \"a\""), "String a");
    EXPECT_EQ(show("Null & Null"), "Null");
    EXPECT_EQ(show("Empty & 1"), "String 1");
    EXPECT_EQ(show("\"1\" + \"2\""), "String 12");
}

TEST(Comparison, NumbersStringsAndEmpty) {
    EXPECT_EQ(show("2 < 10"), "Boolean True");
    EXPECT_EQ(show("\"2\" < \"10\""), "Boolean False");
    EXPECT_EQ(show("\"abc\" = \"ABC\""), "Boolean False");
    EXPECT_EQ(show("5 < \"1\""), "Boolean True");  // a number is less than a string
    EXPECT_EQ(show("Empty = 0"), "Boolean True");
    EXPECT_EQ(show("Empty = \"\""), "Boolean True");
    EXPECT_EQ(show("1 = Null"), "Null");
    EXPECT_EQ(show("1 <> 1.0"), "Boolean False");
    EXPECT_EQ(show("True = -1"), "Boolean True");
}

TEST(Logical, BitwiseOnNumbersBooleanOnBooleans) {
    EXPECT_EQ(show("6 And 3"), "Integer 2");
    EXPECT_EQ(show("6 Or 3"), "Integer 7");
    EXPECT_EQ(show("6 Xor 3"), "Integer 5");
    EXPECT_EQ(show("Not 0"), "Integer -1");
    EXPECT_EQ(show("Not True"), "Boolean False");
    EXPECT_EQ(show("65536 And 65537"), "Long 65536");
    EXPECT_EQ(show("0 Eqv 0"), "Integer -1");
    EXPECT_EQ(show("True Imp False"), "Boolean False");
}

TEST(Logical, NullFollowsThreeValuedLogic) {
    EXPECT_EQ(show("Null And False"), "Boolean False");
    EXPECT_EQ(show("Null And True"), "Null");
    EXPECT_EQ(show("Null Or True"), "Boolean True");
    EXPECT_EQ(show("Null Or False"), "Null");
    EXPECT_EQ(show("Null Xor True"), "Null");
    EXPECT_EQ(show("False Imp Null"), "Boolean True");
    EXPECT_EQ(show("Null Imp True"), "Boolean True");
    EXPECT_EQ(show("True Imp Null"), "Null");
    EXPECT_EQ(show("Not Null"), "Null");
}

TEST(Identity, IsComparesObjects) {
    EXPECT_EQ(show("Nothing Is Nothing"), "Boolean True");
    EXPECT_EQ(show("1 Is Nothing"), "Error 424");
    EXPECT_EQ(runP("Set r = Res : If r Is Res Then Res.p = 1"), 1.0);
}

TEST(Names, AreCaseInsensitive) {
    EXPECT_EQ(show("SIN(0) + X"), "Double 0.5");
    EXPECT_EQ(runP("ABC = 2 : Res.P = abc * aBc"), 4.0);
}

}  // namespace
}  // namespace mcplot::testing
