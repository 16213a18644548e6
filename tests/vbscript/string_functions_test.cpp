// String functions, one character per byte.
#include <gtest/gtest.h>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

TEST(StringFunctions, LengthAndSlices) {
    EXPECT_EQ(show("Len(\"hello\")"), "Long 5");
    EXPECT_EQ(show("Len(123)"), "Long 3");
    EXPECT_EQ(show("Len(Null)"), "Null");
    EXPECT_EQ(show("Left(\"hello\", 2)"), "String he");
    EXPECT_EQ(show("Left(\"hi\", 10)"), "String hi");
    EXPECT_EQ(show("Right(\"hello\", 3)"), "String llo");
    EXPECT_EQ(show("Mid(\"hello\", 2, 3)"), "String ell");
    EXPECT_EQ(show("Mid(\"hello\", 4)"), "String lo");
    EXPECT_EQ(show("Mid(\"hello\", 9)"), "String ");
}

TEST(StringFunctions, SliceArgumentErrors) {
    EXPECT_EQ(show("Left(\"a\", -1)"), "Error 5");
    EXPECT_EQ(show("Mid(\"a\", 0)"), "Error 5");
    EXPECT_EQ(show("Mid(\"a\", 1, -1)"), "Error 5");
    EXPECT_EQ(show("Space(-1)"), "Error 5");
    EXPECT_EQ(show("Chr(256)"), "Error 5");
    EXPECT_EQ(show("Asc(\"\")"), "Error 5");
}

TEST(StringFunctions, Search) {
    EXPECT_EQ(show("InStr(\"hello\", \"l\")"), "Long 3");
    EXPECT_EQ(show("InStr(4, \"hello\", \"l\")"), "Long 4");
    EXPECT_EQ(show("InStr(\"hello\", \"z\")"), "Long 0");
    EXPECT_EQ(show("InStr(1, \"HELLO\", \"l\", 1)"), "Long 3");
    EXPECT_EQ(show("InStr(1, \"HELLO\", \"l\", vbBinaryCompare)"), "Long 0");
    EXPECT_EQ(show("InStr(\"abc\", \"\")"), "Long 1");
    EXPECT_EQ(show("InStr(0, \"abc\", \"a\")"), "Error 5");
    EXPECT_EQ(show("InStrRev(\"hello\", \"l\")"), "Long 4");
    EXPECT_EQ(show("InStrRev(\"hello\", \"l\", 3)"), "Long 3");
    EXPECT_EQ(show("InStr(Null, \"a\")"), "Null");
}

TEST(StringFunctions, CaseTrimAndReverse) {
    EXPECT_EQ(show("UCase(\"MiXed 1\")"), "String MIXED 1");
    EXPECT_EQ(show("LCase(\"MiXed\")"), "String mixed");
    EXPECT_EQ(show("\"[\" & Trim(\"  a b  \") & \"]\""), "String [a b]");
    EXPECT_EQ(show("\"[\" & LTrim(\"  a \") & \"]\""), "String [a ]");
    EXPECT_EQ(show("\"[\" & RTrim(\" a  \") & \"]\""), "String [ a]");
    EXPECT_EQ(show("StrReverse(\"abc\")"), "String cba");
}

TEST(StringFunctions, Replace) {
    EXPECT_EQ(show("Replace(\"aXbXc\", \"X\", \"--\")"), "String a--b--c");
    EXPECT_EQ(show("Replace(\"aXbXc\", \"x\", \"-\", 1, -1, 1)"), "String a-b-c");
    EXPECT_EQ(show("Replace(\"aXbXc\", \"X\", \"-\", 1, 1)"), "String a-bXc");
    EXPECT_EQ(show("Replace(\"aXbXc\", \"X\", \"-\", 3)"), "String b-c");  // starts at start
    EXPECT_EQ(show("Replace(\"abc\", \"\", \"-\")"), "String abc");
}

TEST(StringFunctions, BuildingAndComparing) {
    EXPECT_EQ(show("Space(3) & \"|\""), "String    |");
    EXPECT_EQ(show("String(3, \"xy\")"), "String xxx");
    EXPECT_EQ(show("String(2, 65)"), "String AA");
    EXPECT_EQ(show("StrComp(\"a\", \"b\")"), "Integer -1");
    EXPECT_EQ(show("StrComp(\"A\", \"a\", 1)"), "Integer 0");
    EXPECT_EQ(show("StrComp(\"b\", \"a\")"), "Integer 1");
}

TEST(StringFunctions, CharacterCodes) {
    EXPECT_EQ(show("Asc(\"A\")"), "Integer 65");
    EXPECT_EQ(show("Chr(66)"), "String B");
    EXPECT_EQ(show("AscW(ChrW(1046))"), "Integer 1046");
    EXPECT_EQ(show("Len(ChrW(1046))"), "Long 2");  // UTF-8 bytes
    EXPECT_EQ(show("Len(vbCrLf)"), "Long 2");
    EXPECT_EQ(show("Asc(vbTab)"), "Integer 9");
}

TEST(StringFunctions, SplitAndJoin) {
    EXPECT_EQ(show("Join(Split(\"a,b,c\", \",\"), \"+\")"), "String a+b+c");
    EXPECT_EQ(show("UBound(Split(\"\"))"), "Long -1");
    EXPECT_EQ(show("UBound(Split(\"a b c\", \" \", 2))"), "Long 1");
}

}  // namespace
}  // namespace mcplot::testing
