// Filter, RGB, DatePart, Escape and Unescape, and the engine's name and version.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(LibraryFunctions, EngineNameAndVersion) {
    expectShows({
        {"ScriptEngine", "String VBScript"},
        {"ScriptEngine()", "String VBScript"},
        {"ScriptEngineMajorVersion()", "Long 5"},
        {"ScriptEngineMinorVersion", "Long 8"},
        {"ScriptEngineBuildVersion > 0", "Boolean True"},
        {"ScriptEngineMajorVersion & \".\" & ScriptEngineMinorVersion", "String 5.8"},
    });
}

TEST(LibraryFunctions, Filter) {
    const std::string a = "Array(\"Monday\", \"Tuesday\", \"sunday\", \"Friday\")";
    expectShows({
        {"Join(Filter(" + a + ", \"day\"), \",\")", "String Monday,Tuesday,sunday,Friday"},
        {"Join(Filter(" + a + ", \"Sun\"), \",\")", "String "},
        {"Join(Filter(" + a + ", \"Sun\", True, vbTextCompare), \",\")", "String sunday"},
        {"Join(Filter(" + a + ", \"u\", False), \",\")", "String Monday,Friday"},
        {"UBound(Filter(" + a + ", \"x\"))", "Long -1"},
        {"Join(Filter(Array(1, 12, 3), 1), \",\")", "String 1,12"},
        {"Join(Filter(Array(\"Пётр\", \"ПЁТР\", \"Иван\"), \"пёт\", True, 1), \",\")", "String Пётр,ПЁТР"},
        {"Filter(\"abc\", \"a\")", "Error 13"},
        {"Filter(Null, \"a\")", "Error 94"},
    });
}

TEST(LibraryFunctions, RGB) {
    expectShows({
        {"RGB(255, 0, 0)", "Long 255"},
        {"RGB(0, 0, 255)", "Long 16711680"},
        {"RGB(1, 2, 3)", "Long 197121"},
        {"RGB(300, 0, 0)", "Long 255"},
        {"RGB(0, 0, 255) = vbBlue", "Boolean True"},
        {"RGB(-1, 0, 0)", "Error 5"},
        {"RGB(Null, 0, 0)", "Error 94"},
    });
}

TEST(LibraryFunctions, DatePart) {
    const std::string d = "#5/31/2019 13:45:10#";  // a Friday
    expectShows({
        {"DatePart(\"yyyy\", " + d + ")", "Integer 2019"},
        {"DatePart(\"q\", " + d + ")", "Integer 2"},
        {"DatePart(\"m\", " + d + ")", "Integer 5"},
        {"DatePart(\"y\", " + d + ")", "Integer 151"},
        {"DatePart(\"d\", " + d + ")", "Integer 31"},
        {"DatePart(\"w\", " + d + ")", "Integer 6"},
        {"DatePart(\"w\", " + d + ", vbMonday)", "Integer 5"},
        {"DatePart(\"h\", " + d + ")", "Integer 13"},
        {"DatePart(\"n\", " + d + ")", "Integer 45"},
        {"DatePart(\"s\", " + d + ")", "Integer 10"},
        {"DatePart(\"ww\", " + d + ")", "Integer 22"},
        {"DatePart(\"d\", \"2/29/2000\")", "Integer 29"},
        {"DatePart(\"d\", Null)", "Null"},
        {"DatePart(\"x\", " + d + ")", "Error 5"},
    });
}

TEST(LibraryFunctions, DatePartWeekRules) {
    // 1 January 2021 was a Friday.
    expectShows({
        {"DatePart(\"ww\", #1/1/2021#)", "Integer 1"},
        {"DatePart(\"ww\", #1/3/2021#)", "Integer 2"},
        {"DatePart(\"ww\", #1/4/2021#, vbMonday, vbFirstFourDays)", "Integer 1"},
        {"DatePart(\"ww\", #1/10/2021#, vbMonday, vbFirstFourDays)", "Integer 1"},
        {"DatePart(\"ww\", #1/11/2021#, vbMonday, vbFirstFourDays)", "Integer 2"},
        {"DatePart(\"ww\", #1/1/2021#, vbMonday, vbFirstFourDays)", "Integer 53"},
        {"DatePart(\"ww\", #1/3/2021#, vbSunday, vbFirstFullWeek)", "Integer 1"},
        {"DatePart(\"ww\", #12/31/2021#)", "Integer 53"},
        {"DatePart(\"ww\", #1/1/2021#, 1, 4)", "Error 5"},
    });
}

TEST(LibraryFunctions, EscapeAndUnescape) {
    expectShows({
        {"Escape(\"a b&c\")", "String a%20b%26c"},
        {"Escape(\"A-z_0.9/@*+\")", "String A-z_0.9/@*+"},
        {"Escape(\"é\")", "String %E9"},
        {"Escape(\"Жук\")", "String %u0416%u0443%u043A"},
        {"Escape(\"\")", "String "},
        {"Escape(Null)", "Null"},
        {"Unescape(\"a%20b%26c\")", "String a b&c"},
        {"Unescape(\"%u0416%u0443%u043a\")", "String Жук"},
        {"Unescape(\"100% %zz %u12\")", "String 100% %zz %u12"},
        {"Unescape(Escape(\"x = 1/3 + \" & ChrW(8364)))", "String x = 1/3 + €"},
    });
}

TEST(LibraryFunctions, TheScriptLocale) {
    expectShows({
        {"GetLocale()", "Long 1033"},
        {"SetLocale(1033)", "Long 1033"},
        {"SetLocale(\"en-us\")", "Long 1033"},
        {"SetLocale(0)", "Long 1033"},
        {"SetLocale(12345)", "Error 5"},
        {"SetLocale(\"xx-yy\")", "Error 5"},
        // Its settings are the ones CStr and the format functions use.
        {"CStr(1.5) & \" \" & FormatNumber(1.5)", "String 1.5 1.50"},
    });
}

}  // namespace
}  // namespace mcplot::testing
