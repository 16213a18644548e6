// The user's expression through the script host; the built-in formulas are
// inline in the header.
#include "core/evaluation.h"

#include <exception>

namespace mcplot {

Evaluator::Evaluator(FunctionChoice choice, ScriptHost* host) : choice_(std::move(choice)), host_(host) {}

void Evaluator::startBudget() {
    failures_ = 0;
    undefined_ = 0;
    evaluations_ = 0;
    scriptTimedOut_ = false;
    spent_ = {};
}

void Evaluator::evaluateUserExpression() {
    kod_ = "x=" + shortNumber(x_.value()) + "\r\n" + "Res.p=" + choice_.expression;
    bool ok = false;
    try {
        if (host_ && !scriptTimedOut_) {
            const auto start = std::chrono::steady_clock::now();
            host_->Reset();
            if (!res_) res_ = std::make_shared<PubResults>();
            ScriptStatus status = host_->AddObject("Res", res_);
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
        if (report_) report_(std::string("script host failed: ") + e.what());
    } catch (...) {
        if (report_) report_("script host failed with an unknown exception");
    }
    if (!ok) ++failures_;
}

}  // namespace mcplot
