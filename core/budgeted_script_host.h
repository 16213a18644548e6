// A script host that runs the user's expression on the current user action's
// time budget (see TimeBudget): each run may take at most what is left of
// the budget, its time is charged to it, and once the budget is spent, or a
// run was stopped by its time limit, every further run of the action fails at
// once with the time-out error instead of starting.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "core/time_budget.h"
#include "core/script_host.h"

namespace mcplot {

class BudgetedScriptHost : public ScriptHost {
public:
    // Sets the longest time the wrapped host lets one run take.
    using RunLimit = std::function<void(std::chrono::milliseconds)>;

    // longestRun is the wrapped host's own limit, restored outside actions.
    BudgetedScriptHost(std::unique_ptr<ScriptHost> inner, TimeBudget& budget, RunLimit setRunLimit = {},
                       std::chrono::milliseconds longestRun = budgets::kScriptRun);

    // Resetting is charged too: it frees what the last run built, which for
    // a deeply nested value takes as long as building it.
    void Reset() override;
    ScriptStatus AddObject(std::string_view name, std::shared_ptr<PubResults> object) override;
    ScriptStatus ExecuteStatement(std::string_view code) override;
    void setStopFlag(const std::atomic<bool>* flag) override { inner_->setStopFlag(flag); }

private:
    std::unique_ptr<ScriptHost> inner_;
    TimeBudget& budget_;
    RunLimit setRunLimit_;
    std::chrono::milliseconds longestRun_;
    std::chrono::milliseconds lastLimit_{-1};
};

}  // namespace mcplot
