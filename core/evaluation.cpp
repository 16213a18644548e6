// The user's expression through the script host; the built-in formulas are
// inline in the header.
#include "core/evaluation.h"

#include <exception>

namespace mcplot {

namespace {
// The language's number for an "Internal error": a host that failed or is missing.
constexpr int kInternalError = 51;
}  // namespace

Evaluator::Evaluator(FunctionChoice choice, ScriptHost* host) : choice_(std::move(choice)), host_(host) {}

void Evaluator::startBudget() {
    failures_ = 0;
    undefined_ = 0;
    expressionFailures_.clear();
    evaluations_ = 0;
    scriptTimedOut_ = false;
    spent_ = {};
}

void writePointScript(std::string& kod, double x, std::string_view expression) {
    kod.assign("x=");
    appendShortNumber(kod, x);
    kod.append("\r\nRes.p=").append(expression);
}

void Evaluator::evaluateUserExpression() {
    bool ok = false;
    // A point skipped after a time-out fails for the same reason.
    ScriptStatus status =
        ScriptStatus::failure(kScriptTimedOut, "сценарий выполняется слишком долго и прерван");
    try {
        if (!host_) status = ScriptStatus::failure(kInternalError, "внутренняя ошибка");
        if (host_ && !scriptTimedOut_) {
            // The budget counts the whole point, the script text included: an
            // expression near the length limit costs its copy on every throw.
            const auto start = std::chrono::steady_clock::now();
            // Built in place: the text keeps its storage from point to point.
            writePointScript(kod_, x_.value(), choice_.expression);
            host_->Reset();
            if (!res_) res_ = std::make_shared<PubResults>();
            status = host_->AddObject("Res", res_);
            if (status.ok) status = host_->ExecuteStatement(kod_);
            if (status.ok) {
                y_ = Number::dbl(res_->p);
                ok = true;
            }
            spent_ += std::chrono::steady_clock::now() - start;
            scriptTimedOut_ = status.number == kScriptTimedOut || spent_ > budget_;
        }
    } catch (const std::exception& e) {
        // A failing host is one more way the expression fails.
        status = ScriptStatus::failure(kInternalError, "внутренняя ошибка");
        if (report_) report_(std::string("script host failed: ") + e.what());
    } catch (...) {
        status = ScriptStatus::failure(kInternalError, "внутренняя ошибка");
        if (report_) report_("script host failed with an unknown exception");
    }
    if (ok) {
        expressionFailures_.recordSuccess(x_.value());
    } else {
        ++failures_;
        expressionFailures_.recordFailure(x_.value(), status, kod_, choice_.expression);
    }
}

}  // namespace mcplot
