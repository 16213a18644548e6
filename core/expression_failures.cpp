#include "core/expression_failures.h"

#include "core/failure_text.h"

#include <algorithm>

namespace mcplot {

namespace {

// "точке" after 1, 21, 31..., "точках" otherwise: the count stands with "в ... из".
const char* pointWord(int n) {
    const int lastTwo = n % 100;
    return (n % 10 == 1 && lastTwo != 11) ? "точке" : "точках";
}

// Points kept apart at most; past it, further ones are only counted.
constexpr size_t kMaxKept = size_t(1) << 17;

}  // namespace

void ExpressionFailures::PointSet::add(double x) {
    if (!full_ && kept_.size() >= kMaxKept) {
        makeDistinct();
        full_ = kept_.size() >= kMaxKept / 2;
    }
    if (full_) {
        ++beyond_;
        return;
    }
    kept_.push_back(x);
    distinct_ = false;
}

void ExpressionFailures::PointSet::makeDistinct() const {
    if (distinct_) return;
    std::sort(kept_.begin(), kept_.end());
    kept_.erase(std::unique(kept_.begin(), kept_.end()), kept_.end());
    distinct_ = true;
}

int ExpressionFailures::PointSet::count() const {
    makeDistinct();
    return static_cast<int>(kept_.size()) + beyond_;
}

void ExpressionFailures::PointSet::clear() {
    kept_.clear();
    distinct_ = true;
    full_ = false;
    beyond_ = 0;
}

void ExpressionFailures::clear() {
    tried_.clear();
    failed_.clear();
    first_ = FailureRecord{};
}

void ExpressionFailures::recordSuccess(double x) {
    tried_.add(x == 0 ? 0.0 : x);  // -0 and 0 are the same point
}

void ExpressionFailures::recordFailure(double x, const ScriptStatus& status, const std::string& kod,
                                       const std::string& userText) {
    if (x == 0) x = 0.0;
    tried_.add(x);
    if (failed_.empty()) {
        first_ = FailureRecord{status, kod, userText, x};
    }
    failed_.add(x);
}

int ExpressionFailures::points() const {
    return tried_.count();
}

int ExpressionFailures::failedPoints() const {
    return failed_.count();
}

std::string ExpressionFailures::summary() const {
    if (failed_.empty()) return {};
    std::string text;
    if (isSyntaxError(first_.status.number)) {
        text = texts::notParsed;
    } else {
        const int failed = failedPoints();
        text = texts::failedPoints + std::to_string(failed) + " " + pointWord(failed) + " из " +
               std::to_string(points()) + ". ";
    }
    text += failureText(first_.status, first_.kod, first_.userText, first_.x);
    if (const std::string advice = failureAdvice(first_); !advice.empty()) text += ". " + advice;
    return text;
}

}  // namespace mcplot
