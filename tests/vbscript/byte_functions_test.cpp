// The byte functions see a string as UTF-16, two bytes per character.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(ByteFunctions, LengthsAndSlices) {
    EXPECT_EQ(show("LenB(\"abc\")"), "Long 6");
    EXPECT_EQ(show("LenB(\"\")"), "Long 0");
    EXPECT_EQ(show("LenB(\"мир\")"), "Long 6");
    EXPECT_EQ(show("LenB(123)"), "Long 6");
    EXPECT_EQ(show("LenB(Null)"), "Null");
    EXPECT_EQ(show("LeftB(\"abc\", 4)"), "String ab");
    EXPECT_EQ(show("RightB(\"abc\", 2)"), "String c");
    EXPECT_EQ(show("RightB(\"abc\", 10)"), "String abc");
    EXPECT_EQ(show("MidB(\"abcd\", 3, 4)"), "String bc");
    EXPECT_EQ(show("MidB(\"abcd\", 5)"), "String cd");
    EXPECT_EQ(show("MidB(\"abcd\", 9)"), "String ");
    EXPECT_EQ(show("MidB(\"мир\", 3, 2)"), "String и");
    EXPECT_EQ(show("LeftB(\"a\", -1)"), "Error 5");
    EXPECT_EQ(show("MidB(\"a\", 0)"), "Error 5");
}

TEST(ByteFunctions, SingleBytesOfAString) {
    // Byte k of the text, the way scripts read binary data.
    EXPECT_EQ(show("AscB(MidB(\"A\", 1, 1))"), "Integer 65");
    EXPECT_EQ(show("AscB(MidB(\"A\", 2, 1))"), "Integer 0");
    EXPECT_EQ(show("AscB(MidB(\"Ж\", 1, 1))"), "Integer 22");  // U+0416
    EXPECT_EQ(show("AscB(MidB(\"Ж\", 2, 1))"), "Integer 4");
    EXPECT_EQ(show("AscB(\"Ж\")"), "Integer 22");
    EXPECT_EQ(show("AscB(ChrB(200))"), "Integer 200");
    EXPECT_EQ(show("ChrB(256)"), "Error 5");
}

TEST(ByteFunctions, InStrBCountsBytes) {
    EXPECT_EQ(show("InStrB(\"abc\", \"c\")"), "Long 5");
    EXPECT_EQ(show("InStrB(\"abc\", \"z\")"), "Long 0");
    EXPECT_EQ(show("InStrB(2, \"abab\", \"a\")"), "Long 5");
    EXPECT_EQ(show("InStrB(\"abc\", \"\")"), "Long 1");
    EXPECT_EQ(show("InStrB(1, \"ABC\", \"b\", 1)"), "Long 3");
    EXPECT_EQ(show("InStrB(\"мир\", \"р\")"), "Long 5");
    EXPECT_EQ(show("InStrB(Null, \"a\")"), "Null");
    EXPECT_EQ(show("InStrB(0, \"a\", \"a\")"), "Error 5");
    // A match may start at an odd byte: the low byte of "b" then the high byte of "a".
    EXPECT_EQ(show("InStrB(\"ab\", ChrW(&H6200))"), "Long 2");
}

TEST(ByteFunctions, StringsOfSingleBytes) {
    // ChrB and the B slices give single bytes; joined, they make characters.
    const struct {
        const char* expression;
        const char* shown;
    } cases[] = {
        {"LenB(ChrB(65))", "Long 1"},
        {"LenB(LeftB(\"abc\", 3))", "Long 3"},
        {"LenB(RightB(\"abc\", 3))", "Long 3"},
        {"LenB(MidB(\"abcd\", 2, 3))", "Long 3"},
        {"LenB(\"abc\" & ChrB(1))", "Long 7"},
        {"LenB(ChrB(65) & ChrB(66))", "Long 2"},
        {"ChrB(65) & ChrB(0) = \"A\"", "Boolean True"},
        {"AscW(ChrB(65) & ChrB(1))", "Integer 321"},
        {"LeftB(\"abc\", 3) & ChrB(0)", "String ab"},
        {"Len(ChrB(65))", "Long 0"},
        {"Asc(ChrB(65))", "Error 5"},
        {"AscB(ChrB(200))", "Integer 200"},
        {"AscB(RightB(\"ab\", 1))", "Integer 0"},
        {"InStrB(\"abc\", ChrB(98))", "Long 3"},
        {"InStrB(\"abc\", ChrB(0))", "Long 2"},
        {"MidB(ChrB(65) & ChrB(0) & ChrB(66) & ChrB(0), 3)", "String B"},
    };
    for (const auto& c : cases) EXPECT_EQ(show(c.expression), c.shown) << c.expression;
}

}  // namespace
}  // namespace mcplot::testing
