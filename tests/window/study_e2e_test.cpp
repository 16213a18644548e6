// The study window "Точность метода Монте-Карло" end to end: opened from the
// menu for the main window's function, run to its end with a fixed seed, its
// figures in the dump, out of date after a change, and a failing expression.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>

#include <cmath>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

QJsonObject study(const QJsonObject& dump) {
    return dump["study"].toObject();
}

std::vector<double> numbersOf(const QJsonValue& v) {
    std::vector<double> out;
    for (const QJsonValue& x : v.toArray()) out.push_back(x.toDouble());
    return out;
}

TEST(Study, ParabolaRunGivesTheFiguresOfTheMainWindowsFunction) {
    DriverSession s;
    const auto d = s.run({"start", "dump", "select 1", "click CmdOK", "study open", "dump", "study seed 42",
                          "study nmax 100000", "study runs 100", "study run", "dump"});
    ASSERT_EQ(d.size(), 3u);
    EXPECT_FALSE(study(d[0])["open"].toBool());
    EXPECT_TRUE(study(d[1])["open"].toBool());
    EXPECT_TRUE(study(d[1])["reference"].isNull());
    EXPECT_EQ(d[1]["windows"].toArray(), QJsonArray({"Form1"}));  // the list of main windows stays as it was

    const QJsonObject st = study(d[2]);
    EXPECT_TRUE(st["finished"].toBool());
    EXPECT_FALSE(st["failed"].toBool());
    EXPECT_FALSE(st["outOfDate"].toBool());
    EXPECT_NEAR(st["reference"].toDouble(), 9, 1e-12);
    EXPECT_LT(st["referenceError"].toDouble(), 1e-9);
    EXPECT_TRUE(st["referenceReliable"].toBool());

    const QJsonObject sum = st["summary"].toObject();
    const QJsonObject state = d[2]["state"].toObject();
    EXPECT_EQ(sum["throws"].toInt(), state["nbros"].toInt());
    EXPECT_DOUBLE_EQ(sum["monteCarlo"].toDouble(), state["ikarlo"].toDouble());
    EXPECT_DOUBLE_EQ(sum["trapezoid"].toDouble(), state["itrap"].toDouble());
    EXPECT_NEAR(sum["monteCarloError"].toDouble(), std::fabs(state["ikarlo"].toDouble() - 9), 1e-9);
    EXPECT_NEAR(sum["area"].toDouble(), 27, 1e-9);  // [0, 3] × [0, 9]
    EXPECT_NEAR(sum["blueShare"].toDouble(), 1.0 / 3, 1e-9);
    EXPECT_NEAR(sum["sigma"].toDouble(), 27 * std::sqrt(2.0 / 9 / 200), 1e-9);
    // The interval is the run's own: σ̂ from its share of blue throws.
    EXPECT_TRUE(sum["mainCurrent"].toBool());
    const double p = sum["observedShare"].toDouble();
    EXPECT_NEAR(p * 27, state["ikarlo"].toDouble(), 1e-4);  // the share behind the main window's value
    EXPECT_NEAR(sum["intervalHigh"].toDouble() - sum["intervalLow"].toDouble(),
                2 * 1.959963984540054 * 27 * std::sqrt(p * (1 - p) / 200), 1e-9);
    EXPECT_EQ(st["referenceKind"].toString(), "reliable");
    EXPECT_NE(sum["sigmaFormula"].toString().indexOf("p(1 − p)"), -1);
    const auto minimum = numbersOf(st["minimumSize"]);
    ASSERT_EQ(minimum.size(), 2u);
    EXPECT_LE(minimum[0], 1000);
    EXPECT_LE(minimum[1], 680);

    const QJsonObject c = st["convergence"].toObject();
    const auto n = numbersOf(c["n"]);
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n.front(), 10);
    EXPECT_EQ(n.back(), 100000);
    EXPECT_EQ(numbersOf(c["hitOrMiss"]).size(), n.size());
    EXPECT_EQ(numbersOf(c["meanValue"]).size(), n.size());
    const auto tn = numbersOf(c["trapezoidN"]), te = numbersOf(c["trapezoidError"]);
    ASSERT_EQ(tn.size(), te.size());
    EXPECT_EQ(tn.back(), 100000);  // up to 10⁵ intervals, or N_max when it is smaller
    for (size_t k = 0; k < tn.size(); ++k)
        if (tn[k] == 100) {
            EXPECT_NEAR(te[k], 27.0 / 60000, 1e-12);
        }

    const QJsonObject h = st["histogram"].toObject();
    const auto counts = numbersOf(h["counts"]);
    EXPECT_EQ(numbersOf(h["edges"]).size(), counts.size() + 1);
    EXPECT_NEAR(h["center"].toDouble(), 9, 1e-12);
    EXPECT_EQ(numbersOf(c["rmsHitOrMiss"]).size(), n.size());
    EXPECT_NEAR(c["trapezoidSlope"].toDouble(), -2, 0.05);
    double total = 0;
    for (double k : counts) total += k;
    EXPECT_EQ(total, 100);
    EXPECT_GE(st["coverage"].toDouble(), 0.8);
    EXPECT_LE(st["coverage"].toDouble(), 1.0);
}

TEST(Study, SameSeedSameFiguresAndOutOfDateAfterAChange) {
    DriverSession s;
    const auto d =
        s.run({"start", "menu mnuStudyAccuracy", "study seed 7", "study nmax 1000", "study runs 10",
               "study run", "dump", "study run", "dump", "select 4", "dump", "study run", "dump"});
    ASSERT_EQ(d.size(), 4u);
    const QJsonObject a = study(d[0]), b = study(d[1]);
    EXPECT_EQ(a["convergence"], b["convergence"]);
    EXPECT_EQ(a["histogram"], b["histogram"]);
    EXPECT_EQ(a["seed"].toInt(), 7);
    const auto tn = numbersOf(a["convergence"].toObject()["trapezoidN"]);
    ASSERT_FALSE(tn.empty());
    EXPECT_EQ(tn.back(), 1000);                          // the trapezoid curve stops at N_max
    EXPECT_NEAR(a["reference"].toDouble(), 4.5, 1e-12);  // "линейная" on [0, 3]
    // No Monte Carlo run in the main window yet: nothing to compare.
    EXPECT_EQ(a["summary"].toObject()["monteCarlo"].toString(), "NaN");

    EXPECT_TRUE(study(d[2])["outOfDate"].toBool());
    EXPECT_NE(study(d[2])["status"].toString().indexOf("устарели"), -1);
    const QJsonObject gauss = study(d[3]);
    EXPECT_FALSE(gauss["outOfDate"].toBool());
    EXPECT_NEAR(gauss["reference"].toDouble(), std::sqrt(M_PI) / 2 * std::erf(3.0), 1e-12);
}

TEST(Study, MainWindowValuesOfAnotherFunctionLimitsOrNAreNotCompared) {
    const struct {
        const char* change;
        const char* said;
    } cases[] = {
        {"select 5", "другой функции"},
        {"scroll 2 500", "других пределов"},
        {"scroll 3 1000", "числа бросков N"},
        {"text 1 x*x\nclick Command1", "другой функции"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        DriverSession s;
        const QJsonObject st =
            study(s.runOne({"start", "select 9", "click CmdOK", c.change, "study open", "study seed 3",
                            "study nmax 1000", "study runs 10", "study run", "dump"}));
        const QJsonObject sum = st["summary"].toObject();
        EXPECT_FALSE(sum["mainCurrent"].toBool());
        EXPECT_NE(sum["mainStaleReason"].toString().indexOf(c.said), -1)
            << sum["mainStaleReason"].toString().toStdString();
        for (const char* field :
             {"monteCarlo", "monteCarloError", "intervalLow", "observedShare", "trapezoid"})
            EXPECT_EQ(sum[field].toString(), "NaN") << field;
    }
}

TEST(Study, UserExpressionStudiedAndItsFailureExplained) {
    DriverSession s;
    const auto d = s.run({"start", "select 9", "click Command1", "study open", "study seed 1",
                          "study nmax 1000", "study runs 10", "study run", "dump", "text 1 sqr(x-5)",
                          "click Command1", "study run", "dump"});
    ASSERT_EQ(d.size(), 2u);
    // The sample expression, a thrown stone's path: a polynomial in x.
    const double c = 30 * 3.14 / 180, b = double(14.2f);
    const double exact =
        5 * b + std::tan(c) * b * b / 2 - 9.8 * b * b * b / 3 / 2 / 100 / std::pow(std::cos(c), 2);
    const QJsonObject good = study(d[0]);
    EXPECT_TRUE(good["finished"].toBool());
    EXPECT_NEAR(good["reference"].toDouble(), exact, 1e-9 * std::fabs(exact));

    const QJsonObject bad = study(d[1]);
    EXPECT_TRUE(bad["failed"].toBool());
    EXPECT_FALSE(bad["finished"].toBool());
    EXPECT_NE(bad["failure"].toString().indexOf("x ="), -1) << bad["failure"].toString().toStdString();
    EXPECT_TRUE(bad["reference"].isNull());
    EXPECT_TRUE(bad["convergence"].toObject()["n"].toArray().isEmpty());
    EXPECT_TRUE(bad["histogram"].toObject()["counts"].toArray().isEmpty());
}

TEST(Study, ChartsSaveAsPngAndTheWindowGoesWithTheMainWindow) {
    DriverSession s;
    const QString conv = s.folder() + "/сходимость.png", hist = s.folder() + "/hist.png";
    const auto d = s.run({"start", "study open", "study seed 5", "study nmax 1000", "study runs 10",
                          "study run", "study save convergence " + conv, "study save histogram " + hist,
                          "dump", "answer yes", "close", "dump"});
    ASSERT_EQ(d.size(), 2u);
    for (const QString& file : {conv, hist}) {
        QImage image(file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_GT(image.width(), 300);
    }
    EXPECT_TRUE(study(d[0])["open"].toBool());
    EXPECT_FALSE(study(d[1])["open"].toBool());
}

TEST(Study, DriverRefusesStudyCommandsItCannotDo) {
    DriverSession s;
    const auto d = s.run({"study open", "start", "study run", "study open", "study nmax 10", "study runs 5",
                          "study frobnicate"});
    ASSERT_EQ(d.size(), 5u);
    for (const QJsonObject& e : d) EXPECT_TRUE(e.contains("error"));
}

}  // namespace
}  // namespace mcplot::testing
