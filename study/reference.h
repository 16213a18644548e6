// The reference value I* of the integral by adaptive Gauss-Kronrod quadrature,
// with the error estimate of the quadrature and an honest verdict when it
// cannot be trusted. Besides I* it gives the integrals the theory of the two
// Monte Carlo estimates needs: of f², and of f clipped to the throwing box.
#pragma once

#include <atomic>
#include <limits>
#include <optional>
#include <string>

#include "core/monte_carlo.h"
#include "study/integrand.h"

namespace mcplot::study {

// The box [a, b] × [ymin, ymax] the throws fall into.
using Box = mcplot::Box;

enum class ReferenceKind { Reliable, Approximate, Unreliable, Divergent, Random, Failed };
// "reliable", "approximate", "unreliable", "divergent", "random", "failed".
const char* referenceKindKey(ReferenceKind kind);

struct Reference {
    static constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    ReferenceKind kind = ReferenceKind::Failed;
    double value = NaN;                 // I*; NaN for Divergent, Random, Failed
    double error = NaN;                 // the quadrature's own error estimate
    std::string verdict;                // plain Russian, always set
    std::optional<double> singularity;  // x ≈ c where known
    bool squareIntegrable = true;       // false: the mean-value standard error means nothing

    // ∫ f² dx; ∫ c(f) dx and ∫ |c(f)| dx with c(f) the value clipped to the
    // box's height on its own side of the axis: what a throw can see.
    double squareIntegral = NaN, clippedIntegral = NaN, clippedAbsIntegral = NaN;

    bool reliable() const { return kind == ReferenceKind::Reliable; }
};

// Why a computation on the integrand stopped early.
struct Stop {
    enum Kind { None, Cancelled, Failed } kind = None;
    std::string explanation;  // for Failed
};

// Computes the reference over the box's [a, b]. A failure of f stops it and
// fills *stop; so does the cancel flag, which is checked at every evaluation.
Reference computeReference(Integrand& f, const Box& box, const std::atomic<bool>& cancel, Stop* stop);

// Turns the reference Unreliable (verdict shows both values) when I* and the
// long mean-value run differ by more than 5 standard errors; returns it
// unchanged otherwise or when !squareIntegrable.
Reference crossCheck(const Reference& r, double meanValueEstimate, double standardError);

}  // namespace mcplot::study
