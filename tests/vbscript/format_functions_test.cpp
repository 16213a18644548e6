// FormatNumber, FormatPercent, FormatCurrency and FormatDateTime in the
// script's regional settings (English, United States).
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(FormatNumber, Defaults) {
    EXPECT_EQ(show("FormatNumber(20000)"), "String 20,000.00");
    EXPECT_EQ(show("FormatNumber(0.5)"), "String 0.50");
    EXPECT_EQ(show("FormatNumber(1234567.891)"), "String 1,234,567.89");
    EXPECT_EQ(show("FormatNumber(\"12.5\")"), "String 12.50");
    EXPECT_EQ(show("FormatNumber(True)"), "String -1.00");
    EXPECT_EQ(show("FormatNumber(Empty)"), "String 0.00");
    EXPECT_EQ(show("FormatNumber(CCur(3.5))"), "String 3.50");
}

TEST(FormatNumber, DecimalPlacesRoundHalvesAwayFromZero) {
    EXPECT_EQ(show("FormatNumber(20000, 5)"), "String 20,000.00000");
    EXPECT_EQ(show("FormatNumber(2.5, 0)"), "String 3");
    EXPECT_EQ(show("FormatNumber(-2.5, 0)"), "String -3");
    EXPECT_EQ(show("FormatNumber(2.675, 2)"), "String 2.68");
    EXPECT_EQ(show("FormatNumber(0.125, 2)"), "String 0.13");
    EXPECT_EQ(show("FormatNumber(999.996, 2)"), "String 1,000.00");
    EXPECT_EQ(show("FormatNumber(1/3, -1)"), "String 0.33");
    EXPECT_EQ(show("FormatNumber(1E+20, 0)"), "String 100,000,000,000,000,000,000");
    EXPECT_EQ(show("FormatNumber(1E-20, 3)"), "String 0.000");
    EXPECT_EQ(show("FormatNumber(1, -2)"), "Error 5");
    EXPECT_EQ(show("FormatNumber(\"abc\")"), "Error 13");
    EXPECT_EQ(show("FormatNumber(Null)"), "Error 94");
}

TEST(FormatNumber, NegativeNumberWithEachOptionalArgument) {
    EXPECT_EQ(show("FormatNumber(-1234.5)"), "String -1,234.50");
    EXPECT_EQ(show("FormatNumber(-1234.5, 1)"), "String -1,234.5");
    EXPECT_EQ(show("FormatNumber(-0.25, 2, 0)"), "String -.25");
    EXPECT_EQ(show("FormatNumber(-0.25, 2, -1)"), "String -0.25");
    EXPECT_EQ(show("FormatNumber(-50, 2, -2, -1)"), "String (50.00)");
    EXPECT_EQ(show("FormatNumber(-50, 2, -2, 0)"), "String -50.00");
    EXPECT_EQ(show("FormatNumber(-1000000, 2, -2, -2, 0)"), "String -1000000.00");
    EXPECT_EQ(show("FormatNumber(-1000000, 2, -2, -2, -1)"), "String -1,000,000.00");
    EXPECT_EQ(show("FormatNumber(-0.001, 2)"), "String 0.00");
    EXPECT_EQ(show("FormatNumber(-0.5, 0, 0, -1, 0)"), "String (1)");
    EXPECT_EQ(show("FormatNumber(-0.2, 1, 0, -1)"), "String (.2)");
}

TEST(FormatNumber, PercentAndCurrency) {
    EXPECT_EQ(show("FormatPercent(0.5)"), "String 50.00%");
    EXPECT_EQ(show("FormatPercent(1/3, 1)"), "String 33.3%");
    EXPECT_EQ(show("FormatPercent(-0.1234, 1)"), "String -12.3%");
    EXPECT_EQ(show("FormatPercent(-0.5, 0, -2, -1)"), "String (50%)");
    EXPECT_EQ(show("FormatPercent(12.5)"), "String 1,250.00%");
    EXPECT_EQ(show("FormatCurrency(20000)"), "String $20,000.00");
    EXPECT_EQ(show("FormatCurrency(0.2, 2, 0)"), "String $.20");
    EXPECT_EQ(show("FormatCurrency(-50)"), "String ($50.00)");
    EXPECT_EQ(show("FormatCurrency(-50, 2, -2, 0)"), "String -$50.00");
    EXPECT_EQ(show("FormatCurrency(1000000, 0, -2, -2, 0)"), "String $1000000");
}

TEST(FormatDateTime, NamedFormats) {
    const std::string d = "CDate(\"2019-05-31 13:45\")";
    EXPECT_EQ(show("FormatDateTime(" + d + ")"), "String 5/31/2019 1:45:00 PM");
    EXPECT_EQ(show("FormatDateTime(" + d + ", 0)"), "String 5/31/2019 1:45:00 PM");
    EXPECT_EQ(show("FormatDateTime(" + d + ", vbLongDate)"), "String Friday, May 31, 2019");
    EXPECT_EQ(show("FormatDateTime(" + d + ", vbShortDate)"), "String 5/31/2019");
    EXPECT_EQ(show("FormatDateTime(" + d + ", vbLongTime)"), "String 1:45:00 PM");
    EXPECT_EQ(show("FormatDateTime(" + d + ", vbShortTime)"), "String 13:45");
    EXPECT_EQ(show("FormatDateTime(#1/2/2003 9:05:07#, 4)"), "String 09:05");
    EXPECT_EQ(show("FormatDateTime(#1/2/2003#, 3)"), "String 12:00:00 AM");
    EXPECT_EQ(show("FormatDateTime(#1/2/2003#)"), "String 1/2/2003");
    EXPECT_EQ(show("FormatDateTime(\"2/29/2000\", 1)"), "String Tuesday, February 29, 2000");
    EXPECT_EQ(show("FormatDateTime(#1/2/2003#, 5)"), "Error 5");
    EXPECT_EQ(show("FormatDateTime(\"soon\")"), "Error 13");
}

}  // namespace
}  // namespace mcplot::testing
