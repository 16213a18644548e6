// The study parses the user's expression once per worker; the main window runs
// the text of every point. Both must give the same bits, subtypes and failure
// texts at every x, whole, tiny, huge or signed zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/vbscript_host.h"
#include "study/program_integrands.h"

using namespace mcplot;
using namespace mcplot::study;

namespace {

// The interpreter behind a host that counts the texts it runs, and that may
// refuse to prepare (so the integrand runs the text of every point).
class CountingHost : public ScriptHost {
public:
    CountingHost(bool prepare, int& texts) : prepare_(prepare), texts_(texts) {}
    void Reset() override { inner_.Reset(); }
    ScriptStatus AddObject(std::string_view name, std::shared_ptr<PubResults> res) override {
        return inner_.AddObject(name, std::move(res));
    }
    ScriptStatus ExecuteStatement(std::string_view code) override {
        ++texts_;
        return inner_.ExecuteStatement(code);
    }
    void setStopFlag(const std::atomic<bool>* flag) override { inner_.setStopFlag(flag); }
    std::unique_ptr<PreparedPointScript> preparePointScript(std::string_view expression,
                                                            std::shared_ptr<PubResults> res) override {
        return prepare_ ? inner_.preparePointScript(expression, std::move(res)) : nullptr;
    }

private:
    VBScriptHost inner_;
    bool prepare_;
    int& texts_;
};

std::unique_ptr<Integrand> integrand(const std::string& expression, bool prepare, int& texts) {
    return expressionIntegrand(
        expression, [prepare, &texts] { return std::make_unique<CountingHost>(prepare, texts); })();
}

// Arguments of every kind: uniform on a plotting range and on a wide one,
// whole numbers around the Integer and Long limits, the ends and zeros, tiny
// and huge magnitudes, and any finite bit pattern.
std::vector<double> arguments(size_t count, uint64_t seed) {
    std::vector<double> xs = {0.0,
                              -0.0,
                              14.2,
                              -14.2,
                              32767,
                              32768,
                              -32768,
                              -32769,
                              1e15,
                              2147483647.,
                              2147483648.,
                              -2147483648.,
                              0.1 + 0.2,
                              5e-324,
                              1e-310,
                              1e308,
                              -1.7976931348623157e308};
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> range(0, 14.2), wide(-1e6, 1e6), exponent(-320, 308);
    std::uniform_int_distribution<int64_t> whole(-70000, 70000);
    while (xs.size() < count) {
        switch (gen() % 6) {
            case 0:
            case 1:
                xs.push_back(range(gen));
                break;
            case 2:
                xs.push_back(wide(gen));
                break;
            case 3:
                xs.push_back(static_cast<double>(whole(gen)));
                break;
            case 4:
                xs.push_back((gen() & 1 ? -1 : 1) * std::pow(10.0, exponent(gen)));
                break;
            default: {
                const uint64_t bits = gen();
                double v;
                std::memcpy(&v, &bits, sizeof v);
                if (std::isfinite(v)) xs.push_back(v);
            }
        }
    }
    return xs;
}

// f at every x as the study asks: in batches, and at() where a batch stops.
std::vector<EvaluationResult> inBatches(Integrand& f, const std::vector<double>& xs) {
    std::vector<EvaluationResult> out;
    std::vector<double> ys(64);
    for (size_t k = 0; k < xs.size(); k += ys.size()) {
        const size_t n = std::min(ys.size(), xs.size() - k);
        size_t known = f.values(&xs[k], ys.data(), n);
        for (size_t i = 0; i < n; ++i) {
            if (i < known) {
                out.emplace_back(ys[i]);
                continue;
            }
            out.push_back(f.at(xs[k + i]));
            known = i + 1 + f.values(&xs[k + i + 1], &ys[i + 1], n - i - 1);
        }
    }
    return out;
}

}  // namespace

TEST(PreparedExpression, SameBitsSubtypesAndFailuresAsTheTextOfEachPoint) {
    struct Case {
        const char* expression;
        size_t points;
    };
    const Case cases[] = {
        {"5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2", 100'000},
        {"x^2", 10'000},
        {"Sqr(x)", 10'000},  // fails below zero
        {"Log(x)", 10'000},
        {"1/x", 10'000},
        {"Sin(x)/x", 10'000},
        {"Exp(-x^2)*Cos(x) + Atn(x) - Tan(x)/Abs(x) + -x", 10'000},
        {"x^x + x^0.5 - (-x)^3 + 2^x", 10'000},
        // Constants and x on either side of each operator, and nested.
        {"(2 - x) / (3 / x) - x ^ 3 + 2 ^ -x + x - (x / 7) * (1.5 ^ x) - x ^ (x - 1)", 10'000},
        {"1 - 2 / (x - 0.5) ^ 0.5 + x * (x + 1) - (3 - x) * x / (x - x / 2) + 7 \\ 2 * x", 10'000},
        {"CInt(x)", 10'000},  // overflows past the Integer range
        {"x & \"\"", 10'000},
        {"Res.p+1", 10'000},  // reads what the last point left
        {"VarType(x)*10 + VarType(-x)", 10'000},
        {"VarType(x*2) + VarType(x+x) * 100 + VarType(x\\1) * 10000", 10'000},
        {"Len(CStr(x)) + InStr(x, \"E\") + Asc(Mid(Hex(Abs(x) Mod 65536), 1, 1))", 10'000},
        {"Year(x) + Month(x) * 10000 + Weekday(DateAdd(\"d\", 1, x))", 10'000},
        {"Eval(\"x*3\") + Rnd", 10'000},  // Rnd's sequence goes on the same way
        {"Len(String(x, \"a\"))", 10'000},
        // Constant parts that fail stay in place; the rest is computed once.
        {"x + 1/0", 2'000},
        {"Sqr(-1) * x + CInt(40000)", 2'000},
        {"x * vbDouble + 2^1024", 2'000},
        {"x \\ 3 + x Mod 7 + (x > 1) * 5 + (Not x) + Round(x, 2) * CLng(1.5)", 10'000},
    };
    int failures = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        int preparedTexts = 0, pointTexts = 0;
        auto prepared = integrand(c.expression, true, preparedTexts);
        auto perPoint = integrand(c.expression, false, pointTexts);
        // Point by point, and in batches as the study's throws ask.
        auto batched = integrand(c.expression, true, preparedTexts);
        const std::vector<double> xs = arguments(c.points, c.points);
        const std::vector<EvaluationResult> batchValues = inBatches(*batched, xs);
        for (size_t k = 0; k < xs.size(); ++k) {
            const double x = xs[k];
            const EvaluationResult a = prepared->at(x), b = perPoint->at(x);
            const EvaluationResult& inBatch = batchValues[k];
            ASSERT_EQ(a.ok(), b.ok()) << "x = " << x;
            ASSERT_EQ(inBatch.ok(), b.ok()) << "x = " << x;
            if (a) {
                const double va = *a, vb = *b, vc = *inBatch;
                ASSERT_EQ(std::memcmp(&va, &vb, sizeof(double)), 0) << "x = " << x << ": " << va << " " << vb;
                ASSERT_EQ(std::memcmp(&vc, &vb, sizeof(double)), 0) << "x = " << x << ": " << vc << " " << vb;
            } else {
                ++failures;
                ASSERT_EQ(a.failure().explanation(), b.failure().explanation()) << "x = " << x;
                ASSERT_EQ(inBatch.failure().explanation(), b.failure().explanation()) << "x = " << x;
            }
        }
        EXPECT_EQ(preparedTexts, 0) << "the expression was not prepared";
        EXPECT_GT(pointTexts, 0);
    }
    EXPECT_GT(failures, 10'000);  // the failure texts were compared too
}

TEST(PreparedExpression, WhatCannotBePreparedRunsAsText) {
    // Statements after a ':', a compile error: each point runs its text.
    for (const char* expression : {"1: Res.pInt = 5", "2*x +", "x: Dim y"}) {
        SCOPED_TRACE(expression);
        int preparedTexts = 0, pointTexts = 0;
        auto prepared = integrand(expression, true, preparedTexts);
        auto perPoint = integrand(expression, false, pointTexts);
        for (double x : {0.0, 1.5, -2.0}) {
            const EvaluationResult a = prepared->at(x), b = perPoint->at(x);
            ASSERT_EQ(a.ok(), b.ok());
            if (a) {
                EXPECT_EQ(*a, *b);
            } else {
                EXPECT_EQ(a.failure().explanation(), b.failure().explanation());
            }
        }
        EXPECT_EQ(preparedTexts, 3);
    }
}

TEST(PreparedExpression, StopFlagAndMemoryLimitHoldForEachRun) {
    int texts = 0;
    auto f = integrand("Len(Replace(Space(300000), \" \", \"ab\"))", true, texts);
    EXPECT_EQ(f->at(1), 6e5);
    std::atomic<bool> stop{true};
    f->setStopFlag(&stop);
    const EvaluationResult stopped = f->at(1);
    ASSERT_FALSE(stopped.ok());
    EXPECT_NE(stopped.failure().explanation().find("80004004"), std::string::npos);
    stop = false;
    EXPECT_EQ(f->at(2), 6e5);  // the next run starts afresh
    auto g = integrand("Len(Space(x))", true, texts);
    const EvaluationResult tooBig = g->at(1e9);
    ASSERT_FALSE(tooBig.ok());
    EXPECT_NE(tooBig.failure().explanation().find("Ошибка 7:"), std::string::npos);
    EXPECT_EQ(g->at(3), 3.0);
    EXPECT_EQ(texts, 0);
}
