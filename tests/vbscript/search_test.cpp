// Substring search in InStr, InStrRev, Replace and Split: the same answers as
// ever, in time proportional to the text even when a naive scan is quadratic.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/vbscript/script_test_support.h"

namespace mcplot::testing {
namespace {

// Seconds taken by one call of f.
template <typename F>
double seconds(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST(Search, LongNeedleThatAlmostMatchesEverywhereIsFast) {
    std::string result;
    const double t =
        seconds([&] { result = show("InStr(String(1000000, \"a\"), String(500000, \"a\") & \"b\")"); });
    EXPECT_EQ(result, "Long 0");
    EXPECT_LT(t, 3.0) << "a quadratic scan takes many seconds here";

    const double back =
        seconds([&] { result = show("InStrRev(String(1000000, \"a\"), \"b\" & String(500000, \"a\"))"); });
    EXPECT_EQ(result, "Long 0");
    EXPECT_LT(back, 3.0);
}

TEST(Search, LongTextsGiveTheRightPositions) {
    // The answers are tested here, not the speed: time enough for the
    // sanitizer builds on a loaded machine.
    const std::chrono::seconds enough(60);
    EXPECT_EQ(show("InStr(String(2000000, \"a\") & \"b\", String(1000, \"a\") & \"b\")", enough),
              "Long 1999001");
    EXPECT_EQ(show("InStrRev(\"b\" & String(2000000, \"a\"), \"b\" & String(1000, \"a\"))", enough),
              "Long 1");
    EXPECT_EQ(show("InStr(1500000, Replace(String(3000000, \"a\"), \"aa\", \"ab\"), \"ba\")", enough),
              "Long 1500000");
    EXPECT_EQ(show("Len(Replace(String(3000000, \"a\"), String(1000, \"a\"), \"b\"))", enough), "Long 3000");
    EXPECT_EQ(show("UBound(Split(String(3000000, \"a\"), String(1000, \"a\")))", enough), "Long 3000");
}

TEST(Search, StartPositionsAndCompareModes) {
    EXPECT_EQ(show("InStr(3, \"abcabc\", \"abc\")"), "Long 4");
    EXPECT_EQ(show("InStr(5, \"abcabc\", \"abc\")"), "Long 0");
    EXPECT_EQ(show("InStr(7, \"abcabc\", \"\")"), "Long 0");
    EXPECT_EQ(show("InStr(1, \"xABCx\", \"bc\", vbTextCompare)"), "Long 3");
    EXPECT_EQ(show("InStrRev(\"abcabc\", \"abc\", 5)"), "Long 1");
    EXPECT_EQ(show("InStrRev(\"abcabc\", \"abc\", 6)"), "Long 4");
    EXPECT_EQ(show("InStrRev(\"abcabc\", \"\", 2)"), "Long 2");
    EXPECT_EQ(show("InStrRev(\"aXa\", \"x\", -1, 1)"), "Long 2");
    EXPECT_EQ(show("InStrRev(\"ab\", \"abc\")"), "Long 0");
    EXPECT_EQ(show("Replace(\"aaaa\", \"aa\", \"b\")"), "String bb");
    EXPECT_EQ(show("Replace(\"aAaA\", \"aa\", \"-\", 1, -1, 1)"), "String --");
    EXPECT_EQ(show("Join(Split(\"a--b----c\", \"--\"), \"|\")"), "String a|b||c");
    EXPECT_EQ(show("Join(Split(\"aXbxc\", \"x\", -1, 1), \"|\")"), "String a|b|c");
    EXPECT_EQ(show("Join(Split(\"a,b,c,d\", \",\", 2), \"|\")"), "String a|b,c,d");
}

TEST(Search, CyrillicCountsCharacters) {
    EXPECT_EQ(show("InStr(\"привет, мир\", \"мир\")"), "Long 9");
    EXPECT_EQ(show("InStr(4, \"мама мыла\", \"м\")"), "Long 6");
    EXPECT_EQ(show("InStrRev(\"мама мыла\", \"ма\")"), "Long 3");
    EXPECT_EQ(show("InStr(1, \"ПРИВЕТ\", \"вет\", 1)"), "Long 4");
    EXPECT_EQ(show("Replace(\"ЁЛКА ёлка\", \"ё\", \"е\", 1, -1, 1)"), "String еЛКА елка");
    EXPECT_EQ(show("UBound(Split(\"один два три\", \" \"))"), "Long 2");
    EXPECT_EQ(show("InStr(String(1000000, \"я\") & \"ж\", \"яж\")"), "Long 1000000");
}

TEST(Search, NoMatchInsideACharacter) {
    // The second byte of "ы" (D1 8B) is not a character of its own, so the
    // byte of ChrB(&H8B) sits nowhere inside it.
    EXPECT_EQ(show("InStr(\"ы\", Mid(\"ы\", 1, 1))"), "Long 1");
    EXPECT_EQ(show("InStr(\"ыы\", \"ы\")"), "Long 1");
    EXPECT_EQ(show("InStrRev(\"ыaы\", \"ы\")"), "Long 3");
}

}  // namespace
}  // namespace mcplot::testing
