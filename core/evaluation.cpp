// The user's expression through the script host; the built-in formulas are
// inline in the header.
#include "core/evaluation.h"

#include <exception>

#include "core/failure_text.h"

namespace mcplot {

namespace {
// The language's number for an "Internal error": a host that failed or is missing.
constexpr int kInternalError = 51;
}  // namespace

Evaluator::Evaluator(FunctionChoice choice, ScriptHost* host) : choice_(std::move(choice)), host_(host) {
    budget_.start();
}

void Evaluator::startBudget() {
    failures_ = 0;
    undefined_ = 0;
    expressionFailures_.clear();
    evaluations_ = 0;
    budget_.start();
}

void writePointScript(std::string& kod, double x, std::string_view expression) {
    kod.assign("x=");
    appendShortNumber(kod, x);
    kod.append("\r\nRes.p=").append(expression);
}

namespace {
EvaluationFailure internalError(double x) {
    return EvaluationFailure{ScriptStatus::failure(kInternalError, "внутренняя ошибка"), 0, x};
}
}  // namespace

EvaluationResult evaluateExpression(ScriptHost& host, PreparedPointScript* prepared,
                                    const std::shared_ptr<PubResults>& res, std::string& kod,
                                    std::string_view expression, double x, const ReportSink& report) {
    try {
        ScriptStatus status;
        if (prepared) {
            if (double value = 0; prepared->quickValue(x, value)) return value;
            status = prepared->run(x);
        } else {
            // Built in place: the text keeps its storage from point to point.
            writePointScript(kod, x, expression);
            host.Reset();
            status = host.AddObject("Res", res);
            if (status.ok) status = host.ExecuteStatement(kod);
        }
        if (status.ok) return res->p;
        if (prepared) writePointScript(kod, x, expression);  // the text the error's place refers to
        const int position = positionInUserText(kod, expression, status.line, status.column);
        return EvaluationFailure{std::move(status), position, x};
    } catch (const std::exception& e) {
        // A failing host is one more way the expression fails.
        if (report) report(std::string("script host failed: ") + e.what());
    } catch (...) {
        if (report) report("script host failed with an unknown exception");
    }
    return internalError(x);
}

void Evaluator::evaluateUserExpression() {
    const double x = x_.value();
    if (!host_) return recordFailure(internalError(x));
    // A point skipped after a time-out fails for the same reason.
    if (budget_.ended())
        return recordFailure(EvaluationFailure{
            ScriptStatus::failure(kScriptTimedOut, "сценарий выполняется слишком долго и прерван"), 0, x});
    if (!res_) res_ = std::make_shared<PubResults>();
    // The budget counts the whole point, the script text included: an
    // expression near the length limit costs its copy on every throw.
    const auto start = TimeBudget::Clock::now();
    const EvaluationResult result =
        evaluateExpression(*host_, nullptr, res_, kod_, choice_.expression, x, report_);
    budget_.charge(TimeBudget::Clock::now() - start);
    // Past the budget, the points after this one fail at once.
    if (budget_.exhausted()) budget_.exhaust();
    if (result.ok()) {
        y_ = Number::dbl(result.value());
        expressionFailures_.recordSuccess(x);
        return;
    }
    if (result.failure().status.number == kScriptTimedOut) budget_.exhaust();
    recordFailure(result.failure());
}

void Evaluator::recordFailure(const EvaluationFailure& failure) {
    ++failures_;
    expressionFailures_.recordFailure(failure.x, failure.status, kod_, choice_.expression);
}

}  // namespace mcplot
