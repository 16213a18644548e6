// Evaluation of f(x) for the selected function: one of the nine built-in
// formulas, or the user's expression run by a script host. Plain C++, no
// drawing and no widgets, so it runs the same in the window, in tests and on
// worker threads.
//
// Entry points for code that evaluates f without the window:
//   builtInFormula(nfun, x, temperature)   one built-in value, no state at all.
//   Evaluator                              the evaluation protocol with its
//       stale value: store x, evaluate, read y; a failed evaluation keeps the
//       y it had. One Evaluator per thread; for the user's expression give each
//       its own ScriptHost (hosts are not shared between threads).
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/evaluation_result.h"
#include "core/expression_failures.h"
#include "core/presets.h"
#include "core/script_host.h"
#include "core/time_budget.h"
#include "numbers/number.h"

namespace mcplot {

// Where the calculation reports a failure it caught and went past (the window
// sends it to its log). Never called on the hot path of a healthy run.
using ReportSink = std::function<void(const std::string& message)>;

// The script text run for one point of the user's expression:
// "x=<short number>\r\nRes.p=<expression>". Written into kod, whose storage
// is reused from point to point.
void writePointScript(std::string& kod, double x, std::string_view expression);

// The user's expression at x: Res.p after the point's script text has run
// on the host with res as "Res" (reset, add, execute), or the failure placed
// in the expression. prepared, when given, runs the point in place of the
// text, with the same outcome. The text goes to kod, whose storage is reused.
// A host that throws fails the point as an internal error, told to report.
EvaluationResult evaluateExpression(ScriptHost& host, PreparedPointScript* prepared,
                                    const std::shared_ptr<PubResults>& res, std::string& kod,
                                    std::string_view expression, double x, const ReportSink& report = {});

// Built-in formula nfun (builtInValue, core/presets.h) rounded to single, as
// the window evaluates it. NaN when the formula has no finite value at x or
// the value lies beyond the single range.
inline float builtInFormula(int16_t nfun, double x, double temperature) {
    const double v = builtInValue(nfun, x, temperature);
    if (!std::isfinite(v) || std::fabs(v) > kSingleMax) return NAN;
    return static_cast<float>(v);
}

// What is evaluated: nfun 1..9 a built-in formula, 0 the user's expression.
struct FunctionChoice {
    int16_t nfun = 1;
    double temperature = 0;  // Van der Waals T, already read from its text
    std::string expression;  // the user's expression (nfun 0), unchanged
};

// The evaluation protocol on its own values x and y. A built-in formula stores
// its single value in y; the user's expression is run as the two-line script
// "x=<x>" CR LF "Res.p=<expression>" (reset, add "Res", execute) and stores
// Res.p as a double. When an evaluation fails, y keeps its value and the
// failure is counted: a built-in without a finite single value in
// undefinedPoints(), a failing script in failures().
class Evaluator {
public:
    // host may be null when only built-in formulas are evaluated; a user
    // expression without a host fails.
    explicit Evaluator(FunctionChoice choice = {}, ScriptHost* host = nullptr);

    void setChoice(FunctionChoice choice) { choice_ = std::move(choice); }
    const FunctionChoice& choice() const { return choice_; }
    void setHost(ScriptHost* host) { host_ = host; }

    // The values x and y held before: y is what a failed evaluation leaves.
    void setStart(Number x, Number y) {
        x_ = x;
        y_ = y;
    }
    // The result object handed to scripts as "Res"; made on the first user
    // evaluation when none was given, then kept with its fields.
    void setResultObject(std::shared_ptr<PubResults> res) { res_ = std::move(res); }
    const std::shared_ptr<PubResults>& resultObject() const { return res_; }

    // Script time the user's expression may spend in each budget from the
    // next startBudget on (budgets::kCommand until then); past it, and after
    // a script that ran out of time, further user evaluations fail at once,
    // so an endless loop cannot freeze the caller for as many timeouts as
    // there are points.
    void setScriptBudget(std::chrono::steady_clock::duration budget) { budget_.setBudget(budget); }
    // Starts a fresh budget and clears the counts (one user action).
    void startBudget();

    void setReportSink(ReportSink sink) { report_ = std::move(sink); }

    // f at x: x is stored, f(x) goes to y, or y stays on a failure.
    const Number& at(Number x) {
        x_ = x;
        ++evaluations_;
        if (choice_.nfun != 0) {
            const float v = builtInFormula(choice_.nfun, x.value(), choice_.temperature);
            if (std::isnan(v))
                ++undefined_;
            else
                y_ = Number::single(v);
        } else {
            evaluateUserExpression();
        }
        return y_;
    }

    const Number& x() const { return x_; }
    const Number& y() const { return y_; }
    // Script text of the last user evaluation.
    const std::string& kod() const { return kod_; }
    int failures() const { return failures_; }
    // Where and how the user's expression failed since startBudget.
    const ExpressionFailures& expressionFailures() const { return expressionFailures_; }
    int undefinedPoints() const { return undefined_; }
    // Evaluations since the budget started, failed or not.
    int evaluations() const { return evaluations_; }

private:
    void evaluateUserExpression();
    void recordFailure(const EvaluationFailure& failure);

    FunctionChoice choice_;
    ScriptHost* host_;
    Number x_, y_;
    std::shared_ptr<PubResults> res_;
    std::string kod_;
    int failures_ = 0;
    int undefined_ = 0;
    ExpressionFailures expressionFailures_;
    int evaluations_ = 0;
    TimeBudget budget_{budgets::kCommand};
    ReportSink report_;
};

}  // namespace mcplot
