// Every entry at the extreme, zero and ±0.01 limits, every scale and 0, 1 or
// 32000 throws, each with a Monte Carlo run: the program never dies and never
// shows a NaN or an infinity. One driver per entry, so ctest can spread them.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

class Sweep : public ::testing::TestWithParam<int> {};

bool badNumber(const QString& text) {
    static const QRegularExpression bad(QStringLiteral("nan|inf"), QRegularExpression::CaseInsensitiveOption);
    return text.contains(bad);
}

TEST_P(Sweep, NoCrashAndNoNonFiniteTextAnywhere) {
    const int entry = GetParam();
    struct Limit {
        int bar, value;
    };
    std::vector<Limit> limits;
    for (int v : {32000, -32000, 0, 1, -1}) limits.push_back({1, v});
    for (int v : {32767, -32767, 0, 1, -1}) limits.push_back({2, v});

    QStringList commands = {"seed 1", "start"};
    int runs = 0;
    for (const Limit& l : limits) {
        for (int scale = 1; scale <= 5; ++scale) {
            for (int throws : {0, 1, 32000}) {
                commands << QStringLiteral("select %1").arg(entry == 0 ? 1 : 0)
                         << QStringLiteral("select %1").arg(entry)
                         << QStringLiteral("scroll %1 %2").arg(l.bar).arg(l.value)
                         << QStringLiteral("scroll 4 %1").arg(scale)
                         << QStringLiteral("scroll 3 %1").arg(throws) << "click CmdOK"
                         << "dump";
                ++runs;
            }
        }
    }
    DriverSession s;
    const auto dumps = s.run(commands, 600000);
    ASSERT_EQ(int(dumps.size()), runs);
    for (size_t k = 0; k < dumps.size(); ++k) {
        const QJsonObject& d = dumps[k];
        ASSERT_FALSE(d.contains("error")) << k << " " << d["error"].toString().toStdString();
        ASSERT_TRUE(d["alive"].toBool());
        for (const char* label : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"})
            EXPECT_FALSE(badNumber(caption(d, label)))
                << k << " " << label << ": " << caption(d, label).toStdString();
        for (const QJsonValue& t : d["canvas"]["texts"].toArray())
            EXPECT_FALSE(badNumber(t.toArray()[2].toString()))
                << k << ": " << t.toArray()[2].toString().toStdString();
        const int thrown = d["canvas"]["blue"].toInt() + d["canvas"]["red"].toInt();
        EXPECT_LE(thrown, stateValue(d, "nbros")) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryEntry, Sweep, ::testing::Range(0, 10));

}  // namespace
}  // namespace mcplot::testing
