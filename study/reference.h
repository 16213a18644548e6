// The reference value I* of the integral by adaptive Gauss-Kronrod quadrature,
// with the error estimate of the quadrature and an honest verdict when it
// cannot be trusted. Besides I* it gives the integrals the theory of the two
// Monte Carlo estimates needs: of f², and of f clipped to the throwing box.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "study/integrand.h"

namespace mcplot::study {

// The box [a, b] × [ymin, ymax] the throws fall into.
struct Box {
    double a = 0, b = 0;
    double ymin = 0, ymax = 0;
    double width() const { return b - a; }
    double height() const { return ymax - ymin; }
    double area() const { return (ymax - ymin) * (b - a); }
};

struct Reference {
    double value = 0;       // I*
    double error = 0;       // the quadrature's own error estimate
    bool reliable = false;  // the error is small against the size of the integral
    std::string verdict;    // why not, in Russian; empty when reliable

    // ∫ f² dx; ∫ c(f) dx and ∫ |c(f)| dx with c(f) the value clipped to the
    // box's height on its own side of the axis: what a throw can see.
    double squareIntegral = 0;
    double clippedIntegral = 0;
    double clippedAbsIntegral = 0;
};

// Why a computation on the integrand stopped early.
struct Stop {
    enum Kind { None, Cancelled, Failed } kind = None;
    std::string explanation;  // for Failed
};

// Computes the reference over the box's [a, b]. A failure of f stops it and
// fills *stop; so does the cancel flag, which is checked at every evaluation.
Reference computeReference(Integrand& f, const Box& box, const std::atomic<bool>& cancel, Stop* stop);

}  // namespace mcplot::study
