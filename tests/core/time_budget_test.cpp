// The time budget of one user action and the script host that runs on it.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/time_budget.h"
#include "core/budgeted_script_host.h"

namespace mcplot {
namespace {

using namespace std::chrono_literals;

TEST(TimeBudget, OnlyTheOutermostScopeStartsAFreshBudget) {
    TimeBudget budget(100ms);
    EXPECT_FALSE(budget.inAction());
    EXPECT_EQ(budget.remaining(), TimeBudget::Clock::duration::max());
    {
        TimeBudget::Scope click(budget);
        budget.charge(60ms);
        {
            // A handler run from inside the first: same action, same budget.
            TimeBudget::Scope nested(budget);
            EXPECT_EQ(budget.remaining(), 40ms);
            budget.charge(30ms);
        }
        EXPECT_EQ(budget.remaining(), 10ms);
        EXPECT_FALSE(budget.exhausted());
        budget.charge(10ms);
        EXPECT_TRUE(budget.exhausted());
        EXPECT_EQ(budget.remaining(), 0ms);
    }
    EXPECT_FALSE(budget.exhausted());
    TimeBudget::Scope next(budget);
    EXPECT_EQ(budget.remaining(), 100ms);
}

TEST(TimeBudget, ExhaustEndsOnlyTheCurrentAction) {
    TimeBudget budget(100ms);
    budget.exhaust();  // outside an action: nothing to end
    budget.charge(500ms);
    {
        TimeBudget::Scope action(budget);
        EXPECT_FALSE(budget.exhausted());
        budget.exhaust();
        EXPECT_TRUE(budget.exhausted());
        EXPECT_EQ(budget.remaining(), 0ms);
    }
    TimeBudget::Scope next(budget);
    EXPECT_FALSE(budget.exhausted());
    budget.setBudget(5ms);  // for later actions only
    EXPECT_EQ(budget.remaining(), 100ms);
}

TEST(TimeBudget, StartOpensABudgetUntilTheNextStart) {
    using Charges = std::vector<TimeBudget::Clock::duration>;
    const struct {
        const char* name;
        Charges charges;
        bool stoppedByARun;
        bool exhausted;
        TimeBudget::Clock::duration remaining;
    } cases[] = {
        {"nothing spent", {}, false, false, 100ms},
        {"part spent", {40ms, 20ms}, false, false, 40ms},
        {"all spent", {60ms, 40ms}, false, true, 0ms},
        {"a run stopped by its limit", {10ms}, true, true, 0ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimeBudget budget(100ms);
        budget.charge(500ms);  // before the start: not counted
        budget.start();
        for (const auto spent : c.charges) budget.charge(spent);
        if (c.stoppedByARun) budget.exhaust();
        EXPECT_EQ(budget.exhausted(), c.exhausted);
        EXPECT_EQ(budget.remaining(), c.remaining);
        budget.start();
        EXPECT_FALSE(budget.exhausted());
        EXPECT_EQ(budget.remaining(), 100ms);
    }
}

TEST(BudgetedScriptHost, ResettingIsChargedToo) {
    // Freeing what a run built can take as long as building it.
    class SlowReset : public ScriptHost {
    public:
        void Reset() override { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }
        ScriptStatus AddObject(std::string_view, std::shared_ptr<PubResults>) override { return {}; }
        ScriptStatus ExecuteStatement(std::string_view) override { return {}; }
    };
    TimeBudget budget(50ms);
    BudgetedScriptHost host(std::make_unique<SlowReset>(), budget);
    TimeBudget::Scope action(budget);
    host.Reset();
    EXPECT_TRUE(host.ExecuteStatement("x").ok);
    host.Reset();
    EXPECT_TRUE(budget.exhausted());
    EXPECT_EQ(host.ExecuteStatement("x").number, kScriptTimedOut);
}

// A host whose every run takes `cost`, or is stopped by its time limit first.
class SlowHost : public ScriptHost {
public:
    explicit SlowHost(std::chrono::milliseconds cost, int* runs) : cost_(cost), runs_(runs) {}
    void Reset() override {}
    ScriptStatus AddObject(std::string_view, std::shared_ptr<PubResults>) override { return {}; }
    ScriptStatus ExecuteStatement(std::string_view) override {
        ++*runs_;
        if (cost_ > limit) {
            std::this_thread::sleep_for(limit);
            return ScriptStatus::failure(kScriptTimedOut, "Script timed out");
        }
        std::this_thread::sleep_for(cost_);
        return ScriptStatus::success();
    }
    std::chrono::milliseconds limit{750};

private:
    std::chrono::milliseconds cost_;
    int* runs_;
};

struct Budgeted {
    explicit Budgeted(std::chrono::milliseconds cost, std::chrono::milliseconds total) : budget(total) {
        auto inner = std::make_unique<SlowHost>(cost, &runs);
        slow = inner.get();
        host = std::make_unique<BudgetedScriptHost>(std::move(inner), budget,
                                                    [this](std::chrono::milliseconds ms) {
                                                        slow->limit = ms;
                                                        limits.push_back(ms);
                                                    });
    }
    int runs = 0;
    TimeBudget budget;
    SlowHost* slow = nullptr;
    std::unique_ptr<BudgetedScriptHost> host;
    std::vector<std::chrono::milliseconds> limits;
};

TEST(BudgetedScriptHost, RunsShareTheActionsBudgetThenFailAtOnce) {
    Budgeted b(30ms, 100ms);
    TimeBudget::Scope action(b.budget);
    int ok = 0, timedOut = 0;
    const auto start = TimeBudget::Clock::now();
    for (int k = 0; k < 50; ++k) {
        const ScriptStatus s = b.host->ExecuteStatement("Res.p=x");
        if (s.ok)
            ++ok;
        else if (s.number == kScriptTimedOut)
            ++timedOut;
    }
    const auto took = TimeBudget::Clock::now() - start;
    // Three runs fit; the fourth gets only what is left and is stopped.
    EXPECT_LE(b.runs, 4);
    EXPECT_GE(ok, 1);
    EXPECT_EQ(ok + timedOut, 50);
    EXPECT_LT(took, 1s);  // fifty runs of 30 ms would take 1.5 s
    ASSERT_FALSE(b.limits.empty());
    EXPECT_LE(b.limits.back(), 100ms);
}

TEST(BudgetedScriptHost, ARunStoppedByItsLimitEndsTheAction) {
    int runs = 0;
    TimeBudget budget(2s);
    auto inner = std::make_unique<SlowHost>(2000ms, &runs);
    inner->limit = 20ms;  // the host's own limit, far below the action's budget
    BudgetedScriptHost host(std::move(inner), budget);
    {
        TimeBudget::Scope action(budget);
        EXPECT_EQ(host.ExecuteStatement("x").number, kScriptTimedOut);
        EXPECT_EQ(host.ExecuteStatement("x").number, kScriptTimedOut);
        EXPECT_EQ(runs, 1);
    }
    // The next action tries again.
    TimeBudget::Scope next(budget);
    EXPECT_EQ(host.ExecuteStatement("x").number, kScriptTimedOut);
    EXPECT_EQ(runs, 2);
}

TEST(BudgetedScriptHost, OutsideAnActionRunsKeepTheHostsOwnLimit) {
    Budgeted b(1ms, 1ms);
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(b.host->ExecuteStatement("x").ok);
    EXPECT_EQ(b.runs, 5);
    ASSERT_EQ(b.limits.size(), 1u);  // set once, not before every run
    EXPECT_EQ(b.limits[0], 750ms);
}

}  // namespace
}  // namespace mcplot
