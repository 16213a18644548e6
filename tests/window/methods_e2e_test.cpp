// The study window's page "Методы" end to end: opened from the driver for a
// preset and for the user's expression, run with a fixed seed, its table in
// the dump; the accuracy page beside it gives the same figures as before.
#include <gtest/gtest.h>

#include <QJsonArray>

#include <cmath>

#include "driver_session.h"

namespace mcplot::testing {
namespace {

QJsonObject study(const QJsonObject& dump) {
    return dump["study"].toObject();
}

// A method's row without its measured cost, which is a timing.
QJsonObject withoutTimings(QJsonObject method) {
    method.remove("cost");
    method.remove("efficiency");
    return method;
}

TEST(MethodsPage, EveryMethodEstimatesTheIntegralAndOneSeedGivesOneTable) {
    const struct {
        const char* select;
        const char* plot;
        double exact;
        int chartRuns;  // the user's expression gets fewer runs per chart point
    } cases[] = {
        {"select 1", "click CmdOK", 9, 20},                                    // парабола on [0, 3]
        {"select 4", "click CmdOK", std::sqrt(M_PI) / 2 * std::erf(3.0), 20},  // Гаусс on [0, 3]
        {"select 9", "click Command1", NAN, 16},                               // the sample expression
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.select);
        DriverSession s;
        const auto d =
            s.run({"start", c.select, c.plot, "methods open", "methods n 1000", "methods nmax 1000",
                   "methods runs 20", "methods seed 11", "methods run", "dump", "methods run", "dump"});
        ASSERT_EQ(d.size(), 2u);
        const QJsonObject page = study(d[0])["methodsPage"].toObject();
        EXPECT_TRUE(page["finished"].toBool());
        EXPECT_FALSE(page["running"].toBool());
        EXPECT_EQ(page["chartRuns"].toInt(), c.chartRuns);
        const double reference = page["reference"].toDouble();
        if (std::isfinite(c.exact)) {
            EXPECT_NEAR(reference, c.exact, 1e-10);
        }

        const QJsonArray methods = study(d[0])["methods"].toArray(), again = study(d[1])["methods"].toArray();
        QStringList keys;
        for (const QJsonValue& v : methods) keys << v.toObject()["name"].toString();
        EXPECT_EQ(keys, QStringList({"hitOrMiss", "meanValue", "stratified", "antithetic", "importance",
                                     "controlVariate", "sobol", "weyl"}));
        ASSERT_EQ(again.size(), methods.size());
        for (int k = 0; k < methods.size(); ++k) {
            const QJsonObject m = methods[k].toObject();
            SCOPED_TRACE(m["name"].toString().toStdString());
            EXPECT_FALSE(m["failed"].toBool());
            EXPECT_EQ(m["runsDone"].toInt(), 20);
            const double estimate = m["estimate"].toDouble(), sigma = m["sigma"].toDouble();
            ASSERT_TRUE(std::isfinite(estimate) && std::isfinite(sigma));
            // One run lies within a few of its σ of I*: an estimator that is off would not.
            EXPECT_LE(std::fabs(estimate - reference), 5 * sigma + 1e-9 * std::fabs(reference));
            EXPECT_NEAR(m["error"].toDouble(), std::fabs(estimate - reference), 1e-12);
            EXPECT_TRUE(std::isfinite(m["slope"].toDouble()));
            EXPECT_GT(m["cost"].toDouble(), 0);
            EXPECT_EQ(withoutTimings(m), withoutTimings(again[k].toObject()));
        }
        EXPECT_DOUBLE_EQ(methods[1].toObject()["factor"].toDouble(), 1);  // the mean-value method itself
    }
}

TEST(MethodsPage, AccuracyPageUnchangedAndItsReferenceReused) {
    DriverSession s;
    const QStringList accuracy = {"study seed 7", "study nmax 1000", "study runs 10", "study run", "dump"};
    QStringList script = {"start", "select 4", "study open"};
    script << accuracy;
    script << QStringList{"methods open",    "methods n 100", "methods nmax 100",
                          "methods runs 10", "methods run",   "dump"};
    script << accuracy;
    const auto d = s.run(script);
    ASSERT_EQ(d.size(), 3u);
    const QJsonObject before = study(d[0]), methods = study(d[1]), after = study(d[2]);
    for (const char* part : {"convergence", "histogram", "summary", "reference", "coverage"})
        EXPECT_EQ(before[part], after[part]) << part;
    EXPECT_TRUE(methods["methodsPage"].toObject()["referenceReused"].toBool());
    EXPECT_EQ(methods["methodsPage"].toObject()["reference"], before["reference"]);
    EXPECT_EQ(methods["methods"].toArray().size(), 8);
}

TEST(MethodsPage, FailingExpressionExplainedOutOfDateAndCancel) {
    DriverSession s;
    const auto d = s.run({"start", "select 9", "text 1 sqr(x-5)", "click Command1", "methods open",
                          "methods n 100", "methods nmax 100", "methods runs 10", "methods run", "dump",
                          "text 1 x*x", "click Command1", "dump", "methods nmax 10000000",
                          "methods runs 10000", "methods start", "methods cancel", "dump"});
    ASSERT_EQ(d.size(), 3u);
    const QJsonArray failed = study(d[0])["methods"].toArray();
    ASSERT_EQ(failed.size(), 8);
    for (const QJsonValue& v : failed) {
        const QJsonObject m = v.toObject();
        SCOPED_TRACE(m["name"].toString().toStdString());
        EXPECT_TRUE(m["failed"].toBool());
        EXPECT_NE(m["note"].toString().indexOf("x ="), -1) << m["note"].toString().toStdString();
    }
    EXPECT_NE(study(d[0])["methodsPage"].toObject()["status"].toString().indexOf("не получено"), -1);

    EXPECT_TRUE(study(d[1])["methodsPage"].toObject()["outOfDate"].toBool());

    const QJsonObject cancelled = study(d[2])["methodsPage"].toObject();
    EXPECT_FALSE(cancelled["running"].toBool());
    EXPECT_FALSE(cancelled["finished"].toBool());
    EXPECT_NE(cancelled["status"].toString().indexOf("отменён"), -1);
}

}  // namespace
}  // namespace mcplot::testing
