// The function a study integrates, seen as a plain f(x) in double. Every
// worker thread makes its own instance through the factory, so an instance
// never needs to be thread-safe (the user's expression has one interpreter
// per thread).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "core/evaluation_result.h"

namespace mcplot::study {

class Integrand {
public:
    virtual ~Integrand() = default;

    // f(x). A value that is not finite means f has no value at x (a built-in
    // formula at its pole); a failure means the evaluation itself failed (the
    // user's expression), and says why.
    virtual EvaluationResult at(double x) = 0;

    // f at xs[0..n) in order, as far as it can be found without at() and
    // without any effect on later evaluations: returns how many values it
    // wrote. The caller asks at() for the point after them. Points in
    // batches cost the user's expression a fraction of at() each.
    virtual size_t values(const double* /*xs*/, double* /*ys*/, size_t /*n*/) { return 0; }

    // The study's cancel flag: an evaluation that can take long (the user's
    // expression) stops soon after it is set, and then fails.
    virtual void setStopFlag(const std::atomic<bool>* flag) { (void)flag; }
};

using IntegrandFactory = std::function<std::unique_ptr<Integrand>()>;

// What a computation over f gives: its result, and what stopped it early if
// anything did: the failure of f where it matters, or the cancel flag.
// Failures at points the computation can do without do not stop it. The
// study's parts, its pages and the main window's evaluation all say a
// failure of f with the same EvaluationFailure.
template <class Result>
struct Outcome {
    // Of a stopped computation only what it says about the stop (the
    // reference's verdict), or nothing (an empty scan).
    Result result{};
    std::optional<EvaluationFailure> failure{};
    bool cancelled = false;

    bool stopped() const { return failure.has_value() || cancelled; }
};

// An integrand over a plain callable, for built-in formulas and tests.
template <class F>
class FunctionIntegrand : public Integrand {
public:
    explicit FunctionIntegrand(F f) : f_(std::move(f)) {}
    EvaluationResult at(double x) override { return f_(x); }

private:
    F f_;
};

template <class F>
IntegrandFactory factoryOf(F f) {
    return [f] { return std::make_unique<FunctionIntegrand<F>>(f); };
}

}  // namespace mcplot::study
