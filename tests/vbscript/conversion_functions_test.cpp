// Conversion functions: rounding, ranges and the errors for bad input.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(ConversionFunctions, IntegerConversionsRoundHalvesToEven) {
    EXPECT_EQ(show("CInt(2.5)"), "Integer 2");
    EXPECT_EQ(show("CInt(-3.5)"), "Integer -4");
    EXPECT_EQ(show("CLng(\"12.5\")"), "Long 12");
    EXPECT_EQ(show("CByte(255.4)"), "Byte 255");
}

TEST(ConversionFunctions, OutOfRangeIsOverflow) {
    EXPECT_EQ(show("CInt(32768)"), "Error 6");
    EXPECT_EQ(show("CLng(2147483648)"), "Error 6");
    EXPECT_EQ(show("CByte(-1)"), "Error 6");
    EXPECT_EQ(show("CSng(1E300)"), "Error 6");
}

TEST(ConversionFunctions, BadTextIsTypeMismatch) {
    EXPECT_EQ(show("CDbl(\"x\")"), "Error 13");
    EXPECT_EQ(show("CInt(\"\")"), "Error 13");
    EXPECT_EQ(show("CDate(\"not a date\")"), "Error 13");
}

TEST(ConversionFunctions, ToFloatingAndText) {
    EXPECT_EQ(show("CDbl(\"1.25\")"), "Double 1.25");
    EXPECT_EQ(show("CSng(0.1)"), "Single 0.1");
    EXPECT_EQ(show("CCur(1.23456)"), "Currency 1.2346");
    EXPECT_EQ(show("CStr(0.000012)"), "String 0.000012");
    EXPECT_EQ(show("CStr(-0.5)"), "String -0.5");
    EXPECT_EQ(show("CStr(Empty)"), "String ");
    EXPECT_EQ(show("CBool(2)"), "Boolean True");
    EXPECT_EQ(show("CDate(\"2026-12-07\")"), "Date 12/7/2026");
    EXPECT_EQ(show("CDate(2.5)"), "Date 1/1/1900 12:00:00 PM");
}

TEST(ConversionFunctions, HexAndOctUseTheOperandWidth) {
    EXPECT_EQ(show("Hex(255)"), "String FF");
    EXPECT_EQ(show("Hex(-1)"), "String FFFF");
    EXPECT_EQ(show("Hex(-1.0)"), "String FFFFFFFF");
    EXPECT_EQ(show("Hex(65536)"), "String 10000");
    EXPECT_EQ(show("Oct(8)"), "String 10");
    EXPECT_EQ(show("Hex(Null)"), "Null");
    EXPECT_EQ(show("Hex(1E10)"), "Error 6");
}

TEST(InspectionFunctions, TypeNameAndVarType) {
    EXPECT_EQ(show("TypeName(1)"), "String Integer");
    EXPECT_EQ(show("TypeName(x)"), "String Double");
    EXPECT_EQ(show("TypeName(\"\")"), "String String");
    EXPECT_EQ(show("TypeName(Array())"), "String Variant()");
    EXPECT_EQ(show("VarType(1)"), "Integer 2");
    EXPECT_EQ(show("VarType(CCur(1))"), "Integer 6");
    EXPECT_EQ(show("VarType(Array(1))"), "Integer 8204");
    EXPECT_EQ(show("VarType(Null)"), "Integer 1");
    EXPECT_EQ(show("VarType(CByte(1))"), "Integer 17");
}

TEST(InspectionFunctions, IsFunctions) {
    EXPECT_EQ(show("IsNumeric(\"1e3\")"), "Boolean True");
    EXPECT_EQ(show("IsNumeric(\"abc\")"), "Boolean False");
    EXPECT_EQ(show("IsNumeric(Empty)"), "Boolean True");
    EXPECT_EQ(show("IsNumeric(Null)"), "Boolean False");
    EXPECT_EQ(show("IsNumeric(\"1E999\")"), "Boolean False");
    EXPECT_EQ(show("IsEmpty(neverSet)"), "Boolean True");
    EXPECT_EQ(show("IsNull(Null)"), "Boolean True");
    EXPECT_EQ(show("IsDate(\"12/7/2026\")"), "Boolean True");
    EXPECT_EQ(show("IsDate(\"2026\")"), "Boolean False");
    EXPECT_EQ(show("IsArray(Array())"), "Boolean True");
    EXPECT_EQ(show("IsObject(Nothing)"), "Boolean True");
}

}  // namespace
}  // namespace mcplot::testing
