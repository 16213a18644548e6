// The substring search under the string functions, through its own interface:
// answers at any byte or on character boundaries, and the pacer's calls.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "vbscript/text.h"

namespace mcplot::vbs {
namespace {

TEST(TextSearch, FindsFirstAndLastOccurrences) {
    EXPECT_EQ(findText("abcabc", "bc", 0), 1u);
    EXPECT_EQ(findText("abcabc", "bc", 2), 4u);
    EXPECT_EQ(findText("abcabc", "x", 0), std::string_view::npos);
    EXPECT_EQ(findText("abc", "", 3), 3u);
    EXPECT_EQ(findText("abc", "", 4), std::string_view::npos);
    EXPECT_EQ(rfindText("abcabc", "abc", 5), 3u);
    EXPECT_EQ(rfindText("abcabc", "abc", 2), 0u);
    EXPECT_EQ(rfindText("ab", "abc", 5), std::string_view::npos);
}

TEST(TextSearch, CharacterBoundariesAndBytes) {
    const std::string hay = "\xD0\xB6\xD0\xB8";  // "жи"
    const std::string tail = "\xB6";             // the last byte of "ж"
    EXPECT_EQ(findText(hay, tail, 0), std::string_view::npos);
    EXPECT_EQ(rfindText(hay, tail, hay.size()), std::string_view::npos);
    EXPECT_EQ(findBytes(hay, tail, 0), 1u);
    EXPECT_EQ(findText(hay, "\xD0\xB8", 0), 2u);
}

TEST(TextSearch, PacerRunsBetweenSlicesAndMayStopTheSearch) {
    const std::string hay(5u << 20, 'a');
    int calls = 0;
    EXPECT_EQ(findText(hay, "ab", 0, [&] { ++calls; }), std::string_view::npos);
    EXPECT_GE(calls, 4);
    calls = 0;
    EXPECT_EQ(rfindText(hay, "ba", hay.size(), [&] { ++calls; }), std::string_view::npos);
    EXPECT_GE(calls, 4);
    EXPECT_THROW(findText(hay, "ab", 0, [] { throw std::runtime_error("time is up"); }), std::runtime_error);
    // A match inside the first slice needs no pacer at all.
    calls = 0;
    EXPECT_EQ(findText(hay + "b", "a", 0, [&] { ++calls; }), 0u);
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace mcplot::vbs
