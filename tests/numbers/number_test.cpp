#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <string>

#include "numbers/number.h"

using namespace mcplot;

TEST(TypedNumber, ArithmeticWidensAsTheTypesRequire) {
    const Number i = Number::integer(30000), j = Number::integer(10000);
    EXPECT_EQ((i - j).type(), NumType::Integer);
    EXPECT_EQ((i + j).type(), NumType::Long) << "Integer overflow widens to Long";
    EXPECT_EQ((i + j).value(), 40000);
    const Number big = Number::longInt(2000000000);
    EXPECT_EQ((big + big).type(), NumType::Double) << "Long overflow widens to Double";
    EXPECT_EQ((big + big).value(), 4e9);
    EXPECT_EQ((Number::integer(3) * Number::single(0.5f)).type(), NumType::Single);
    EXPECT_EQ((Number::longInt(3) * Number::single(0.5f)).type(), NumType::Double);
    EXPECT_EQ((Number::single(1) + Number::dbl(1)).type(), NumType::Double);
    EXPECT_EQ((-Number::integer(-32768)).type(), NumType::Long);
}

TEST(TypedNumber, QuotientsAndPowers) {
    EXPECT_EQ((Number::integer(1) / Number::integer(3)).type(), NumType::Single);
    EXPECT_EQ((Number::integer(1) / Number::integer(3)).value(), static_cast<double>(1.0f / 3.0f));
    EXPECT_EQ((Number::single(1) / Number::integer(3)).type(), NumType::Single);
    EXPECT_EQ((Number::longInt(1) / Number::integer(3)).type(), NumType::Double);
    EXPECT_EQ((Number::dbl(1) / Number::integer(4)).value(), 0.25);
    EXPECT_EQ(pow(Number::integer(2), Number::integer(3)).type(), NumType::Double);
}

TEST(TypedNumber, SingleProductIsRoundedToSingle) {
    // h * i of the scan: single times integer stays single.
    const Number product = Number::single(0.03f) * Number::integer(7);
    EXPECT_EQ(product.type(), NumType::Single);
    EXPECT_EQ(product.value(), static_cast<double>(0.03f * 7));
    EXPECT_EQ((Number::single(FLT_MAX) * Number::integer(2)).type(), NumType::Double)
        << "single overflow widens instead of becoming infinite";
}

TEST(SingleStorage, UpperLimitKeepsOnlyItsSingleValue) {
    const float b = toSingle(14.2);
    EXPECT_EQ(static_cast<double>(b), 14.19999980926513671875);
    EXPECT_EQ(static_cast<double>(toSingle(0.1)), 0.100000001490116119384765625);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    int16_t v = 0;
    EXPECT_TRUE(toInteger16(-156.5, v));
    EXPECT_EQ(v, -156);
    EXPECT_FALSE(toInteger16(32767.6, v));
    EXPECT_FALSE(toInteger16(NAN, v));
}

TEST(FormatPattern, PatternsWithSeparator) {
    EXPECT_EQ(formatPattern(0.5, "0.000", "."), "0.500");
    EXPECT_EQ(formatPattern(0.5, "0.000", ","), "0,500");
    EXPECT_EQ(formatPattern(3, "0.00", "."), "3.00");
    EXPECT_EQ(formatPattern(-0.07f, "0.00", "."), "-0.07");
    EXPECT_EQ(formatPattern(1.5, "0.00", ","), "1,50");
    EXPECT_EQ(formatPattern(1000, "0", "."), "1000");
    EXPECT_EQ(formatPattern(9, "#000.000", "."), "009.000");
    EXPECT_EQ(formatPattern(0.39894, "#000.000", "."), "000.399");
    EXPECT_EQ(formatPattern(-4.5, "#000.000", "."), "-004.500");
    EXPECT_EQ(formatPattern(0.04, "#0.0", "."), "0.0");
    EXPECT_EQ(formatPattern(-1.5, "#0.0", "."), "-1.5");
}

TEST(FormatPattern, RoundingAndExtremes) {
    EXPECT_EQ(formatPattern(2.5, "0", "."), "3") << "format rounds halves away from zero";
    EXPECT_EQ(formatPattern(0.125, "0.00", "."), "0.13");
    EXPECT_EQ(formatPattern(9.9996, "0.000", "."), "10.000");
    EXPECT_EQ(formatPattern(-0.0001, "0.000", "."), "0.000") << "no minus on a zero";
    EXPECT_EQ(formatPattern(1e20, "0", "."), "100000000000000000000");
    EXPECT_EQ(formatPattern(NAN, "0.000", "."), "");
    EXPECT_EQ(formatPattern(DBL_MAX, "0.000", ".").size(), 313u);
}

TEST(ShortNumber, BlankForNonNegativeAndNoLeadingZero) {
    EXPECT_EQ(shortNumber(0), " 0");
    EXPECT_EQ(shortNumber(2), " 2");
    EXPECT_EQ(shortNumber(0.5), " .5");
    EXPECT_EQ(shortNumber(-1.5), "-1.5");
    EXPECT_EQ(shortNumber(-0.25), "-.25");
    EXPECT_EQ(shortNumber(12), " 12");
    EXPECT_EQ(shortNumber(-1.25), "-1.25");
    EXPECT_EQ(shortNumber(0.1), " .1");
}

TEST(ShortNumber, FifteenDigitsAndExponents) {
    EXPECT_EQ(shortNumber(1.0 / 3), " .333333333333333");
    EXPECT_EQ(shortNumber(0.00001), " .00001");
    EXPECT_EQ(shortNumber(0.0001), " .0001");
    EXPECT_EQ(shortNumber(1e15), " 1E+15");
    EXPECT_EQ(shortNumber(1e14), " 100000000000000");
    EXPECT_EQ(shortNumber(-1.5e-20), "-1.5E-20");
    EXPECT_EQ(shortNumber(static_cast<double>(0.1f)), " .100000001490116");
    EXPECT_EQ(numberText15(0.5), "0.5");
    EXPECT_EQ(numberText15(-0.0), "0");
}

TEST(ReadLeadingNumber, DecimalPointAndLeadingNumber) {
    EXPECT_EQ(readLeadingNumber("0.90"), 0.9);
    EXPECT_EQ(readLeadingNumber("0,90"), 0);
    EXPECT_EQ(readLeadingNumber("  1 2.5 x"), 12.5) << "blanks inside are skipped";
    EXPECT_EQ(readLeadingNumber("\t-3\n"), -3);
    EXPECT_EQ(readLeadingNumber("abc"), 0);
    EXPECT_EQ(readLeadingNumber(""), 0);
    EXPECT_EQ(readLeadingNumber(".5"), 0.5);
    EXPECT_EQ(readLeadingNumber("1.5E2z"), 150);
    EXPECT_EQ(readLeadingNumber("2e-1"), 0.2);
    EXPECT_EQ(readLeadingNumber("3e"), 3);
    EXPECT_EQ(readLeadingNumber("1e999"), 0) << "no infinity from a huge exponent";
}

TEST(ReadLeadingNumber, HexAndOctalPrefixes) {
    EXPECT_EQ(readLeadingNumber("&H1F"), 31);
    EXPECT_EQ(readLeadingNumber("&h10"), 16);
    EXPECT_EQ(readLeadingNumber("&O17"), 15);
    EXPECT_EQ(readLeadingNumber("&HFFFF"), -1);
    EXPECT_EQ(readLeadingNumber("&H10000"), 65536);
    EXPECT_EQ(readLeadingNumber("&HG"), 0);
}

TEST(NumberText, IgnoresADecimalCommaLocale) {
    // The GUI toolkit sets the C locale from the user's settings; script text
    // and the parameter box must keep ".".
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_EQ(shortNumber(0.5), " .5");
    EXPECT_EQ(shortNumber(-1.25), "-1.25");
    EXPECT_EQ(readLeadingNumber("0.90"), 0.9);
    EXPECT_EQ(parseDecimal("-1.5"), -1.5);
    EXPECT_EQ(formatPattern(1.5, "0.00", ","), "1,50");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumberText, ParseDecimalRejectsWhatIsNotANumber) {
    EXPECT_EQ(parseDecimal("2.5"), 2.5);
    EXPECT_EQ(parseDecimal("+3"), 3);
    EXPECT_EQ(parseDecimal("1."), 1);
    EXPECT_EQ(parseDecimal("x"), 0);
    EXPECT_EQ(parseDecimal("1e400"), 0);
}
