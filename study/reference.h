// The reference value I* of the integral, and an honest verdict on it.
//
// A fine scan of f over [a, b] seeds adaptive Gauss-Kronrod quadrature with
// intervals that cannot miss what the scan saw; points where the quadrature
// has to dig deep, or where f has no value, are examined for how f grows
// there, so that a pole gives "the integral diverges" instead of a number, a
// jump or an integrable singularity gives an approximate value with an honest
// error bound, and a removable point (0/0) changes nothing. Besides I* it
// gives the integrals the theory of the two Monte Carlo estimates needs: of
// f², and of f clipped to the throwing box.
#pragma once

#include <atomic>
#include <limits>
#include <optional>
#include <string>

#include "core/monte_carlo.h"
#include "core/time_budget.h"
#include "study/integrand.h"

namespace mcplot::study {

// The box [a, b] × [ymin, ymax] the throws fall into.
using Box = mcplot::Box;

enum class ReferenceKind {
    Reliable,     // I* with a small error
    Approximate,  // a jump or an integrable singularity, or the budget ran out: I* with a wider error
    Unreliable,   // two independent checks disagree (see crossCheck)
    Divergent,    // the integral is infinite: no number at all
    Random,       // f gives different values at the same x: no integral to compute
    Failed,       // f has no value on a part of [a, b] that matters, or the computation was stopped
};

// The stable ASCII name of a kind: "reliable", "approximate", "unreliable",
// "divergent", "random", "failed".
const char* referenceKindKey(ReferenceKind kind);

struct Reference {
    ReferenceKind kind = ReferenceKind::Failed;
    double value = std::numeric_limits<double>::quiet_NaN();  // I*; NaN when there is no number
    double error = std::numeric_limits<double>::quiet_NaN();  // a bound on |I* − I|
    std::string verdict;                                      // plain Russian, always set

    // Where f has a pole, a jump, an integrable singularity or no value, when
    // that decides the verdict.
    std::optional<double> singularity;

    // False when ∫ f² diverges (1/√x): the mean-value estimate then has no
    // standard error, and squareIntegral is +∞.
    bool squareIntegrable = true;

    // ∫ f² dx; ∫ c(f) dx and ∫ |c(f)| dx with c(f) the value clipped to the
    // box's height on its own side of the axis: what a throw can see. The
    // clipped integrals are finite even where ∫ f diverges.
    double squareIntegral = std::numeric_limits<double>::quiet_NaN();
    double clippedIntegral = std::numeric_limits<double>::quiet_NaN();
    double clippedAbsIntegral = std::numeric_limits<double>::quiet_NaN();

    bool reliable() const { return kind == ReferenceKind::Reliable; }
};

// A reference computation: the reference, with its verdict whatever
// happened; when f fails on a part of [a, b] that matters, the reference is
// Failed and the outcome holds f's failure there (a part where f merely has
// no finite value is Failed without one); the cancel flag, checked at every
// evaluation, stops it as cancelled. Failures and non-finite values at
// isolated points do not stop it.
using ReferenceOutcome = Outcome<Reference>;

// Computes the reference over the box's [a, b] within its time,
// budgets::kReferenceComputation, and the given number of evaluations of f.
ReferenceOutcome computeReference(Integrand& f, const Box& box, const std::atomic<bool>& cancel,
                                  long evaluations = budgets::kReferenceEvaluations);

// The check of I* against an independent estimate of the same integral (the
// study's long mean-value run): when they differ by more than 5 standard
// errors, the reference becomes Unreliable with a verdict that shows both.
// A reference without a number, or one whose f² is not integrable (the
// standard error then means nothing), is returned as it is.
Reference crossCheck(const Reference& reference, double meanValueEstimate, double standardError);

}  // namespace mcplot::study
