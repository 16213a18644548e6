#include "study/reference.h"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace mcplot::study {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// The scan has 40 points in every interval of the main window's 100-interval
// range scan, so it sees whatever that scan saw, and a good deal more.
constexpr int scanIntervals = 4000;
constexpr int scanPerPanel = 40;
// A scan point whose value leaves the line through its neighbours by this
// share of their size is a feature the first panels' nodes might step over;
// the largest of them get panels of one scan step.
constexpr double sharpShare = 0.05;
constexpr size_t maxSharpPoints = 64;

// Tolerances relative to ∫|f| (and to the clipped integrals for the others);
// below that, the rounding of the smallest numbers decides.
constexpr double requestedTolerance = 1e-12;
constexpr double secondaryTolerance = 1e-10;
constexpr double trustedTolerance = 1e-8;
constexpr double roundingFloor = 1e3 * std::numeric_limits<double>::denorm_min();
// An Approximate value's error bound is the quadrature's own estimate times this.
constexpr double approximateWidening = 10;

// Shares of the length of [a, b]: a panel narrower than deepShare marks a
// point worth examining; below smallestShare panels are not split further.
constexpr double deepShare = 1e-9;
constexpr double smallestShare = 1e-15;
constexpr int maxStalls = 4;
constexpr size_t maxDeepPanels = 400;

// |f| ~ |x − c|^(−p) near a point: p ≥ 0.97 is taken for a non-integrable
// singularity (the fit gives p = 1.000 for simple poles), and f² stops being
// integrable at half of that.
constexpr double divergentGrowth = 0.97;
constexpr double squareDivergentGrowth = divergentGrowth / 2;

using Kronrod = boost::math::quadrature::gauss_kronrod<double, 31>;
using Gauss = boost::math::quadrature::gauss<double, 15>;
constexpr long evaluationsPerPanel = 31;

enum Component { F, Square, Clipped, ClippedAbs, Components };
using Sums = std::array<double, Components>;

// Evaluations so slow that the computation is this far past its time stop
// it; before that, running out of time only ends the quadrature's refinement.
constexpr double overrunShare = 1.6;

double ulp(double x) {
    x = std::fabs(x);
    return std::nextafter(x, infinity) - x;
}

// A number for the verdict: a few significant digits, a decimal comma, and
// "·10⁻⁷" instead of "e-07" for the very small and the very large.
std::string plainNumber(double v, int digits) {
    if (v == 0) return "0";
    if (!std::isfinite(v)) return std::isnan(v) ? "?" : (v > 0 ? "∞" : "-∞");
    char buffer[64];
    std::string out;
    const double magnitude = std::fabs(v);
    if (magnitude >= 1e-4 && magnitude < std::pow(10.0, digits)) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, v);
        out = buffer;
    } else {
        std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, v);
        std::string text = buffer;
        const size_t e = text.find('e');
        std::string mantissa = text.substr(0, e);
        if (mantissa.find('.') != std::string::npos) {
            while (mantissa.back() == '0') mantissa.pop_back();
            if (mantissa.back() == '.') mantissa.pop_back();
        }
        const int exponent = std::stoi(text.substr(e + 1));
        static const char* superscript[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
        std::string power;
        for (char c : std::to_string(std::abs(exponent))) power += superscript[c - '0'];
        out = (mantissa == "1" ? std::string("10") : mantissa + "·10") + (exponent < 0 ? "⁻" : "") + power;
        if (mantissa == "-1") out = "-10" + std::string(exponent < 0 ? "⁻" : "") + power;
    }
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
}

// Evaluates f for the reference: counts the evaluations, watches the time
// and the cancel flag, and gives std::nullopt wherever f has no finite value.
// Once the cancel flag or the time has stopped it, it evaluates f no more and
// gives no values: the computation looks at halted() after each stage.
class Sampler {
public:
    enum class Halt { None, Cancelled, OutOfTime };

    Sampler(Integrand& f, const std::atomic<bool>& cancel, long evaluations)
        : f_(f), cancel_(cancel), evaluations_(evaluations) {
        time_.start();
    }

    std::optional<double> operator()(double x) {
        if (halted() || cancelled()) return std::nullopt;
        // Far past the soft limit only when single evaluations are slow.
        if ((++count_ & 15) == 0 && overran()) {
            halt_ = Halt::OutOfTime;
            return std::nullopt;
        }
        const EvaluationResult y = f_.at(x);
        if (!y) {
            cancelled();  // a stop by the cancel flag is not a failure of f
            return std::nullopt;
        }
        if (!std::isfinite(*y)) return std::nullopt;
        return *y;
    }

    // Why f has no value at x: its failure there, none when its value is not finite.
    std::optional<EvaluationFailure> failureAt(double x) {
        const EvaluationResult y = f_.at(x);
        if (y) return std::nullopt;
        return y.failure();
    }

    Halt halt() const { return halt_; }
    bool halted() const { return halt_ != Halt::None; }
    bool exhausted() { return halted() || count_ >= evaluations_ || outOfTime(); }
    long remaining() const { return std::max(0L, evaluations_ - count_); }

private:
    bool cancelled() {
        if (cancel_.load(std::memory_order_relaxed)) halt_ = Halt::Cancelled;
        return halt_ == Halt::Cancelled;
    }
    // The budget, charged with the time since the last look.
    const TimeBudget& look() {
        const TimeBudget::Clock::time_point now = TimeBudget::Clock::now();
        time_.charge(now - lastLook_);
        lastLook_ = now;
        return time_;
    }
    bool outOfTime() { return look().exhausted(); }
    bool overran() { return look().spent() > overrunShare * time_.budget(); }

    Integrand& f_;
    const std::atomic<bool>& cancel_;
    const long evaluations_;
    TimeBudget time_{budgets::kReferenceComputation};
    TimeBudget::Clock::time_point lastLook_ = TimeBudget::Clock::now();
    long count_ = 0;
    Halt halt_ = Halt::None;
};

// One interval of the adaptive quadrature with its Gauss-Kronrod sums.
struct Panel {
    double lo = 0, hi = 0;
    Sums value{}, error{};
    double absF = 0;    // ∫|f| by the Kronrod rule
    double maxAbs = 0;  // the largest |f| at its nodes
    bool splittable = true;
    // Deep splits that did not make the error smaller: rounding noise of f,
    // which more splitting cannot remove.
    int stalls = 0;
    bool stalled = false;
    double width() const { return hi - lo; }
};

// A point to examine: where f has no value, or where the quadrature dug deep.
struct Spot {
    double c = 0;
    double uncertainty = 0;  // c is within this of the point itself
    bool noValueAt = false;  // f has no value at c itself
};

enum class Shape { Smooth, Removable, Jump, Integrable, Divergent, NoValue };

struct SpotShape {
    Spot spot;
    Shape shape = Shape::Smooth;
    double growth = 0;  // p of |f| ~ |x − c|^(−p)
    double noValueFrom = 0, noValueTo = 0;
    // For an integrable singularity: a bound on ∫|f| over |x − c| < r, the
    // part the quadrature cannot resolve (r the smallest distance examined).
    double nearIntegral = 0;
};

class ReferenceComputation {
public:
    ReferenceComputation(Sampler& sample, double lo, double hi, const Box& box)
        : sample_(sample),
          lo_(lo),
          hi_(hi),
          length_(hi - lo),
          step_((hi - lo) / scanIntervals),
          top_(std::max(box.ymax, 0.0)),
          bottom_(std::min(box.ymin, 0.0)) {}

    // Stops early, with a result that means nothing, once the sampler has halted.
    Reference run();
    // f's failure when the result is Failed because f fails there.
    const std::optional<EvaluationFailure>& failure() const { return failure_; }

private:
    double scanX(int i) const { return i == scanIntervals ? hi_ : lo_ + length_ * i / scanIntervals; }
    bool changesBetweenCalls(Reference& r);
    void scan();
    bool findNoValueRun(Reference& r);
    std::vector<double> breakpoints() const;
    Panel panel(double lo, double hi);
    bool refine();
    std::vector<Spot> spots() const;
    SpotShape examine(const Spot& spot);
    Sums tolerances(const Sums& total, double absF) const;
    int oscillations() const;
    Reference failed(Reference r, const std::string& where, double x);

    Sampler& sample_;
    const double lo_, hi_, length_, step_;
    const double top_, bottom_;
    std::vector<std::optional<double>> scan_;
    std::vector<int> isolatedNoValue_;  // scan points
    std::vector<double> noValueNodes_;  // quadrature nodes
    std::vector<Panel> panels_;
    std::optional<EvaluationFailure> failure_;
    // A power of 2 that brings the scan's largest |f| near 1: exact, and it
    // keeps tiny functions (1E-320) out of the imprecise subnormal numbers.
    double scale_ = 1;
    bool reachedLimit_ = false;  // panels were frozen at a point before the tolerance was met
};

Sums ReferenceComputation::tolerances(const Sums& total, double absF) const {
    const double floor = roundingFloor * std::max(1.0, length_);
    return {std::max(requestedTolerance * std::max(std::fabs(total[F]), absF), floor),
            std::max(secondaryTolerance * std::fabs(total[Square]), floor),
            std::max(secondaryTolerance * std::fabs(total[ClippedAbs]), floor),
            std::max(secondaryTolerance * std::fabs(total[ClippedAbs]), floor)};
}

// A few points evaluated twice: a function with Rnd in it has no integral,
// and quadrature would only chase its noise.
bool ReferenceComputation::changesBetweenCalls(Reference& r) {
    for (double t : {0.0731, 0.2113, 0.3819, 0.5, 0.6180, 0.7887, 0.9269}) {
        const double x = lo_ + length_ * t;
        const std::optional<double> first = sample_(x), second = sample_(x);
        if (first.has_value() == second.has_value() && (!first || *first == *second)) continue;
        r.kind = ReferenceKind::Random;
        r.verdict =
            "У функции нет точного интеграла: её значение при одном и том же x меняется от вызова к "
            "вызову (при x = " +
            plainNumber(x, 6) + " получилось " + (first ? plainNumber(*first, 6) : "«нет значения»") +
            ", а затем " + (second ? plainNumber(*second, 6) : "«нет значения»") + ").";
        return true;
    }
    return false;
}

void ReferenceComputation::scan() {
    scan_.resize(scanIntervals + 1);
    for (int i = 0; i <= scanIntervals; ++i) scan_[i] = sample_(scanX(i));
}

// Two neighbouring scan points without a value: f has none on a whole
// interval, and no integral there. A single one is a point to examine.
bool ReferenceComputation::findNoValueRun(Reference& r) {
    for (int i = 0; i <= scanIntervals;) {
        if (scan_[i]) {
            ++i;
            continue;
        }
        int end = i;
        while (end < scanIntervals && !scan_[end + 1]) ++end;
        if (end > i) {
            r = failed(std::move(r),
                       "при x от " + plainNumber(scanX(i), 5) + " до " + plainNumber(scanX(end), 5),
                       scanX(i));
            return true;
        }
        isolatedNoValue_.push_back(i);
        i = end + 1;
    }
    return false;
}

Reference ReferenceComputation::failed(Reference r, const std::string& where, double x) {
    r = Reference{};
    r.kind = ReferenceKind::Failed;
    r.singularity = x;
    failure_ = sample_.failureAt(x);
    const std::string why = failure_ ? failure_->explanation() : "значение не является конечным числом";
    r.verdict =
        "Точное значение интеграла вычислить нельзя: f не имеет значения " + where + " (" + why + ").";
    return r;
}

std::vector<double> ReferenceComputation::breakpoints() const {
    std::vector<int> at;
    for (int i = 0; i <= scanIntervals; i += scanPerPanel) at.push_back(i);
    at.insert(at.end(), isolatedNoValue_.begin(), isolatedNoValue_.end());
    double scale = 0;
    for (const auto& y : scan_)
        if (y) scale = std::max(scale, std::fabs(*y));
    std::vector<std::pair<double, int>> sharp;
    for (int i = 1; i < scanIntervals; ++i) {
        if (!scan_[i - 1] || !scan_[i] || !scan_[i + 1]) continue;
        const double left = *scan_[i - 1], y = *scan_[i], right = *scan_[i + 1];
        const double bend = std::fabs(y - (left + right) / 2);
        const double local = std::max({std::fabs(left), std::fabs(y), std::fabs(right)});
        if (bend > sharpShare * local && bend > 1e-12 * scale) sharp.emplace_back(bend, i);
    }
    if (sharp.size() > maxSharpPoints) {
        std::partial_sort(sharp.begin(), sharp.begin() + maxSharpPoints, sharp.end(), std::greater<>());
        sharp.resize(maxSharpPoints);
    }
    for (const auto& s : sharp) at.insert(at.end(), {s.second - 1, s.second, s.second + 1});
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    std::vector<double> x;
    for (int i : at) x.push_back(scanX(i));
    return x;
}

// The 31-point Gauss-Kronrod rule of Boost.Math on [lo, hi] for f, f² and the
// clipped f at once, from one evaluation per node. A node where f has no
// value counts as 0 and is remembered.
Panel ReferenceComputation::panel(double lo, double hi) {
    Panel p;
    p.lo = lo;
    p.hi = hi;
    const auto& t = Kronrod::abscissa();
    const auto& kronrodWeight = Kronrod::weights();
    const auto& gaussWeight = Gauss::weights();
    const double mid = 0.5 * (lo + hi), half = 0.5 * (hi - lo);
    Sums kronrod{}, gauss{};
    double absF = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        for (int side : {1, -1}) {
            if (i == 0 && side < 0) continue;
            const double x = mid + side * half * t[i];
            const std::optional<double> sampled = sample_(x);
            Sums v{};
            if (sampled) {
                const double y = *sampled * scale_;
                const double clipped = y >= 0 ? std::min(y, top_ * scale_) : std::max(y, bottom_ * scale_);
                v = {y, y * y, clipped, std::fabs(clipped)};
                p.maxAbs = std::max(p.maxAbs, std::fabs(y));
            } else if (noValueNodes_.size() < 1000) {
                noValueNodes_.push_back(x);
            }
            for (int c = 0; c < Components; ++c) {
                kronrod[c] += kronrodWeight[i] * v[c];
                if (i % 2 == 0) gauss[c] += gaussWeight[i / 2] * v[c];
            }
            absF += kronrodWeight[i] * std::fabs(v[F]);
        }
    }
    for (int c = 0; c < Components; ++c) {
        p.value[c] = half * kronrod[c];
        p.error[c] = std::max(half * std::fabs(kronrod[c] - gauss[c]),
                              2 * std::numeric_limits<double>::epsilon() * std::fabs(p.value[c]));
    }
    p.absF = half * absF;
    p.splittable =
        p.width() > std::max(smallestShare * length_, 8 * ulp(std::max(std::fabs(lo), std::fabs(hi))));
    return p;
}

// Global adaptive quadrature: splits the panels with the largest errors
// (relative to each component's tolerance) until all tolerances are met, no
// panel can be split, or the budget runs out. True when the tolerances are met.
bool ReferenceComputation::refine() {
    auto deep = [&](const Panel& p) { return p.width() < deepShare * length_; };
    for (;;) {
        Sums total{}, open{};
        double absF = 0;
        size_t openPanels = 0, deepPanels = 0;
        for (const Panel& p : panels_) {
            // Panels split to the end (a pole's) set no scale for the others.
            if (!p.splittable) continue;
            if (deep(p)) ++deepPanels;
            for (int c = 0; c < Components; ++c) total[c] += p.value[c];
            absF += p.absF;
            ++openPanels;
            for (int c = 0; c < Components; ++c)
                if (c == F || !deep(p)) open[c] += p.error[c];
        }
        const Sums tol = tolerances(total, absF);
        // A component that overflowed sets no goal (f² near a strong pole).
        auto counts = [&](int c) { return std::isfinite(tol[c]) && !std::isnan(open[c]); };
        bool done = true;
        for (int c = 0; c < Components; ++c)
            if (counts(c) && !(open[c] <= tol[c])) done = false;
        if (done) return !reachedLimit_;
        if (sample_.exhausted()) return false;
        // That many panels at one point are a pole's: what is left is its
        // examination, and the quadrature goes on elsewhere (another pole).
        if (deepPanels > maxDeepPanels) {
            for (Panel& p : panels_)
                if (deep(p) && p.splittable) p.splittable = false, p.stalled = true;
            reachedLimit_ = true;
            continue;
        }

        // Near a singularity only f itself is followed down: f² may diverge
        // there (1/√x), and the clipped f is bounded.
        auto share = [&](const Panel& p) {
            double most = 0;
            for (int c = 0; c < Components; ++c)
                if (counts(c) && (c == F || !deep(p))) most = std::max(most, p.error[c] / tol[c]);
            return most;
        };
        // Only panels near the worst are split in one pass, so that a pole
        // (far the worst, pass after pass) is reached in few evaluations.
        double largest = 0;
        for (const Panel& p : panels_)
            if (p.splittable) largest = std::max(largest, share(p));
        std::vector<std::pair<double, size_t>> worst;
        for (size_t i = 0; i < panels_.size(); ++i) {
            const Panel& p = panels_[i];
            if (!p.splittable) continue;
            const double s = share(p);
            if (s * static_cast<double>(openPanels) > 1 && s >= largest / 16) worst.emplace_back(s, i);
        }
        if (worst.empty()) return !reachedLimit_;
        const size_t affordable = static_cast<size_t>(sample_.remaining() / (2 * evaluationsPerPanel));
        const size_t splits =
            std::min({worst.size(), std::max<size_t>(1, openPanels / 8), std::max<size_t>(1, affordable)});
        std::partial_sort(worst.begin(), worst.begin() + splits, worst.end(), std::greater<>());
        std::vector<char> split(panels_.size(), 0);
        for (size_t k = 0; k < splits; ++k) split[worst[k].second] = 1;
        std::vector<Panel> next;
        next.reserve(panels_.size() + splits);
        for (size_t i = 0; i < panels_.size(); ++i) {
            if (!split[i] || sample_.exhausted()) {
                next.push_back(panels_[i]);
                continue;
            }
            const Panel& parent = panels_[i];
            const double mid = 0.5 * (parent.lo + parent.hi);
            Panel left = panel(parent.lo, mid), right = panel(mid, parent.hi);
            // Counted along the line of descent: noise makes some splits look good.
            left.stalls = right.stalls = parent.stalls;
            // A singularity inside keeps the error a large share of the
            // panel's integral; noise leaves it a small one.
            if (deep(parent) && left.error[F] + right.error[F] > 0.9 * parent.error[F] &&
                parent.error[F] < 1e-3 * parent.absF) {
                left.stalls = right.stalls = parent.stalls + 1;
                if (left.stalls >= maxStalls) {
                    left.splittable = right.splittable = false;
                    left.stalled = right.stalled = true;
                }
            }
            next.push_back(left);
            next.push_back(right);
        }
        panels_ = std::move(next);
    }
}

// The points to examine: scan points without a value, nodes without a value,
// and the middles of the narrowest panels where the quadrature dug deep.
std::vector<Spot> ReferenceComputation::spots() const {
    std::vector<Spot> found;
    for (int i : isolatedNoValue_) found.push_back({scanX(i), 0, true});
    for (double x : noValueNodes_) found.push_back({x, 0, true});
    for (size_t i = 0; i < panels_.size();) {
        auto deep = [&](const Panel& p) { return !p.splittable || p.width() < deepShare * length_; };
        if (!deep(panels_[i])) {
            ++i;
            continue;
        }
        // Where |f| is largest when it grows there (a pole), else the narrowest panel (a jump).
        const Panel *narrowest = &panels_[i], *highest = &panels_[i];
        double lowest = panels_[i].maxAbs;
        for (; i < panels_.size() && deep(panels_[i]); ++i) {
            if (panels_[i].width() < narrowest->width()) narrowest = &panels_[i];
            if (panels_[i].maxAbs > highest->maxAbs) highest = &panels_[i];
            lowest = std::min(lowest, panels_[i].maxAbs);
        }
        const Panel* at = highest->maxAbs > 10 * lowest ? highest : narrowest;
        found.push_back({0.5 * (at->lo + at->hi), at->width(), false});
    }
    std::sort(found.begin(), found.end(), [](const Spot& a, const Spot& b) { return a.c < b.c; });
    // Points closer than this are one point: the deep panels around a scan
    // point without a value, or a cluster of nodes without one.
    const double together = 1e-6 * length_;
    std::vector<Spot> merged;
    for (const Spot& s : found) {
        if (!merged.empty() && s.c - merged.back().c <= together) {
            // The point itself wins over a panel near it, a narrower panel over a wider one.
            Spot& m = merged.back();
            if (!m.noValueAt && (s.noValueAt || s.uncertainty < m.uncertainty)) m = s;
            continue;
        }
        merged.push_back(s);
    }
    return merged;
}

// How f behaves near the spot: |f| at c ± h for h halving from one scan step
// down to where the uncertainty of c and the rounding of x allow; the slope
// of log|f| against log h is the growth p.
SpotShape ReferenceComputation::examine(const Spot& spot) {
    SpotShape shape{spot};
    const double c = spot.c;
    const double smallest = std::max({1e3 * spot.uncertainty, 1e3 * ulp(c), 1e-14 * length_});
    struct Level {
        double h;
        std::optional<double> left, right;
    };
    std::vector<Level> levels;
    for (double h = step_; h >= smallest && levels.size() < 64; h /= 2) {
        Level l{h, std::nullopt, std::nullopt};
        if (c - h >= lo_) l.left = sample_(c - h);
        if (c + h <= hi_) l.right = sample_(c + h);
        levels.push_back(l);
    }
    // No value anywhere near c: f is undefined on a set, not at a point.
    size_t lastWithValue = levels.size();
    for (size_t k = 0; k < levels.size(); ++k)
        if (levels[k].left || levels[k].right) lastWithValue = k;
    if (lastWithValue == levels.size() || levels.size() - lastWithValue > 3) {
        const double h = lastWithValue == levels.size() ? step_ : levels[lastWithValue].h;
        shape.shape = Shape::NoValue;
        shape.noValueFrom = std::max(lo_, c - h);
        shape.noValueTo = std::min(hi_, c + h);
        return shape;
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0, first = 0, last = 0, largest = 0;
    int n = 0;
    for (const Level& l : levels) {
        const double m = std::max(l.left ? std::fabs(*l.left) : 0.0, l.right ? std::fabs(*l.right) : 0.0);
        if (!(m > 0)) continue;
        const double x = std::log(l.h), y = std::log(m);
        sx += x, sy += y, sxx += x * x, sxy += x * y, ++n;
        if (n == 1) first = m;
        last = m;
        largest = std::max(largest, m);
    }
    if (n >= 4) shape.growth = -(n * sxy - sx * sy) / (n * sxx - sx * sx);
    if (n >= 6 && shape.growth >= divergentGrowth && last > 8 * first) {
        shape.shape = Shape::Divergent;
    } else if (n >= 4 && shape.growth > 0.02 && last > 2 * first) {
        shape.shape = Shape::Integrable;
        // |f| ≤ K·|x − c|^(−p) with K the largest seen, integrated over |x − c| < r.
        const double p = std::min(shape.growth, 0.99);
        double k = 0;
        for (const Level& l : levels) {
            const double m = std::max(l.left ? std::fabs(*l.left) : 0.0, l.right ? std::fabs(*l.right) : 0.0);
            k = std::max(k, m * std::pow(l.h, p));
        }
        shape.nearIntegral = 2 * k * std::pow(levels.back().h, 1 - p) / (1 - p);
    } else {
        // Bounded: a jump when the two sides stay apart at the smallest h.
        shape.shape = spot.noValueAt ? Shape::Removable : Shape::Smooth;
        for (auto l = levels.rbegin(); l != levels.rend(); ++l) {
            if (!l->left || !l->right) continue;
            if (std::fabs(*l->left - *l->right) > 1e-6 * largest) shape.shape = Shape::Jump;
            break;
        }
        if (spot.noValueAt && shape.shape == Shape::Jump) shape.shape = Shape::Removable;
    }
    return shape;
}

// Local extrema of the scan, counted only where the values move by more
// than rounding does.
int ReferenceComputation::oscillations() const {
    double scale = 0;
    for (const auto& y : scan_)
        if (y) scale = std::max(scale, std::fabs(*y));
    int extrema = 0, direction = 0;
    for (int i = 1; i <= scanIntervals; ++i) {
        if (!scan_[i] || !scan_[i - 1]) continue;
        const double d = *scan_[i] - *scan_[i - 1];
        if (std::fabs(d) <= 1e-9 * scale) continue;
        const int now = d > 0 ? 1 : -1;
        if (direction != 0 && now != direction) ++extrema;
        direction = now;
    }
    return extrema;
}

std::string roundedCount(int n) {
    // Two significant digits, rounded down, and whole tens: "около 950 колебаний".
    int unit = 10;
    while (n / unit >= 100) unit *= 10;
    return std::to_string(std::max(unit, n / unit * unit));
}

Reference ReferenceComputation::run() {
    Reference r;
    if (changesBetweenCalls(r)) return r;
    scan();
    if (sample_.halted() || findNoValueRun(r)) return r;
    double largest = 0;
    for (const auto& y : scan_)
        if (y) largest = std::max(largest, std::fabs(*y));
    if (largest > 0) scale_ = std::ldexp(1.0, std::clamp(-std::ilogb(largest), -1000, 1000));
    const std::vector<double> at = breakpoints();
    for (size_t i = 0; i + 1 < at.size(); ++i) panels_.push_back(panel(at[i], at[i + 1]));
    const bool converged = refine();
    if (sample_.halted()) return r;

    // Nodes without a value spread over a stretch: f is undefined on a set.
    std::sort(noValueNodes_.begin(), noValueNodes_.end());
    for (size_t i = 0; i < noValueNodes_.size();) {
        size_t end = i;
        while (end + 1 < noValueNodes_.size() && noValueNodes_[end + 1] - noValueNodes_[end] <= step_) ++end;
        if (end >= i + 2 && noValueNodes_[end] - noValueNodes_[i] > deepShare * length_)
            return failed(
                std::move(r),
                "при x от " + plainNumber(noValueNodes_[i], 5) + " до " + plainNumber(noValueNodes_[end], 5),
                noValueNodes_[i]);
        i = end + 1;
    }

    std::vector<SpotShape> shapes;
    for (const Spot& s : spots()) {
        if (shapes.size() >= 16) break;
        shapes.push_back(examine(s));
    }
    if (sample_.halted()) return r;
    auto first = [&](Shape wanted) -> const SpotShape* {
        for (const SpotShape& s : shapes)
            if (s.shape == wanted) return &s;
        return nullptr;
    };
    auto point = [&](double c) { return plainNumber(std::fabs(c) < deepShare * length_ ? 0.0 : c, 5); };

    if (const SpotShape* s = first(Shape::NoValue))
        return failed(std::move(r),
                      "около x ≈ " + point(s->spot.c) + " (от " + plainNumber(s->noValueFrom, 5) + " до " +
                          plainNumber(s->noValueTo, 5) + ")",
                      s->spot.c);

    // A panel split down to the narrowest has a singularity in it, where the
    // rule's own error estimate means nothing; the integral over it is then
    // at most its width times the largest |f| at its nodes (for any
    // |x − c|^(−p), p < 1, the nodes come close enough to c for that).
    Sums total{}, error{};
    double absF = 0;
    for (const Panel& p : panels_) {
        for (int c = 0; c < Components; ++c) total[c] += p.value[c];
        absF += p.absF;
        for (int c = 0; c < Components; ++c)
            error[c] += p.splittable || p.stalled ? p.error[c] : std::fabs(p.value[c]) + p.width() * p.maxAbs;
    }
    for (int c = 0; c < Components; ++c) {
        const double unit = c == Square ? scale_ * scale_ : scale_;
        total[c] /= unit;
        error[c] /= unit;
    }
    absF /= scale_;
    r.clippedIntegral = total[Clipped];
    r.clippedAbsIntegral = total[ClippedAbs];
    r.squareIntegral = total[Square];
    for (const SpotShape& s : shapes)
        if ((s.shape == Shape::Divergent || s.shape == Shape::Integrable) &&
            s.growth >= squareDivergentGrowth)
            r.squareIntegrable = false;
    if (!r.squareIntegrable) r.squareIntegral = infinity;

    std::vector<std::string> divergent;
    for (const SpotShape& s : shapes)
        if (s.shape == Shape::Divergent) divergent.push_back(point(s.spot.c));
    if (!divergent.empty()) {
        r.kind = ReferenceKind::Divergent;
        r.singularity = first(Shape::Divergent)->spot.c;
        std::string where = "особенность около x ≈ " + divergent[0];
        if (divergent.size() > 1) {
            where = "особенности около x ≈ " + divergent[0];
            for (size_t i = 1; i < divergent.size() && i < 4; ++i)
                where += (i + 1 == divergent.size() || i == 3 ? " и x ≈ " : ", x ≈ ") + divergent[i];
        }
        r.verdict = "Точного значения нет: интеграл расходится (" + where + "). Рядом с " +
                    (divergent.size() > 1 ? "этими точками" : "этой точкой") +
                    " |f| растёт так быстро (как у полюса), что площадь под графиком бесконечна.";
        return r;
    }

    r.value = total[F];
    std::string notes;
    for (const SpotShape& s : shapes)
        if (s.shape == Shape::Removable) {
            notes += "f не определена в точке x = " + point(s.spot.c) + ", на интеграл это не влияет. ";
            if (!r.singularity) r.singularity = s.spot.c;
        }
    // A sampled sine has up to about 0.6 extrema per scan step; more than
    // that, and the count is aliasing: only a lower bound is known.
    const int extrema = oscillations();
    if (extrema >= 100)
        notes += std::string("Функция быстро колеблется (") +
                 (extrema < 0.6 * scanIntervals ? "около " : "больше ") + roundedCount(extrema / 2) +
                 " колебаний на отрезке), но остаётся ограниченной: это не полюс и не скачок. ";

    const SpotShape* integrable = first(Shape::Integrable);
    const SpotShape* jump = first(Shape::Jump);
    const double trusted = std::max(trustedTolerance * std::max(std::fabs(r.value), absF),
                                    roundingFloor * std::max(1.0, length_));
    if (!integrable && !jump && error[F] <= trusted) {
        r.kind = ReferenceKind::Reliable;
        // Below the normal numbers the value itself is rounded coarsely.
        r.error = std::fabs(r.value) < std::numeric_limits<double>::min() && r.value != 0
                      ? std::max(error[F], 2 * ulp(r.value))
                      : error[F];
        r.verdict =
            notes + "Точное значение найдено с погрешностью не более " + plainNumber(r.error, 2) + ".";
        return r;
    }
    r.kind = ReferenceKind::Approximate;
    r.error = approximateWidening * error[F];
    // The quadrature's value there is no better than the bound itself.
    for (const SpotShape& s : shapes) r.error += 2 * s.nearIntegral;
    std::string why;
    if (integrable) {
        r.singularity = integrable->spot.c;
        why = "Около x ≈ " + point(integrable->spot.c) +
              " функция неограниченно растёт, но площадь под графиком конечна (интегрируемая особенность). ";
    } else if (jump) {
        r.singularity = jump->spot.c;
        why = "Около x ≈ " + point(jump->spot.c) + " у функции скачок (разрыв). ";
    } else if (!converged) {
        why = "Высокой точности не удалось достичь за отведённое время. ";
    }
    r.verdict = notes + why + "Значение приближённое: погрешность не более " + plainNumber(r.error, 2) + ".";
    return r;
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
            break;
    }
    return "failed";
}

ReferenceOutcome computeReference(Integrand& f, const Box& box, const std::atomic<bool>& cancel,
                                  long evaluations) {
    ReferenceOutcome outcome;
    Reference& r = outcome.result;
    if (!(std::isfinite(box.a) && std::isfinite(box.b))) {
        r.verdict = "Пределы интегрирования не являются конечными числами.";
        return outcome;
    }
    if (box.a == box.b) {
        r.kind = ReferenceKind::Reliable;
        r.value = r.error = r.squareIntegral = r.clippedIntegral = r.clippedAbsIntegral = 0;
        r.verdict = "Отрезок нулевой длины: интеграл равен 0.";
        return outcome;
    }
    Sampler sample(f, cancel, evaluations);
    ReferenceComputation computation(sample, std::min(box.a, box.b), std::max(box.a, box.b), box);
    r = computation.run();
    switch (sample.halt()) {
        case Sampler::Halt::Cancelled:
            r = Reference{};
            r.verdict = "Вычисление прервано.";
            outcome.cancelled = true;
            return outcome;
        case Sampler::Halt::OutOfTime:
            r = Reference{};
            r.verdict = "Функция вычисляется слишком долго: точное значение интеграла не успело вычислиться.";
            return outcome;
        case Sampler::Halt::None:
            break;
    }
    outcome.failure = computation.failure();
    const double sign = box.a < box.b ? 1 : -1;
    r.value *= sign;
    r.clippedIntegral *= sign;
    return outcome;
}

Reference crossCheck(const Reference& reference, double meanValueEstimate, double standardError) {
    const bool hasNumber =
        reference.kind == ReferenceKind::Reliable || reference.kind == ReferenceKind::Approximate;
    if (!hasNumber || !reference.squareIntegrable || !std::isfinite(meanValueEstimate) ||
        !std::isfinite(standardError) || !std::isfinite(reference.value))
        return reference;
    const double difference = std::fabs(reference.value - meanValueEstimate);
    // Rounding alone must not count when the standard error is 0 (a constant).
    const double rounding = 1e-9 * std::max(std::fabs(reference.value), std::fabs(meanValueEstimate));
    if (difference <= 5 * standardError || difference <= rounding + reference.error) return reference;
    Reference r = reference;
    r.kind = ReferenceKind::Unreliable;
    r.error = std::max(reference.error, difference);
    std::string sigmas = standardError > 0 ? plainNumber(difference / standardError, 2) : "∞";
    r.verdict =
        "Две проверки не согласуются: квадратура даёт I* ≈ " + plainNumber(reference.value, 8) +
        ", а долгий расчёт по среднему значению — " + plainNumber(meanValueEstimate, 8) + " ± " +
        plainNumber(standardError, 2) + " (расхождение " + sigmas +
        " стандартных ошибок). Вероятно, у функции есть узкий пик или особенность, которую квадратура "
        "не заметила; ни одному из значений нельзя доверять полностью.";
    return r;
}

}  // namespace mcplot::study
