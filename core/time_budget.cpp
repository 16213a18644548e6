#include "core/time_budget.h"

namespace mcplot {

TimeBudget::Clock::duration TimeBudget::remaining() const {
    if (depth_ == 0) return Clock::duration::max();
    if (exhausted()) return Clock::duration::zero();
    return current_ - spent_;
}

void TimeBudget::charge(Clock::duration spent) {
    if (depth_ > 0) spent_ += spent;
}

void TimeBudget::exhaust() {
    if (depth_ > 0) exhausted_ = true;
}

void TimeBudget::begin() {
    if (depth_++ > 0) return;
    current_ = budget_;
    spent_ = {};
    exhausted_ = false;
}

void TimeBudget::start() {
    depth_ = 0;
    begin();
}

void TimeBudget::end() {
    if (depth_ > 0) --depth_;
}

}  // namespace mcplot
