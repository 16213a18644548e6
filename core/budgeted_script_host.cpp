#include "core/budgeted_script_host.h"

#include <algorithm>

namespace mcplot {

BudgetedScriptHost::BudgetedScriptHost(std::unique_ptr<ScriptHost> inner, TimeBudget& budget,
                                       RunLimit setRunLimit, std::chrono::milliseconds longestRun)
    : inner_(std::move(inner)),
      budget_(budget),
      setRunLimit_(std::move(setRunLimit)),
      longestRun_(longestRun) {}

namespace {

// Charges the time from construction to destruction to the action's budget.
class Charge {
public:
    explicit Charge(TimeBudget& budget) : budget_(budget), start_(TimeBudget::Clock::now()) {}
    ~Charge() { budget_.charge(TimeBudget::Clock::now() - start_); }
    Charge(const Charge&) = delete;
    Charge& operator=(const Charge&) = delete;

private:
    TimeBudget& budget_;
    TimeBudget::Clock::time_point start_;
};

}  // namespace

void BudgetedScriptHost::Reset() {
    Charge charge(budget_);
    inner_->Reset();
}

ScriptStatus BudgetedScriptHost::AddObject(std::string_view name, std::shared_ptr<PubResults> object) {
    Charge charge(budget_);
    return inner_->AddObject(name, std::move(object));
}

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
    ScriptStatus status;
    {
        Charge charge(budget_);
        status = inner_->ExecuteStatement(code);
    }
    if (!status.ok && status.number == kScriptTimedOut) budget_.exhaust();
    return status;
}

}  // namespace mcplot
