// The variance-reduction methods through their runner: unbiased, honest
// standard errors, the known orders and factors, repeatable on threads,
// prompt cancel, and the cases where a method helps less or cannot run.
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <thread>

#include "core/vbscript_host.h"
#include "study/methods.h"
#include "study/program_integrands.h"
#include "tests/study/failing.h"

using namespace mcplot::study;
using namespace std::chrono;

namespace {

MethodsResults runAll(MethodsSettings s, const IntegrandFactory& f) {
    MethodsRunner runner(std::move(s), f);
    runner.start();
    runner.wait();
    return runner.snapshot();
}

const MethodResult& of(const MethodsResults& r, Method m) {
    for (const MethodResult& result : r.methods)
        if (result.method == m) return result;
    throw std::runtime_error("no such method");
}

// All a result shows but the measured cost, as text (NaN equal to NaN).
std::vector<std::string> figures(const MethodResult& m) {
    std::vector<double> values = {m.estimate, m.error, m.standardError, m.sigma, m.mean, m.factor, m.slope};
    values.insert(values.end(), m.rms.begin(), m.rms.end());
    std::vector<std::string> out = {m.note, m.failed ? "failed" : ""};
    for (double v : values) out.push_back(std::to_string(std::bit_cast<uint64_t>(v)));
    return out;
}

// f that fails (division by zero) at x == 0 exactly or beyond a limit.
IntegrandFactory failing(double limit) {
    return studytest::failingWhere([limit](double x) { return x == 0 || x > limit; });
}

}  // namespace

TEST(Methods, UnbiasedWithHonestStandardErrors) {
    const double gauss = std::sqrt(std::acos(-1.0)) * std::erf(3.0);
    // The sample expression of "Ваша функция": 5 + t·x − c·x².
    const double t = std::tan(30 * 3.14 / 180), c = 9.8 / 2 / 100 / std::pow(std::cos(30 * 3.14 / 180), 2);
    const double typed = 5 * 14.2 + t * 14.2 * 14.2 / 2 - c * std::pow(14.2, 3) / 3;
    const struct {
        const char* name;
        IntegrandFactory f;
        Box box;
        double exact, clipped;  // hit-or-miss converges to the integral of f clipped to the box
        int perStratum;
        int64_t n = 1000;
        int runs = 400;
    } cases[] = {
        {"x² (2)", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, 9, 1},
        {"x², box cuts the graph", builtInIntegrand(2, 0), {0, 3, 0, 4}, 9, 8.0 / 3 + 4, 4},
        {"Gauss (5)", builtInIntegrand(5, 0), {-3, 3, 0, 1}, gauss, gauss, 2},
        {"cos 3x, changes sign",
         factoryOf([](double x) { return std::cos(3 * x); }),
         {0, 2, -1, 1},
         std::sin(6.0) / 3,
         std::sin(6.0) / 3,
         3},
        {"typed expression",
         expressionIntegrand("5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2",
                             [] { return std::make_unique<mcplot::VBScriptHost>(); }),
         {0, 14.2, 0, 7.5},
         typed,
         typed,
         1,
         200,
         200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MethodsSettings s;
        s.box = c.box;
        s.reference = c.exact;
        s.clippedReference = c.clipped;
        s.n = c.n;
        s.maxN = 10;
        s.runs = c.runs;
        s.perStratum = c.perStratum;
        s.seed = 20240601;
        const MethodsResults r = runAll(s, c.f);
        ASSERT_TRUE(r.finished);
        ASSERT_EQ(r.methods.size(), static_cast<size_t>(methodCount));
        for (const MethodResult& m : r.methods) {
            SCOPED_TRACE(m.name);
            ASSERT_FALSE(m.failed) << m.note;
            const double expected = m.method == Method::HitOrMiss ? c.clipped : c.exact;
            EXPECT_NEAR(m.mean, expected, 4 * m.sigma / std::sqrt(c.runs) + 1e-12);
            EXPECT_EQ(m.note.rfind("Прямоугольник бросков обрезает график", 0) == 0, expected != c.exact);
            // Measured, so only roughly: every method costs about as much per sample.
            EXPECT_GT(m.cost, 0.2);
            EXPECT_LT(m.cost, 5);
            EXPECT_DOUBLE_EQ(m.efficiency, m.factor / m.cost);
            // One point per stratum and one shifted quasi-random run have no
            // error of their own; every other run's agrees with the spread.
            const bool own = !(m.method == Method::Sobol || m.method == Method::Weyl ||
                               (m.method == Method::Stratified && c.perStratum == 1));
            EXPECT_EQ(m.ownError, own);
            if (own) {
                EXPECT_GT(m.meanOwnError / m.sigma, 0.8);
                EXPECT_LT(m.meanOwnError / m.sigma, 1.25);
            } else {
                EXPECT_EQ(m.standardError, m.sigma);
            }
        }
    }
}

TEST(Methods, KnownOrdersAndFactors) {
    enum Figure { Slope, Factor };
    const struct {
        const char* name;
        IntegrandFactory f;
        Box box;
        double exact;
        Method method;
        Figure figure;
        double low, high;
    } cases[] = {
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::MeanValue, Slope, -0.6, -0.4},
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::HitOrMiss, Slope, -0.6, -0.4},
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::Stratified, Slope, -1.7, -1.3},
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::Sobol, Slope, -1.3, -0.9},
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::Weyl, Slope, -1.3, -0.9},
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::Antithetic, Factor, 4, 1e300},
        {"x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, 9, Method::ControlVariate, Factor, 100, 1e300},
        {"Gauss",
         builtInIntegrand(5, 0),
         {-3, 3, 0, 1},
         std::sqrt(std::acos(-1.0)) * std::erf(3.0),
         Method::Importance,
         Factor,
         3,
         1e300},
        // A jump: stratified sampling drops to about −1.
        {"step",
         factoryOf([](double x) { return x < 1.234 ? 1.0 : 2.0; }),
         {0, 3, 0, 2},
         1.234 + 2 * 1.766,
         Method::Stratified,
         Slope,
         -1.2,
         -0.8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + methodInfo(c.method).name);
        MethodsSettings s;
        s.box = c.box;
        s.reference = c.exact;
        s.methods = {c.method};
        s.n = 1000;
        s.runs = 100;
        s.maxN = 20000;
        s.chartRuns = 32;
        s.seed = 7;
        const MethodsResults r = runAll(s, c.f);
        const MethodResult& m = of(r, c.method);
        const double figure = c.figure == Slope ? m.slope : m.factor;
        EXPECT_GE(figure, c.low);
        EXPECT_LE(figure, c.high);
    }
}

// Failures too: the one shown is the first in the runs' order.
TEST(Methods, SameSeedSameTableOnOneAndTwoThreads) {
    const IntegrandFactory functions[] = {factoryOf([](double x) { return std::sin(3 * x) + x; }),
                                          failing(1.999)};
    for (const IntegrandFactory& f : functions) {
        MethodsResults results[2];
        for (unsigned threads : {1u, 2u}) {
            MethodsSettings s;
            s.box = {0, 2, -1, 3};
            s.reference = 2 + (1 - std::cos(6.0)) / 3;
            s.n = 301;
            s.maxN = 1000;
            s.runs = 30;
            s.seed = 99;
            s.threads = threads;
            MethodsRunner runner(s, f);
            EXPECT_EQ(runner.threads(), threads);
            runner.start();
            runner.wait();
            results[threads - 1] = runner.snapshot();
            ASSERT_TRUE(results[threads - 1].finished);
        }
        for (size_t k = 0; k < results[0].methods.size(); ++k) {
            const MethodResult &one = results[0].methods[k], &two = results[1].methods[k];
            SCOPED_TRACE(one.name);
            EXPECT_EQ(figures(one), figures(two));
        }
    }
}

// The scan and a run stop at f's first failure and keep it, x and all; the
// cancel flag stops them without one.
TEST(Methods, ScanAndRunsStopWithFsOwnFailure) {
    std::atomic<bool> set{true};
    const struct {
        const char* name;
        IntegrandFactory f;
        const std::atomic<bool>* cancel;
        double failsAt;  // NaN: f does not fail
    } cases[] = {
        {"x²", factoryOf([](double x) { return x * x; }), nullptr, NAN},
        {"fails past 2.5", failing(2.5), nullptr, 2.52},  // the scan's 77th point
        {"cancelled", failing(2.5), &set, NAN},
    };
    const Box box{1, 3, 0, 9};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto f = c.f();
        const Outcome<MethodScan> scan = scanForMethods(*f, box.a, box.b, c.cancel);
        const MethodRun run =
            runMethod(Method::MeanValue, *f, MethodParameters{box}, scan.result, 1000, 0, c.cancel);
        EXPECT_EQ(scan.cancelled, c.cancel != nullptr);
        EXPECT_EQ(run.status, c.cancel       ? MethodRun::Cancelled
                              : scan.failure ? MethodRun::Failed
                                             : MethodRun::Done);
        ASSERT_EQ(scan.failure.has_value(), !std::isnan(c.failsAt));
        ASSERT_EQ(run.failure.has_value(), !std::isnan(c.failsAt));
        EXPECT_EQ(scan.result.values.size(), scan.stopped() ? 0u : 101u);
        if (!scan.failure) continue;
        EXPECT_NEAR(scan.failure->x, c.failsAt, 1e-12);
        EXPECT_GT(run.failure->x, 2.5);
        EXPECT_EQ(run.failure->explanation().rfind("Ошибка 11: деление на ноль (x = ", 0), 0u)
            << run.failure->explanation();
    }
}

TEST(Methods, CancelStopsPromptly) {
    MethodsSettings s;
    s.box = {0, 3, 0, 9};
    s.maxN = 10'000'000;
    s.threads = 2;
    MethodsRunner runner(s, factoryOf([](double x) {
                             double y = x;
                             for (int k = 0; k < 300; ++k) y = std::sqrt(y * y + 1e-300);
                             return y * x;
                         }));
    runner.start();
    std::this_thread::sleep_for(milliseconds(200));
    ASSERT_TRUE(runner.running());
    const auto before = steady_clock::now();
    runner.cancel();
    runner.wait();
    EXPECT_LT(steady_clock::now() - before, milliseconds(500));
    const MethodsResults r = runner.snapshot();
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.finished);
    EXPECT_LT(r.progress, 1);
}

// What each case says, and which methods fail with f's own explanation.
TEST(Methods, SaysWhereAMethodHelpsLessOrCannotRun) {
    const struct {
        const char* name;
        IntegrandFactory f;
        Box box;
        std::vector<std::pair<Method, const char*>> notes;  // text in the method's note
        std::vector<Method> failing;                        // with f's own explanation
        const char* everyNote = nullptr;
    } cases[] = {
        {"smooth x²", builtInIntegrand(2, 0), {0, 3, 0, 9}, {}, {}},
        {"symmetric Gauss",
         builtInIntegrand(5, 0),
         {-3, 3, 0, 1},
         {{Method::Antithetic, "f симметрична"}},
         {}},
        {"changes sign",
         factoryOf([](double x) { return std::cos(3 * x); }),
         {0, 2, -1, 1},
         {{Method::Importance, "f меняет знак"}},
         {}},
        {"jump",
         factoryOf([](double x) { return x < 1.234 ? 1.0 : 2.0; }),
         {0, 2, 0, 2},
         {{Method::Stratified, "Похоже, f делает скачок около x ≈ 1,23:"},
          {Method::Sobol, "Похоже, f делает скачок около x ≈ 1,23:"},
          {Method::Weyl, "Похоже, f делает скачок около x ≈ 1,23:"}},
         {}},
        {"no value at a scan point",
         factoryOf([](double x) { return std::sin(x) / x; }),
         {-1, 1, 0, 1},
         {{Method::ControlVariate, "В 1 из 101 точек просмотра f не имеет значения"},
          {Method::Antithetic, "f симметрична"}},
         {}},
        {"fails at a scan point",
         failing(1e300),
         {0, 3, 0, 9},
         {},
         {Method::Importance, Method::ControlVariate}},
        {"fails beyond 2.5",
         failing(2.5),
         {-1, 3, 0, 9},
         {},
         {Method::HitOrMiss, Method::MeanValue, Method::Stratified, Method::Antithetic, Method::Importance,
          Method::ControlVariate, Method::Sobol, Method::Weyl}},
        {"no value left of -0.5",
         factoryOf([](double x) { return x < -0.5 ? std::nan("") : x + 1; }),
         {-1, 1, 0, 2},
         {{Method::ControlVariate, "В 25 из 101 точек просмотра f не имеет значения"},
          {Method::HitOrMiss, "(бросок красный)"}},
         {},
         " случайных точках f не имеет значения: там взято f = 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MethodsSettings s;
        s.box = c.box;
        s.n = 500;
        s.maxN = 1000;
        s.runs = 20;
        const MethodsResults r = runAll(s, c.f);
        EXPECT_TRUE(r.finished);
        for (const MethodResult& m : r.methods) {
            SCOPED_TRACE(m.name);
            const bool fails = std::count(c.failing.begin(), c.failing.end(), m.method) > 0;
            EXPECT_EQ(m.failed, fails);
            std::vector<std::string> expected;
            if (fails) expected.push_back("Ошибка 11: деление на ноль");
            if (c.everyNote && !fails) expected.push_back(c.everyNote);
            for (const auto& [method, text] : c.notes)
                if (method == m.method) expected.push_back(text);
            for (const std::string& text : expected)
                EXPECT_NE(m.note.find(text), std::string::npos) << m.note;
            EXPECT_EQ(m.note.empty(), expected.empty()) << m.note;
            if (!fails) {
                EXPECT_TRUE(std::isfinite(m.estimate));
            }
        }
    }
}
