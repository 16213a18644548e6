#include "core/budgeted_script_host.h"

#include <algorithm>

namespace mcplot {

BudgetedScriptHost::BudgetedScriptHost(std::unique_ptr<ScriptHost> inner, ActionBudget& budget,
                                       RunLimit setRunLimit, std::chrono::milliseconds longestRun)
    : inner_(std::move(inner)), budget_(budget), setRunLimit_(std::move(setRunLimit)), longestRun_(longestRun) {}

ScriptStatus BudgetedScriptHost::ExecuteStatement(std::string_view code) {
    using namespace std::chrono;
    if (budget_.exhausted()) return ScriptStatus::failure(kScriptTimedOut, "Script timed out");
    if (setRunLimit_) {
        // Rounded up, so that a budget with a fraction of a millisecond left
        // still lets a quick run finish.
        const milliseconds left = budget_.inAction() ? ceil<milliseconds>(budget_.remaining()) : longestRun_;
        const milliseconds limit = std::min(longestRun_, left);
        if (limit != lastLimit_) {
            setRunLimit_(limit);
            lastLimit_ = limit;
        }
    }
    const auto start = ActionBudget::Clock::now();
    ScriptStatus status = inner_->ExecuteStatement(code);
    budget_.charge(ActionBudget::Clock::now() - start);
    if (!status.ok && status.number == kScriptTimedOut) budget_.exhaust();
    return status;
}

}  // namespace mcplot
