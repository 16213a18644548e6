// Filter, RGB, DatePart, Escape and Unescape, and the engine's name and version.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(LibraryFunctions, EngineNameAndVersion) {
    EXPECT_EQ(show("ScriptEngine"), "String VBScript");
    EXPECT_EQ(show("ScriptEngine()"), "String VBScript");
    EXPECT_EQ(show("ScriptEngineMajorVersion()"), "Long 5");
    EXPECT_EQ(show("ScriptEngineMinorVersion"), "Long 8");
    EXPECT_EQ(show("ScriptEngineBuildVersion > 0"), "Boolean True");
    EXPECT_EQ(show("ScriptEngineMajorVersion & \".\" & ScriptEngineMinorVersion"), "String 5.8");
}

TEST(LibraryFunctions, Filter) {
    const std::string a = "Array(\"Monday\", \"Tuesday\", \"sunday\", \"Friday\")";
    EXPECT_EQ(show("Join(Filter(" + a + ", \"day\"), \",\")"), "String Monday,Tuesday,sunday,Friday");
    EXPECT_EQ(show("Join(Filter(" + a + ", \"Sun\"), \",\")"), "String ");
    EXPECT_EQ(show("Join(Filter(" + a + ", \"Sun\", True, vbTextCompare), \",\")"), "String sunday");
    EXPECT_EQ(show("Join(Filter(" + a + ", \"u\", False), \",\")"), "String Monday,Friday");
    EXPECT_EQ(show("UBound(Filter(" + a + ", \"x\"))"), "Long -1");
    EXPECT_EQ(show("Join(Filter(Array(1, 12, 3), 1), \",\")"), "String 1,12");
    EXPECT_EQ(show("Join(Filter(Array(\"Пётр\", \"ПЁТР\", \"Иван\"), \"пёт\", True, 1), \",\")"),
              "String Пётр,ПЁТР");
    EXPECT_EQ(show("Filter(\"abc\", \"a\")"), "Error 13");
    EXPECT_EQ(show("Filter(Null, \"a\")"), "Error 94");
}

TEST(LibraryFunctions, RGB) {
    EXPECT_EQ(show("RGB(255, 0, 0)"), "Long 255");
    EXPECT_EQ(show("RGB(0, 0, 255)"), "Long 16711680");
    EXPECT_EQ(show("RGB(1, 2, 3)"), "Long 197121");
    EXPECT_EQ(show("RGB(300, 0, 0)"), "Long 255");
    EXPECT_EQ(show("RGB(0, 0, 255) = vbBlue"), "Boolean True");
    EXPECT_EQ(show("RGB(-1, 0, 0)"), "Error 5");
    EXPECT_EQ(show("RGB(Null, 0, 0)"), "Error 94");
}

TEST(LibraryFunctions, DatePart) {
    const std::string d = "#5/31/2019 13:45:10#";  // a Friday
    EXPECT_EQ(show("DatePart(\"yyyy\", " + d + ")"), "Integer 2019");
    EXPECT_EQ(show("DatePart(\"q\", " + d + ")"), "Integer 2");
    EXPECT_EQ(show("DatePart(\"m\", " + d + ")"), "Integer 5");
    EXPECT_EQ(show("DatePart(\"y\", " + d + ")"), "Integer 151");
    EXPECT_EQ(show("DatePart(\"d\", " + d + ")"), "Integer 31");
    EXPECT_EQ(show("DatePart(\"w\", " + d + ")"), "Integer 6");
    EXPECT_EQ(show("DatePart(\"w\", " + d + ", vbMonday)"), "Integer 5");
    EXPECT_EQ(show("DatePart(\"h\", " + d + ")"), "Integer 13");
    EXPECT_EQ(show("DatePart(\"n\", " + d + ")"), "Integer 45");
    EXPECT_EQ(show("DatePart(\"s\", " + d + ")"), "Integer 10");
    EXPECT_EQ(show("DatePart(\"ww\", " + d + ")"), "Integer 22");
    EXPECT_EQ(show("DatePart(\"d\", \"2/29/2000\")"), "Integer 29");
    EXPECT_EQ(show("DatePart(\"d\", Null)"), "Null");
    EXPECT_EQ(show("DatePart(\"x\", " + d + ")"), "Error 5");
}

TEST(LibraryFunctions, DatePartWeekRules) {
    // 1 January 2021 was a Friday.
    EXPECT_EQ(show("DatePart(\"ww\", #1/1/2021#)"), "Integer 1");
    EXPECT_EQ(show("DatePart(\"ww\", #1/3/2021#)"), "Integer 2");
    EXPECT_EQ(show("DatePart(\"ww\", #1/4/2021#, vbMonday, vbFirstFourDays)"), "Integer 1");
    EXPECT_EQ(show("DatePart(\"ww\", #1/10/2021#, vbMonday, vbFirstFourDays)"), "Integer 1");
    EXPECT_EQ(show("DatePart(\"ww\", #1/11/2021#, vbMonday, vbFirstFourDays)"), "Integer 2");
    EXPECT_EQ(show("DatePart(\"ww\", #1/1/2021#, vbMonday, vbFirstFourDays)"), "Integer 53");
    EXPECT_EQ(show("DatePart(\"ww\", #1/3/2021#, vbSunday, vbFirstFullWeek)"), "Integer 1");
    EXPECT_EQ(show("DatePart(\"ww\", #12/31/2021#)"), "Integer 53");
    EXPECT_EQ(show("DatePart(\"ww\", #1/1/2021#, 1, 4)"), "Error 5");
}

TEST(LibraryFunctions, EscapeAndUnescape) {
    EXPECT_EQ(show("Escape(\"a b&c\")"), "String a%20b%26c");
    EXPECT_EQ(show("Escape(\"A-z_0.9/@*+\")"), "String A-z_0.9/@*+");
    EXPECT_EQ(show("Escape(\"é\")"), "String %E9");
    EXPECT_EQ(show("Escape(\"Жук\")"), "String %u0416%u0443%u043A");
    EXPECT_EQ(show("Escape(\"\")"), "String ");
    EXPECT_EQ(show("Escape(Null)"), "Null");
    EXPECT_EQ(show("Unescape(\"a%20b%26c\")"), "String a b&c");
    EXPECT_EQ(show("Unescape(\"%u0416%u0443%u043a\")"), "String Жук");
    EXPECT_EQ(show("Unescape(\"100% %zz %u12\")"), "String 100% %zz %u12");
    EXPECT_EQ(show("Unescape(Escape(\"x = 1/3 + \" & ChrW(8364)))"), "String x = 1/3 + €");
}

TEST(LibraryFunctions, TheScriptLocale) {
    EXPECT_EQ(show("GetLocale()"), "Long 1033");
    EXPECT_EQ(show("SetLocale(1033)"), "Long 1033");
    EXPECT_EQ(show("SetLocale(\"en-us\")"), "Long 1033");
    EXPECT_EQ(show("SetLocale(0)"), "Long 1033");
    EXPECT_EQ(show("SetLocale(12345)"), "Error 5");
    EXPECT_EQ(show("SetLocale(\"xx-yy\")"), "Error 5");
    // Its settings are the ones CStr and the format functions use.
    EXPECT_EQ(show("CStr(1.5) & \" \" & FormatNumber(1.5)"), "String 1.5 1.50");
}

}  // namespace
}  // namespace mcplot::testing
