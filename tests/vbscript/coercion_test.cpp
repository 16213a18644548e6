// Coercion between strings and numbers, and how Empty and Null travel.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(Coercion, NumericStringsTakePartInArithmetic) {
    EXPECT_EQ(show("\"1\" + 1"), "Double 2");
    EXPECT_EQ(show("\" 2.5 \" * 2"), "Double 5");
    EXPECT_EQ(show("\"&H10\" + 0"), "Double 16");
    EXPECT_EQ(show("\"1e2\" - 1"), "Double 99");
    EXPECT_EQ(show("\"abc\" + 1"), "Error 13");
    EXPECT_EQ(show("\"\" * 1"), "Error 13");
    EXPECT_EQ(show("\"1,5\" + 0"), "Error 13");  // "." is the only decimal separator
}

TEST(Coercion, EmptyIsZeroOrEmptyString) {
    EXPECT_EQ(show("Empty + Empty"), "Integer 0");
    EXPECT_EQ(show("Empty + 1.5"), "Double 1.5");
    EXPECT_EQ(show("Empty + \"a\""), "String a");
    EXPECT_EQ(show("undefinedName + 1"), "Integer 1");
    EXPECT_EQ(show("Len(Empty)"), "Long 0");
}

TEST(Coercion, NullPropagatesThroughOperatorsAndFunctions) {
    EXPECT_EQ(show("Null + 1"), "Null");
    EXPECT_EQ(show("-Null"), "Null");
    EXPECT_EQ(show("Null ^ 2"), "Null");
    EXPECT_EQ(show("Abs(Null)"), "Null");
    EXPECT_EQ(show("Sin(Null)"), "Null");
    EXPECT_EQ(show("Left(Null, 1)"), "Null");
}

TEST(Coercion, NullWhereAValueIsNeededIsInvalidUseOfNull) {
    EXPECT_EQ(show("CInt(Null)"), "Error 94");
    EXPECT_EQ(show("CStr(Null)"), "Error 94");
    EXPECT_EQ(show("Left(\"a\", Null)"), "Error 94");
    EXPECT_EQ(runError("Res.p = Null"), 94);
}

TEST(Coercion, BooleansAreMinusOneAndZero) {
    EXPECT_EQ(show("True + True"), "Integer -2");
    EXPECT_EQ(show("-True"), "Integer 1");
    EXPECT_EQ(show("CBool(\"true\")"), "Boolean True");
    EXPECT_EQ(show("CBool(\"0\")"), "Boolean False");
    EXPECT_EQ(show("CBool(\"maybe\")"), "Error 13");
    EXPECT_EQ(show("CStr(1 = 1)"), "String True");
}

TEST(Coercion, ResultFieldsConvertWhatTheyReceive) {
    EXPECT_EQ(runP("Res.p = \"2.5\""), 2.5);
    EXPECT_EQ(runP("Res.p = True"), -1.0);
    EXPECT_EQ(runP("Res.p = Empty"), 0.0);
    EXPECT_EQ(runError("Res.p = \"abc\""), 13);
    EXPECT_EQ(run("Res.pInt = 2.5").res.pInt, 2);  // halves to even
    EXPECT_EQ(run("Res.pInt = 3.5").res.pInt, 4);
    EXPECT_EQ(runError("Res.pInt = 32768"), 6);
    EXPECT_EQ(run("Res.pLong = 2147483647").res.pLong, 2147483647);
    EXPECT_EQ(runError("Res.pLong = 2147483648"), 6);
    EXPECT_EQ(runP("Res.pInt = 7 : Res.pLong = 70000 : Res.p = Res.pInt + Res.pLong"), 70007.0);
}

}  // namespace
}  // namespace mcplot::testing
