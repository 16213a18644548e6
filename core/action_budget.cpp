#include "core/action_budget.h"

namespace mcplot {

ActionBudget::Clock::duration ActionBudget::remaining() const {
    if (depth_ == 0) return Clock::duration::max();
    if (exhausted()) return Clock::duration::zero();
    return current_ - spent_;
}

void ActionBudget::charge(Clock::duration spent) {
    if (depth_ > 0) spent_ += spent;
}

void ActionBudget::exhaust() {
    if (depth_ > 0) exhausted_ = true;
}

void ActionBudget::begin() {
    if (depth_++ > 0) return;
    current_ = budget_;
    spent_ = {};
    exhausted_ = false;
}

void ActionBudget::end() {
    if (depth_ > 0) --depth_;
}

}  // namespace mcplot
