// The account of a failing user expression: distinct points, the first
// failure, and the line the student reads.
#include <gtest/gtest.h>

#include "core/expression_failures.h"

namespace mcplot {
namespace {

TEST(ExpressionFailures, CountsDistinctPointsAndKeepsTheFirstFailure) {
    ExpressionFailures f;
    EXPECT_FALSE(f.any());
    EXPECT_EQ(f.summary(), "");
    ScriptStatus divide = ScriptStatus::failure(11, "деление на ноль");
    divide.line = 2;
    divide.column = 8;  // the "/" of "Res.p=1/x"
    const std::string kod = "x=0\r\nRes.p=1/x";
    f.recordFailure(0.0, divide, kod, "1/x");
    f.recordSuccess(0.5);
    f.recordFailure(-0.0, divide, kod, "1/x");  // the same point again
    f.recordSuccess(0.5);
    f.recordFailure(2.0, ScriptStatus::failure(13, "несовпадение типов"), "x=2\r\nRes.p=1/x", "1/x");
    EXPECT_TRUE(f.any());
    EXPECT_EQ(f.points(), 3);
    EXPECT_EQ(f.failedPoints(), 2);
    EXPECT_EQ(
        f.summary(),
        "f(x) не вычисляется в 2 точках из 3. Ошибка 11: деление на ноль (позиция 2, x = 0). Деление на "
        "ноль при x = 0: знаменатель здесь равен 0; сдвиньте предел или обойдите эту точку.");
    f.clear();
    EXPECT_FALSE(f.any());
    EXPECT_EQ(f.points(), 0);
}

TEST(ExpressionFailures, TheCountAgreesWithItsNoun) {
    const std::pair<int, const char*> cases[] = {{1, "точке"},    {2, "точках"}, {5, "точках"},
                                                 {11, "точках"},  {21, "точке"}, {101, "точке"},
                                                 {111, "точках"}, {121, "точке"}};
    for (const auto& [n, word] : cases) {
        ExpressionFailures f;
        for (int k = 0; k < n; ++k)
            f.recordFailure(k, ScriptStatus::failure(11, "деление на ноль"), "x=0\r\nRes.p=1/x", "1/x");
        const std::string expected =
            "f(x) не вычисляется в " + std::to_string(n) + " " + word + " из " + std::to_string(n) + ". ";
        EXPECT_EQ(f.summary().substr(0, expected.size()), expected) << n;
    }
}

TEST(ExpressionFailures, MillionsOfPointsWithoutAClearStayCountedInBoundedMemory) {
    ExpressionFailures f;
    const ScriptStatus fail = ScriptStatus::failure(11, "деление на ноль");
    const int n = 1000000;
    for (int k = 0; k < n; ++k) {
        if (k % 4 == 0)
            f.recordFailure(k, fail, "x=0\r\nRes.p=1/x", "1/x");
        else
            f.recordSuccess(k);
        if (k < 1000) f.recordSuccess(k);  // repeats early on are still one point each
    }
    EXPECT_EQ(f.points(), n);
    EXPECT_EQ(f.failedPoints(), n / 4);
    EXPECT_EQ(f.summary().find("f(x) не вычисляется в 250000 точках из 1000000. "), 0u) << f.summary();
}

}  // namespace
}  // namespace mcplot
