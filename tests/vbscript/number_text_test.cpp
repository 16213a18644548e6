// The text of a number: CStr and string concatenation of Double and Single
// values, and the short form of x written into the script text.
#include <gtest/gtest.h>

#include <limits>

#include "numbers/number.h"
#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(NumberText, DoubleFixedWhenFifteenPlacesSuffice) {
    EXPECT_EQ(show("CStr(0.05)"), "String 0.05");
    EXPECT_EQ(show("CStr(0.00001)"), "String 0.00001");
    EXPECT_EQ(show("CStr(1/4)"), "String 0.25");
    EXPECT_EQ(show("CStr(-2.5)"), "String -2.5");
    EXPECT_EQ(show("CStr(1/3)"), "String 0.333333333333333");
    EXPECT_EQ(show("CStr(2/3)"), "String 0.666666666666667");
    EXPECT_EQ(show("CStr(999999999999999)"), "String 999999999999999");
    EXPECT_EQ(show("CStr(123456.789)"), "String 123456.789");
    EXPECT_EQ(show("CStr(1E-15)"), "String 0.000000000000001");
    EXPECT_EQ(show("CStr(0.0)"), "String 0");
}

TEST(NumberText, DoubleExponentBeyondFifteenPlaces) {
    EXPECT_EQ(show("CStr(1/30)"), "String 3.33333333333333E-02");
    EXPECT_EQ(show("CStr(1/300)"), "String 3.33333333333333E-03");
    EXPECT_EQ(show("CStr(-1/30)"), "String -3.33333333333333E-02");
    EXPECT_EQ(show("CStr(CSng(\"0.01\") + 0.01)"), "String 1.99999997764826E-02");
    EXPECT_EQ(show("CStr(1E15)"), "String 1E+15");
    EXPECT_EQ(show("CStr(1.5E+20)"), "String 1.5E+20");
    EXPECT_EQ(show("CStr(1E-16)"), "String 1E-16");
    EXPECT_EQ(show("CStr(1.5E-20)"), "String 1.5E-20");
    EXPECT_EQ(show("CStr(1E+100)"), "String 1E+100");
    EXPECT_EQ(show("CStr(-4.9E-300)"), "String -4.9E-300");
    // Rounding to fifteen digits may carry into a new place before the point.
    EXPECT_EQ(show("CStr(999999999999999.9)"), "String 1E+15");
    EXPECT_EQ(show("\"v=\" & 1/30"), "String v=3.33333333333333E-02");
}

TEST(NumberText, SingleUsesSevenDigits) {
    EXPECT_EQ(show("CStr(CSng(0.1))"), "String 0.1");
    EXPECT_EQ(show("CStr(CSng(1/3))"), "String 0.3333333");
    EXPECT_EQ(show("CStr(CSng(1/30))"), "String 3.333334E-02");
    EXPECT_EQ(show("CStr(CSng(0.00001))"), "String 0.00001");
    EXPECT_EQ(show("CStr(CSng(1234567))"), "String 1234567");
    EXPECT_EQ(show("CStr(CSng(12345678))"), "String 1.234568E+07");
    EXPECT_EQ(show("CStr(CSng(1E-8))"), "String 1E-08");
    EXPECT_EQ(show("CStr(CSng(-0.0000001))"), "String -0.0000001");
}

TEST(NumberText, DirectFormsForBothPrecisions) {
    EXPECT_EQ(numberText(0.1, 15), "0.1");
    EXPECT_EQ(numberText(100, 15), "100");
    EXPECT_EQ(numberText(100, 7), "100");
    EXPECT_EQ(numberText(1e14, 15), "100000000000000");
    EXPECT_EQ(numberText(1e7, 7), "1E+07");
    EXPECT_EQ(numberText(static_cast<float>(0.1), 7), "0.1");
    EXPECT_EQ(numberText(std::numeric_limits<double>::max(), 15), "1.79769313486232E+308");
    EXPECT_EQ(numberText(std::numeric_limits<double>::denorm_min(), 15), "4.94065645841247E-324");
}

TEST(NumberText, ShortFormOfTheArgument) {
    EXPECT_EQ(shortNumber(0.00001), " .00001");
    EXPECT_EQ(shortNumber(-0.05), "-.05");
    EXPECT_EQ(shortNumber(1.0 / 30), " 3.33333333333333E-02");
    EXPECT_EQ(shortNumber(-1.0 / 30), "-3.33333333333333E-02");
    EXPECT_EQ(shortNumber(1e-20), " 1E-20");
    EXPECT_EQ(shortNumber(2e15), " 2E+15");
}

TEST(NumberText, ShortFormReadsBackInTheScript) {
    // The argument text goes through the parser: what it reads is x to 15 digits.
    for (const double x : {1.0 / 30, -1.0 / 300, 0.00001, 1e-20, 123.456, -7e15}) {
        const double p = runP("x=" + shortNumber(x) + "\r\nRes.p=x");
        EXPECT_EQ(p, std::stod(numberText15(x))) << x;
    }
}

}  // namespace
}  // namespace mcplot::testing
