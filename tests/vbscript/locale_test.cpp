// SetLocale chooses the regional settings the script writes and reads
// numbers, amounts and dates in; each interpreter keeps its own.
#include <gtest/gtest.h>

#include "core/vbscript_host.h"
#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

const std::string kDate = "d = #5/31/2019 13:45# : ";

TEST(Locale, SetLocaleReturnsThePreviousOne) {
    const struct {
        const char* code;
        const char* out;
    } cases[] = {
        {"out = SetLocale(1049) & \" \" & GetLocale()", "String 1033 1049"},
        {"SetLocale \"en-gb\" : out = SetLocale(\"ru\") & \" \" & GetLocale()", "String 2057 1049"},
        {"SetLocale \"de\" : out = GetLocale()", "Long 1031"},
        {"SetLocale 1036 : out = SetLocale(0) & \" \" & GetLocale()", "String 1036 1033"},
        {"SetLocale 1049 : SetLocale : out = GetLocale()", "Long 1033"},
        {"SetLocale 1044 : out = GetLocale()", "Long 1044"},
        {"out = SetLocale(\"xx\")", "Error 5"},
    };
    for (const auto& c : cases) EXPECT_EQ(runOut(c.code), c.out) << c.code;
}

TEST(Locale, NumbersAndDatesInEachLocale) {
    const struct {
        const char* locale;
        const char* code;
        const char* out;
    } cases[] = {
        {"1049", "out = CStr(1234.5) & \"|\" & (0.5 & \"\") & \"|\" & CStr(CCur(2.5))",
         "String 1234,5|0,5|2,5"},
        {"1049", "out = CDbl(\"1,5\") * 2", "Double 3"},
        {"1049", "out = CDbl(\"1 234,5\") & \"|\" & CDate(\"31 мая 2019 г.\")", "String 1234,5|31.05.2019"},
        {"1049", "out = IsNumeric(\"1,5\") & IsNumeric(\"1.5\") & IsNumeric(\"1\u00A0000\")",
         "String TrueFalseTrue"},
        {"1049", "out = FormatNumber(1234567.891) & \"|\" & FormatPercent(0.256)",
         "String 1\u00A0234\u00A0567,89|25,60%"},
        {"1049", "out = FormatCurrency(-1234.5)", "String -1\u00A0234,50 ₽"},
        {"1049", "out = CStr(d) & \"|\" & FormatDateTime(d, 1) & \"|\" & FormatDateTime(d, 2)",
         "String 31.05.2019 13:45:00|31 мая 2019 г.|31.05.2019"},
        {"1049", "out = FormatDateTime(d, 3) & \"|\" & FormatDateTime(#1/2/2003 9:05#, 4)",
         "String 13:45:00|09:05"},
        {"1049", "out = Month(CDate(\"1.2.2003\")) & Day(DateValue(\"31.05.2019\")) & IsDate(\"31.12.2019\")",
         "String 231True"},
        {"1049", "out = Year(CDate(\"19 октября 1962\"))", "Integer 1962"},
        {"1049", "out = MonthName(5) & MonthName(5, True) & WeekdayName(1) & WeekdayName(2, True)",
         "String МаймайвоскресеньеПн"},
        {"2057", "out = CStr(d) & \"|\" & FormatDateTime(d, 1) & \"|\" & FormatCurrency(-5)",
         "String 31/05/2019 13:45:00|31 May 2019|-£5.00"},
        {"2057", "out = Month(CDate(\"1/2/2003\")) & \" \" & Month(CDate(\"12/15/2009\"))", "String 2 12"},
        {"\"de\"", "out = CCur(\"1.234,56\") & \"|\" & FormatNumber(1234.5) & \"|\" & FormatCurrency(1234.5)",
         "String 1234,56|1.234,50|1.234,50 €"},
        {"\"de\"", "out = FormatDateTime(d, 1)", "String Freitag, 31. Mai 2019"},
        {"\"fr-fr\"", "out = FormatDateTime(d, 1) & \"|\" & d",
         "String vendredi 31 mai 2019|31/05/2019 13:45:00"},
        // Literals in the script text stay in the language's own form.
        {"1049", "out = 1.5 + #2/1/2003# - #2/1/2003#", "Double 1.5"},
        {"1049", "SetLocale 1033 : out = CStr(0.5) & \" \" & d", "String 0.5 5/31/2019 1:45:00 PM"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runOut(kDate + "SetLocale " + c.locale + " : " + c.code), c.out)
            << c.locale << " " << c.code;
}

TEST(Locale, DatesWithMonthNames) {
    const struct {
        const char* expression;
        const char* shown;
    } cases[] = {
        {"CDate(\"October 19, 1962\")", "Date 10/19/1962"},
        {"DateValue(\"September 11, 1963\")", "Date 9/11/1963"},
        {"CDate(\"19 Oct 1962 4:35 PM\")", "Date 10/19/1962 4:35:00 PM"},
        {"IsDate(\"Friday, May 31, 2019\")", "Boolean False"},  // not with the day of the week
        {"CDate(\"31/12/2009\")", "Date 12/31/2009"},
        {"IsDate(\"13/13/2009\") Or IsDate(\"Hello\") Or IsDate(\"May\")", "Boolean False"},
    };
    for (const auto& c : cases) EXPECT_EQ(show(c.expression), c.shown) << c.expression;
}

TEST(Locale, BelongsToOneInterpreter) {
    VBScriptHost russian, plain;
    russian.Reset();
    plain.Reset();
    ASSERT_TRUE(russian.ExecuteStatement("SetLocale 1049").ok);
    EXPECT_EQ(russian.Evaluate("CStr(0.5)").text, "0,5");
    EXPECT_EQ(plain.Evaluate("CStr(0.5)").text, "0.5");
    EXPECT_EQ(russian.Evaluate("CStr(0.5)").text, "0,5");
    russian.Reset();
    EXPECT_EQ(russian.Evaluate("CStr(0.5)").text, "0.5");
}

}  // namespace
}  // namespace mcplot::testing
