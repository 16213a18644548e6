// Literals take the narrowest subtype that holds them.
#include <gtest/gtest.h>

#include <string>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(Literals, WholeNumbersWidenIntegerLongDouble) {
    EXPECT_EQ(show("32767"), "Integer 32767");
    EXPECT_EQ(show("32768"), "Long 32768");
    EXPECT_EQ(show("2147483647"), "Long 2147483647");
    EXPECT_EQ(show("2147483648"), "Double 2147483648");
    EXPECT_EQ(show("-32768"), "Long -32768");  // the sign is an operator on a Long
}

TEST(Literals, DecimalForms) {
    EXPECT_EQ(show(".5"), "Double 0.5");
    EXPECT_EQ(show("10."), "Double 10");
    EXPECT_EQ(show("1E3"), "Double 1000");
    EXPECT_EQ(show("1.5e-5"), "Double 0.000015");
    EXPECT_EQ(show("1E400"), "Error 6");
    EXPECT_EQ(show("1.25E+2"), "Double 125");
    EXPECT_EQ(show("000123"), "Integer 123");
    EXPECT_EQ(show("0.1000000000000000000000001"), "Double 0.1");
    EXPECT_EQ(show("9007199254740993"), "Double 9.00719925474099E+15");
}

TEST(Literals, DecimalsReadToTheNearestDouble) {
    // Short ones by one exact division, long ones and exponents by the
    // library: every form must give the nearest double.
    for (const char* t : {"0.3", ".1", "123.456", "0.30000000000000004", "9007199254740993.5",
                          "1.7976931348623157", "0.000000000000000000000000123", "1.5E-300",
                          "12345678901234567890", "2.5E-3", "99999999999999999999.9"}) {
        EXPECT_EQ(runP(std::string("Res.p=") + t), std::stod(t)) << t;
    }
}

TEST(Literals, HexAndOctal) {
    EXPECT_EQ(show("&HFF"), "Integer 255");
    EXPECT_EQ(show("&HFFFF"), "Integer -1");
    EXPECT_EQ(show("&HFFFF&"), "Long 65535");
    EXPECT_EQ(show("&H10000"), "Long 65536");
    EXPECT_EQ(show("&HFFFFFFFF"), "Long -1");
    EXPECT_EQ(show("&O17"), "Integer 15");
    EXPECT_EQ(show("&h1f"), "Integer 31");
}

TEST(Literals, StringsBooleansAndSpecialValues) {
    EXPECT_EQ(show("\"say \"\"hi\"\"\""), "String say \"hi\"");
    EXPECT_EQ(show("True"), "Boolean True");
    EXPECT_EQ(show("CInt(True)"), "Integer -1");
    EXPECT_EQ(show("Empty"), "Empty");
    EXPECT_EQ(show("Null"), "Null");
    EXPECT_EQ(show("TypeName(Nothing)"), "String Nothing");
}

TEST(Literals, DateLiterals) {
    EXPECT_EQ(show("#12/7/2026#"), "Date 12/7/2026");
    EXPECT_EQ(show("#2026-12-07 16:05:00#"), "Date 12/7/2026 4:05:00 PM");
    EXPECT_EQ(show("CDbl(#1/1/1900#)"), "Double 2");
}

TEST(Literals, NumberTextUsesPointAndFifteenDigits) {
    EXPECT_EQ(show("1/3"), "Double 0.333333333333333");
    EXPECT_EQ(show("CSng(1)/3"), "Single 0.3333333");
    EXPECT_EQ(show("CSng(12345678)"), "Single 1.234568E+07");
    EXPECT_EQ(show("1.5E+20"), "Double 1.5E+20");
    EXPECT_EQ(show("CCur(2.5)"), "Currency 2.5");
}

TEST(Literals, MalformedLiteralsAreSyntaxErrors) {
    EXPECT_EQ(show("\"open"), "Error 1033");
    EXPECT_EQ(show("1E"), "Error 1002");
    EXPECT_EQ(show("&H"), "Error 1002");
    EXPECT_EQ(show("#13/45/2020#"), "Error 1002");
    EXPECT_EQ(show("1 $ 2"), "Error 1032");
}

}  // namespace
}  // namespace mcplot::testing
