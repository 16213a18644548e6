#include "core/expression_failures.h"

#include "core/failure_text.h"

namespace mcplot {

namespace {

// "точке" after 1, 21, 31..., "точках" otherwise: the count stands with "в ... из".
const char* pointWord(int n) {
    const int lastTwo = n % 100;
    return (n % 10 == 1 && lastTwo != 11) ? "точке" : "точках";
}

}  // namespace

void ExpressionFailures::clear() {
    tried_.clear();
    failed_.clear();
    first_ = ScriptStatus::success();
    firstKod_.clear();
    firstUserText_.clear();
    firstX_ = 0;
}

void ExpressionFailures::recordSuccess(double x) { tried_.insert(x == 0 ? 0.0 : x); }

void ExpressionFailures::recordFailure(double x, const ScriptStatus& status, const std::string& kod,
                                       const std::string& userText) {
    if (x == 0) x = 0.0;  // -0 and 0 are the same point
    tried_.insert(x);
    if (failed_.empty()) {
        first_ = status;
        firstKod_ = kod;
        firstUserText_ = userText;
        firstX_ = x;
    }
    failed_.insert(x);
}

std::string ExpressionFailures::summary() const {
    if (failed_.empty()) return {};
    const int failed = failedPoints();
    return texts::failedPoints + std::to_string(failed) + " " + pointWord(failed) + " из " +
           std::to_string(points()) + ". " + failureText(first_, firstKod_, firstUserText_, firstX_);
}

}  // namespace mcplot
