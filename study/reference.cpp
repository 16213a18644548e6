#include "study/reference.h"

#include <boost/math/quadrature/gauss_kronrod.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mcplot::study {

namespace {

// Thrown through the quadrature to leave it at once.
struct Abort {};

// Gauss-Kronrod with 31 points, up to 2^15 subintervals: well past what any
// smooth preset needs, so a large error estimate means a real singularity.
using Quadrature = boost::math::quadrature::gauss_kronrod<double, 31>;
constexpr unsigned maxDepth = 15;
constexpr double requestedTolerance = 1e-12;
// An error estimate above this share of ∫|f| is not shown as an exact value.
constexpr double trustedRelativeError = 1e-8;

class Evaluator {
public:
    Evaluator(Integrand& f, const std::atomic<bool>& cancel, Stop* stop)
        : f_(f), cancel_(cancel), stop_(stop) {}

    double operator()(double x) {
        if (cancel_.load(std::memory_order_relaxed)) {
            stop_->kind = Stop::Cancelled;
            throw Abort{};
        }
        const std::optional<double> y = f_.at(x);
        if (!y) {
            // A stop by the cancel flag is not a failure of f.
            if (cancel_.load(std::memory_order_relaxed)) {
                stop_->kind = Stop::Cancelled;
            } else {
                stop_->kind = Stop::Failed;
                stop_->explanation = f_.explainFailure();
            }
            throw Abort{};
        }
        if (!std::isfinite(*y)) {
            ++nonFinite_;
            return 0.0;
        }
        return *y;
    }

    int nonFinite() const { return nonFinite_; }

private:
    Integrand& f_;
    const std::atomic<bool>& cancel_;
    Stop* stop_;
    int nonFinite_ = 0;
};

std::string numberText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

}  // namespace

const char* referenceKindKey(ReferenceKind kind) {
    switch (kind) {
        case ReferenceKind::Reliable:
            return "reliable";
        case ReferenceKind::Approximate:
            return "approximate";
        case ReferenceKind::Unreliable:
            return "unreliable";
        case ReferenceKind::Divergent:
            return "divergent";
        case ReferenceKind::Random:
            return "random";
        case ReferenceKind::Failed:
            return "failed";
    }
    return "failed";
}

Reference crossCheck(const Reference& r, double meanValueEstimate, double standardError) {
    if (!r.squareIntegrable || !std::isfinite(r.value) || !std::isfinite(meanValueEstimate) ||
        !(standardError >= 0) || std::fabs(r.value - meanValueEstimate) <= 5 * standardError)
        return r;
    Reference out = r;
    out.kind = ReferenceKind::Unreliable;
    out.verdict =
        "Квадратура и длинный опыт по среднему значению расходятся больше чем на 5 стандартных "
        "ошибок: квадратура даёт " +
        numberText(r.value) + ", опыт — " + numberText(meanValueEstimate) + ". Точное значение ненадёжно.";
    return out;
}

Reference computeReference(Integrand& f, const Box& box, const std::atomic<bool>& cancel, Stop* stop) {
    Reference r;
    Stop local;
    if (!stop) stop = &local;
    *stop = Stop{};
    if (!(std::isfinite(box.a) && std::isfinite(box.b))) {
        r.verdict = "Пределы интегрирования не являются конечными числами.";
        return r;
    }
    if (box.a == box.b) {
        r.kind = ReferenceKind::Reliable;
        r.value = r.error = r.squareIntegral = r.clippedIntegral = r.clippedAbsIntegral = 0;
        r.verdict = "Отрезок нулевой длины: интеграл равен нулю.";
        return r;
    }
    Evaluator eval(f, cancel, stop);
    try {
        double error = 0, l1 = 0;
        r.value =
            Quadrature::integrate(std::ref(eval), box.a, box.b, maxDepth, requestedTolerance, &error, &l1);
        r.error = error;
        const double top = std::max(box.ymax, 0.0), bottom = std::min(box.ymin, 0.0);
        auto clip = [&](double y) { return y >= 0 ? std::min(y, top) : std::max(y, bottom); };
        auto square = [&](double x) {
            const double y = eval(x);
            return y * y;
        };
        auto clipped = [&](double x) { return clip(eval(x)); };
        auto clippedAbs = [&](double x) { return std::fabs(clip(eval(x))); };
        double ignored = 0;
        r.squareIntegral = Quadrature::integrate(square, box.a, box.b, maxDepth, 1e-10, &ignored);
        r.clippedIntegral = Quadrature::integrate(clipped, box.a, box.b, maxDepth, 1e-10, &ignored);
        r.clippedAbsIntegral = Quadrature::integrate(clippedAbs, box.a, box.b, maxDepth, 1e-10, &ignored);

        const double scale = std::max(std::fabs(l1), std::fabs(r.value));
        if (eval.nonFinite() > 0) {
            r.kind = ReferenceKind::Failed;
            r.value = Reference::NaN;
            r.verdict =
                "Функция не имеет конечного значения в некоторых точках отрезка (полюс или деление "
                "на ноль): точное значение интеграла получить нельзя.";
        } else if (!std::isfinite(r.value) || !std::isfinite(r.error)) {
            r.kind = ReferenceKind::Divergent;
            r.value = Reference::NaN;
            r.verdict = "Интеграл расходится.";
        } else if (r.error > scale) {
            // An error estimate on the scale of the integral itself: the area is not finite.
            r.kind = ReferenceKind::Divergent;
            r.value = Reference::NaN;
            r.verdict = "Интеграл, по-видимому, расходится: у функции полюс на отрезке.";
        } else if (r.error > trustedRelativeError * scale && r.error > 1e-14) {
            r.kind = ReferenceKind::Approximate;
            r.verdict =
                "Квадратура не достигла малой погрешности: у функции, по-видимому, есть полюс или "
                "скачок на отрезке. Значение приближённое.";
        } else {
            r.kind = ReferenceKind::Reliable;
            r.verdict = "Точное значение надёжно: оценка его погрешности мала.";
        }
    } catch (const Abort&) {
        return Reference{};
    } catch (const std::exception&) {
        r = Reference{};
        r.kind = ReferenceKind::Divergent;
        r.verdict = "Интеграл расходится.";
    }
    return r;
}

}  // namespace mcplot::study
