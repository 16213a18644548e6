// String functions. Positions and lengths count characters, not UTF-8 bytes.
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
    EXPECT_EQ(show("Len(ChrW(1046))"), "Long 1");
    EXPECT_EQ(show("Len(vbCrLf)"), "Long 2");
    EXPECT_EQ(show("Asc(vbTab)"), "Integer 9");
}

TEST(StringFunctions, SplitAndJoin) {
    EXPECT_EQ(show("Join(Split(\"a,b,c\", \",\"), \"+\")"), "String a+b+c");
    EXPECT_EQ(show("UBound(Split(\"\"))"), "Long -1");
    EXPECT_EQ(show("UBound(Split(\"a b c\", \" \", 2))"), "Long 1");
}

// ---- Cyrillic and other text beyond ASCII ----

TEST(CyrillicStrings, LengthAndSlices) {
    EXPECT_EQ(show("Len(\"привет\")"), "Long 6");
    EXPECT_EQ(show("Len(\"ёлка и Ёж\")"), "Long 9");
    EXPECT_EQ(show("Left(\"привет\", 2)"), "String пр");
    EXPECT_EQ(show("Left(\"привет\", 99)"), "String привет");
    EXPECT_EQ(show("Right(\"привет\", 3)"), "String вет");
    EXPECT_EQ(show("Right(\"привет\", 6)"), "String привет");
    EXPECT_EQ(show("Mid(\"привет\", 2, 3)"), "String рив");
    EXPECT_EQ(show("Mid(\"привет\", 5)"), "String ет");
    EXPECT_EQ(show("Mid(\"привет\", 7)"), "String ");
    EXPECT_EQ(show("Mid(\"aбc\", 2, 1) & Mid(\"aбc\", 3, 1)"), "String бc");
}

TEST(CyrillicStrings, Search) {
    EXPECT_EQ(show("InStr(\"привет мир\", \"мир\")"), "Long 8");
    EXPECT_EQ(show("InStr(3, \"абвабв\", \"б\")"), "Long 5");
    EXPECT_EQ(show("InStr(7, \"абвабв\", \"б\")"), "Long 0");
    EXPECT_EQ(show("InStr(1, \"ПРИВЕТ\", \"вет\", vbTextCompare)"), "Long 4");
    EXPECT_EQ(show("InStr(1, \"ПРИВЕТ\", \"вет\", vbBinaryCompare)"), "Long 0");
    EXPECT_EQ(show("InStr(1, \"ЁЖИК\", \"ёж\", 1)"), "Long 1");
    EXPECT_EQ(show("InStrRev(\"абвабв\", \"б\")"), "Long 5");
    EXPECT_EQ(show("InStrRev(\"абвабв\", \"б\", 4)"), "Long 2");
    EXPECT_EQ(show("InStrRev(\"абвабв\", \"бв\", 5)"), "Long 2");
    EXPECT_EQ(show("InStrRev(\"АБВ\", \"в\", -1, 1)"), "Long 3");
}

TEST(CyrillicStrings, CaseAndReverse) {
    EXPECT_EQ(show("UCase(\"привет, ёжик!\")"), "String ПРИВЕТ, ЁЖИК!");
    EXPECT_EQ(show("LCase(\"ПРИВЕТ, ЁЖИК!\")"), "String привет, ёжик!");
    EXPECT_EQ(show("UCase(\"straße àéÿ\")"), "String STRAßE ÀÉŸ");
    EXPECT_EQ(show("LCase(\"ÀÉ×Ÿ\")"), "String àé×ÿ");
    EXPECT_EQ(show("UCase(\"άλφα ς\")"), "String ΆΛΦΑ Σ");
    EXPECT_EQ(show("LCase(\"ΣΟΦΊΑ\")"), "String σοφία");
    EXPECT_EQ(show("StrReverse(\"привет\")"), "String тевирп");
    EXPECT_EQ(show("StrReverse(\"aб№\")"), "String №бa");
}

TEST(CyrillicStrings, Comparing) {
    EXPECT_EQ(show("StrComp(\"Привет\", \"пРИВЕТ\", vbTextCompare)"), "Integer 0");
    EXPECT_EQ(show("StrComp(\"Привет\", \"пРИВЕТ\")"), "Integer -1");
    EXPECT_EQ(show("StrComp(\"ёж\", \"ЁЖ\", 1)"), "Integer 0");
    EXPECT_EQ(show("StrComp(\"а\", \"Я\", 1)"), "Integer -1");
    EXPECT_EQ(show("StrComp(\"абв\", \"аб\", 1)"), "Integer 1");
    EXPECT_EQ(show("StrComp(\"z\", \"а\")"), "Integer -1");
    EXPECT_EQ(show("\"я\" > \"а\""), "Boolean True");
    EXPECT_EQ(show("\"Я\" < \"а\""), "Boolean True");  // binary: capitals first
    EXPECT_EQ(show("\"мир\" = \"МИР\""), "Boolean False");
    // UTF-16 order puts U+E000..U+FFFF after characters beyond U+FFFF.
    EXPECT_EQ(show("StrComp(ChrW(65000), \"\xF0\x9F\x98\x80\")"), "Integer 1");
}

TEST(CyrillicStrings, ReplaceSplitAndBuilding) {
    EXPECT_EQ(show("Replace(\"абвабв\", \"б\", \"Б\", 3)"), "String ваБв");
    EXPECT_EQ(show("Replace(\"абвабв\", \"Б\", \"-\", 1, 1, vbTextCompare)"), "String а-вабв");
    EXPECT_EQ(show("Replace(\"абв\", \"б\", \"\", 4)"), "String ");
    EXPECT_EQ(show("Join(Split(\"аXбxв\", \"x\", -1, 1), \"+\")"), "String а+б+в");
    EXPECT_EQ(show("String(3, \"жук\")"), "String жжж");
    EXPECT_EQ(show("Len(String(4, \"ж\"))"), "Long 4");
    EXPECT_EQ(show("String(2, 239)"), "String пп");
    EXPECT_EQ(show("String(2, 239 + 256)"), "String пп");
}

TEST(CyrillicStrings, AnsiCodesAreWindows1251) {
    EXPECT_EQ(show("Asc(\"п\")"), "Integer 239");
    EXPECT_EQ(show("Asc(\"Ёлка\")"), "Integer 168");
    EXPECT_EQ(show("Asc(\"А\")"), "Integer 192");
    EXPECT_EQ(show("Asc(\"я\")"), "Integer 255");
    EXPECT_EQ(show("Asc(\"€\")"), "Integer 136");
    EXPECT_EQ(show("Asc(\"ä\")"), "Integer 63");  // not in the code page
    EXPECT_EQ(show("Chr(239)"), "String п");
    EXPECT_EQ(show("Chr(185)"), "String №");
    EXPECT_EQ(show("Chr(168) & Chr(184)"), "String Ёё");
    EXPECT_EQ(show("Chr(-1)"), "Error 5");
    EXPECT_EQ(show("Chr(256)"), "Error 5");
    // Every code comes back from its character.
    EXPECT_EQ(runP("ok = 1 : For i = 0 To 255 : If Asc(Chr(i)) <> i Then ok = 0\r\nNext : Res.p = ok"), 1.0);
}

TEST(CyrillicStrings, UnicodeCodes) {
    EXPECT_EQ(show("AscW(\"п\")"), "Integer 1087");
    EXPECT_EQ(show("AscW(\"Ё\")"), "Integer 1025");
    EXPECT_EQ(show("ChrW(1087)"), "String п");
    EXPECT_EQ(show("ChrW(8470)"), "String №");
    EXPECT_EQ(show("AscW(ChrW(-1))"), "Integer -1");
    EXPECT_EQ(show("ChrW(-1) = ChrW(65535)"), "Boolean True");
    EXPECT_EQ(show("ChrW(-32769)"), "Error 5");
    EXPECT_EQ(show("ChrW(65536)"), "Error 5");
    EXPECT_EQ(show("AscW(\"\")"), "Error 5");
    // Beyond U+FFFF: one character, whose first UTF-16 unit AscW gives.
    EXPECT_EQ(show("Len(\"a\xF0\x9F\x98\x80"
                   "b\")"),
              "Long 3");
    EXPECT_EQ(show("AscW(\"\xF0\x9F\x98\x80\")"), "Integer -10179");
}

TEST(CyrillicStrings, MalformedBytesCountOneEach) {
    EXPECT_EQ(show("Len(\"a\xFF\xD0"
                   "b\")"),
              "Long 4");
    EXPECT_EQ(show("InStr(\"\xD0\xBF\xBF\", Mid(\"\xD0\xBF\xBF\", 2))"), "Long 2");
    EXPECT_EQ(show("Len(Mid(\"\xD0\xBF\xBF\", 2))"), "Long 1");
    EXPECT_EQ(show("InStr(\"п\", Mid(\"\xD0\xBF\xBF\", 2))"), "Long 0");  // no match inside a character
    EXPECT_EQ(show("AscW(\"\xFF\")"), "Integer -3");
}

}  // namespace
}  // namespace mcplot::testing
