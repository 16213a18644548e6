// The program's functions as integrands: the built-in formulas keep the
// program's constants, and the user's expression runs through the interpreter
// with one host per thread and explains its failures.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "core/evaluation.h"
#include "study/program_integrands.h"
#include "study/study.h"
#include "core/vbscript_host.h"

using namespace mcplot;
using namespace mcplot::study;

namespace {

ScriptHostMaker interpreter() {
    return [] { return std::make_unique<VBScriptHost>(); };
}

}  // namespace

TEST(ProgramIntegrands, BuiltInFormulasKeepTheProgramsConstants) {
    EXPECT_DOUBLE_EQ(builtInValue(5, 2, 0), std::exp(-4.0));
    EXPECT_NEAR(builtInValue(6, 1, 0), 0.83043, 1e-5);  // 4/√3.14, not 4/√π
    EXPECT_DOUBLE_EQ(builtInValue(9, 1, 0.9), 0.6);
    EXPECT_DOUBLE_EQ(builtInValue(1, 0.1, 0), 0.1);  // in double, not rounded to single
    EXPECT_FALSE(std::isfinite(builtInValue(7, 0, 0)));
    auto f = builtInIntegrand(2, 0)();
    EXPECT_EQ(f->at(3), 9.0);
}

TEST(ProgramIntegrands, UserExpressionEvaluatesLikeTheMainWindow) {
    auto f = expressionIntegrand("x^2 + Res.pInt", interpreter())();
    EXPECT_EQ(f->at(0.5), 0.25);
    EXPECT_EQ(f->at(-3), 9.0);
    // Two statements on one line and the sample's functions.
    auto g =
        expressionIntegrand("5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2", interpreter())();
    const double c = 30 * 3.14 / 180;
    EXPECT_NEAR(*g->at(2), 5 + std::tan(c) * 2 - 9.8 * 4 / 2 / 100 / std::pow(std::cos(c), 2), 1e-12);
}

TEST(ProgramIntegrands, FailureIsExplainedWithTheArgument) {
    auto f = expressionIntegrand("1/x", interpreter())();
    const EvaluationResult atZero = f->at(0);
    ASSERT_FALSE(atZero.ok());
    EXPECT_EQ(atZero.failure().position, 2);
    EXPECT_EQ(atZero.failure().x, 0);
    EXPECT_EQ(atZero.failure().explanation(), "Ошибка 11: деление на ноль (позиция 2, x = 0)");

    auto g = expressionIntegrand("", interpreter())();
    const EvaluationResult empty = g->at(1);
    ASSERT_FALSE(empty.ok());
    EXPECT_FALSE(empty.failure().explanation().empty());
}

TEST(ProgramIntegrands, StudyOfTheUserExpressionOnTwoThreads) {
    StudySettings s;
    s.box = Box{0, 3, 0, 9};
    s.throws = 200;
    s.runs = 20;
    s.maxThrows = 5000;
    s.maxTrapezoidIntervals = 100;
    s.seed = 42;
    StudyResults r[2];
    for (unsigned threads : {1u, 2u}) {
        s.threads = threads;
        Study study(s, expressionIntegrand("x*x", interpreter()));
        study.start();
        study.wait();
        r[threads - 1] = study.snapshot();
    }
    ASSERT_TRUE(r[0].finished);
    EXPECT_NEAR(r[0].reference.value, 9, 1e-12);
    EXPECT_EQ(r[0].convergence.hitOrMiss, r[1].convergence.hitOrMiss);
    EXPECT_EQ(r[0].histogram.counts, r[1].histogram.counts);

    // A failure at x = 0 (the middle of [−1, 1], which quadrature visits)
    // stops the study with no figures.
    s.box = Box{-1, 1, -5, 5};
    Study failing(s, expressionIntegrand("1/x", interpreter()));
    failing.start();
    failing.wait();
    const StudyResults bad = failing.snapshot();
    ASSERT_TRUE(bad.failure);
    EXPECT_EQ(bad.failure->x, 0);
    EXPECT_NE(bad.failure->explanation().find("x = 0"), std::string::npos) << bad.failure->explanation();
    EXPECT_TRUE(bad.convergence.n.empty());
}

TEST(ProgramIntegrands, CancelStopsASlowExpressionMidEvaluation) {
    // Each evaluation alone would run for a minute; cancel must not wait for
    // one to end, and a cancelled study is not a failed one.
    ScriptHostMaker slowHost = [] {
        auto host = std::make_unique<VBScriptHost>();
        host->setTimeLimit(std::chrono::seconds(60));
        return host;
    };
    StudySettings s;
    s.box = Box{0, 1, 0, 1};
    s.throws = 100;
    s.runs = 10;
    s.maxThrows = 1000;
    s.maxTrapezoidIntervals = 100;
    s.threads = 2;
    Study study(s, expressionIntegrand("x:Do:Loop", slowHost));
    study.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto started = std::chrono::steady_clock::now();
    study.cancel();
    study.wait();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(5));  // generous: a loaded machine, the sanitizers
    const StudyResults r = study.snapshot();
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.failure) << r.failure->explanation();
}
