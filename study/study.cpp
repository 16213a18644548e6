#include "study/study.h"

#include <algorithm>
#include <cmath>

namespace mcplot::study {

namespace {

constexpr int64_t blockSize = 16384;
// How often a loop looks at the cancel flag: well under 100 ms even for a slow
// user expression.
constexpr int64_t cancelStride = 64;
constexpr double referenceWeight = 20000;

// Streams of the three kinds of random work.
enum StreamKind : uint64_t { convergenceStream = 1, experimentStream = 2 };

}  // namespace

std::vector<int64_t> logSpacedCounts(int64_t first, int64_t last) {
    std::vector<int64_t> out;
    for (int k = 0;; ++k) {
        const auto n = static_cast<int64_t>(std::llround(std::pow(10.0, k / 10.0)));
        if (n > last) break;
        if (n >= first && (out.empty() || out.back() != n)) out.push_back(n);
    }
    if (last >= first && (out.empty() || out.back() != last)) out.push_back(last);
    return out;
}

double trapezoidRule(Integrand& f, double a, double b, int64_t n) {
    const double h = (b - a) / static_cast<double>(n);
    auto value = [&](double x) {
        const std::optional<double> y = f.at(x);
        return y ? *y : nan;
    };
    double sum = (value(a) + value(b)) / 2;
    for (int64_t k = 1; k < n; ++k) sum += value(a + static_cast<double>(k) * h);
    return sum * h;
}

Study::Study(StudySettings settings, const IntegrandFactory& factory, ProgressCallback progress)
    : settings_(std::move(settings)), progress_(std::move(progress)) {
    unsigned threads = settings_.threads ? settings_.threads : std::thread::hardware_concurrency();
    threads = std::max(1u, threads);
    for (unsigned k = 0; k < threads; ++k) {
        integrands_.push_back(factory());
        // Cancel reaches into a long evaluation, so waiting for the workers
        // never waits for one.
        integrands_.back()->setStopFlag(&cancel_);
    }

    const int64_t nmax = std::max<int64_t>(1, settings_.maxThrows);
    checkpointCounts_ = logSpacedCounts(10, nmax);
    for (int64_t first = 0; first < nmax; first += blockSize) {
        Block block;
        block.first = first;
        block.count = std::min(blockSize, nmax - first);
        blocks_.push_back(std::move(block));
    }
    trapezoidCounts_ = logSpacedCounts(1, std::max<int64_t>(1, settings_.maxTrapezoidIntervals));
    if (std::find(trapezoidCounts_.begin(), trapezoidCounts_.end(), 100) == trapezoidCounts_.end()) {
        trapezoidCounts_.push_back(100);
        std::sort(trapezoidCounts_.begin(), trapezoidCounts_.end());
    }
    trapezoidValues_.assign(trapezoidCounts_.size(), nan);
    trapezoidDone_.assign(trapezoidCounts_.size(), 0);
    if (settings_.throws > 0) runs_.resize(static_cast<size_t>(std::max(0, settings_.runs)));

    itemCount_ = 1 + blocks_.size() + trapezoidCounts_.size() + runs_.size();
    totalWeight_ = referenceWeight + static_cast<double>(nmax);
    for (int64_t n : trapezoidCounts_) totalWeight_ += static_cast<double>(n + 1);
    totalWeight_ += static_cast<double>(runs_.size()) * static_cast<double>(settings_.throws);
}

Study::~Study() {
    cancel();
    wait();
}

void Study::start() {
    if (started_) return;
    started_ = true;
    active_ = static_cast<int>(integrands_.size());
    for (auto& f : integrands_) workers_.emplace_back([this, g = f.get()] { work(*g); });
}

void Study::cancel() {
    cancel_ = true;
}

void Study::wait() {
    for (auto& t : workers_)
        if (t.joinable()) t.join();
}

bool Study::running() const {
    return active_.load() > 0;
}

void Study::work(Integrand& f) {
    for (;;) {
        if (cancel_.load(std::memory_order_relaxed)) break;
        const size_t item = nextItem_.fetch_add(1);
        if (item >= itemCount_) break;
        if (!runItem(f, item)) break;
    }
    if (--active_ == 0 && progress_) progress_(1.0);
}

void Study::fail(const std::string& explanation) {
    {
        std::lock_guard lock(mutex_);
        if (!failed_) {
            failed_ = true;
            failure_ = explanation;
        }
    }
    cancel_ = true;
}

void Study::advance(double weight) {
    const int64_t done = doneWeight_.fetch_add(static_cast<int64_t>(weight)) + static_cast<int64_t>(weight);
    if (progress_) progress_(std::min(1.0, static_cast<double>(done) / totalWeight_));
}

bool Study::runItem(Integrand& f, size_t item) {
    if (item == 0) {
        Stop stop;
        Reference r = computeReference(f, settings_.box, cancel_, &stop);
        if (stop.kind == Stop::Failed) fail(stop.explanation);
        if (stop.kind != Stop::None) return false;
        {
            std::lock_guard lock(mutex_);
            reference_ = std::move(r);
            hasReference_ = true;
        }
        advance(referenceWeight);
        return true;
    }
    item -= 1;
    if (item < blocks_.size()) return throwBlock(f, blocks_[item], item);
    item -= blocks_.size();
    if (item < trapezoidCounts_.size()) return trapezoidItem(f, item);
    item -= trapezoidCounts_.size();
    return runExperiment(f, item);
}

bool Study::throwInto(Integrand& f, RandomStream& random, ThrowSums& sums) {
    const Box& box = settings_.box;
    const double x = box.a + box.width() * random.next();
    const double yr = box.ymin + box.height() * random.next();
    const std::optional<double> y = f.at(x);
    if (!y) {
        // Stopped by the cancel flag: not a failure of f.
        if (!cancel_.load(std::memory_order_relaxed)) fail(f.explainFailure());
        return false;
    }
    addThrow(sums, *y, yr);
    return true;
}

bool Study::throwBlock(Integrand& f, Block& block, size_t index) {
    RandomStream random(settings_.seed, convergenceStream, index);
    auto next = std::lower_bound(checkpointCounts_.begin(), checkpointCounts_.end(), block.first + 1);
    ThrowSums sums;
    for (int64_t k = 0; k < block.count; ++k) {
        if (k % cancelStride == 0 && cancel_.load(std::memory_order_relaxed)) return false;
        if (!throwInto(f, random, sums)) return false;
        if (next != checkpointCounts_.end() && block.first + k + 1 == *next) {
            block.checkpoints.push_back({*next, sums});
            ++next;
        }
    }
    block.total = sums;
    {
        std::lock_guard lock(mutex_);
        block.done = true;
    }
    advance(static_cast<double>(block.count));
    return true;
}

bool Study::trapezoidItem(Integrand& f, size_t index) {
    const int64_t n = trapezoidCounts_[index];
    const double a = settings_.box.a, b = settings_.box.b;
    const double h = (b - a) / static_cast<double>(n);
    auto value = [&](double x) -> std::optional<double> {
        const std::optional<double> y = f.at(x);
        if (!y && !cancel_.load(std::memory_order_relaxed)) fail(f.explainFailure());
        return y;
    };
    std::optional<double> ya = value(a), yb = value(b);
    if (!ya || !yb) return false;
    double sum = (*ya + *yb) / 2;
    for (int64_t k = 1; k < n; ++k) {
        if (k % cancelStride == 0 && cancel_.load(std::memory_order_relaxed)) return false;
        const std::optional<double> y = value(a + static_cast<double>(k) * h);
        if (!y) return false;
        sum += *y;
    }
    {
        std::lock_guard lock(mutex_);
        trapezoidValues_[index] = sum * h;
        trapezoidDone_[index] = 1;
    }
    advance(static_cast<double>(n + 1));
    return true;
}

bool Study::runExperiment(Integrand& f, size_t index) {
    const Box& box = settings_.box;
    const int64_t n = settings_.throws;
    RandomStream random(settings_.seed, experimentStream, index);
    ThrowSums sums;
    for (int64_t k = 0; k < n; ++k) {
        if (k % cancelStride == 0 && cancel_.load(std::memory_order_relaxed)) return false;
        if (!throwInto(f, random, sums)) return false;
    }
    const double estimate = hitOrMissEstimate(box, sums);
    // The interval a student gets from this run alone, σ estimated from its own
    // shares of blue throws.
    const double nd = static_cast<double>(n);
    const double p = static_cast<double>(sums.blueHits) / nd, q = static_cast<double>(sums.signedHits) / nd;
    const double sigma = std::fabs(box.area()) * std::sqrt(std::max(0.0, p - q * q) / nd);
    {
        std::lock_guard lock(mutex_);
        runs_[index] = Run{estimate, sigma, true};
    }
    advance(nd);
    return true;
}

}  // namespace mcplot::study

namespace mcplot::study {

StudyResults Study::snapshot() const {
    StudyResults r;
    std::lock_guard lock(mutex_);
    const Box& box = settings_.box;
    const bool stopped = !running() && started_;
    r.progress = std::min(1.0, static_cast<double>(doneWeight_.load()) / totalWeight_);
    if (failed_) {
        r.failed = true;
        r.failure = failure_;
        return r;
    }
    r.cancelled = cancel_.load() && stopped;
    if (!hasReference_) return r;
    r.hasReference = true;
    r.reference = reference_;
    const double iStar = reference_.value;

    // Theory of the hit-or-miss estimate: a throw adds +1, −1 or 0, with the
    // probability of a blue throw p and the mean q = ∫c(f)/S, so its variance
    // is p − q² (p(1 − p) for a function that keeps its sign).
    const double area = box.area();
    const double p = area != 0 ? reference_.clippedAbsIntegral / area : nan;
    const double q = area != 0 ? reference_.clippedIntegral / area : nan;
    const double hitVariance = std::max(0.0, p - q * q);
    auto hitSigma = [&](double n) { return std::fabs(area) * std::sqrt(hitVariance / n); };
    const double width = box.width();
    const double meanF = width != 0 ? iStar / width : nan;
    const double meanF2 = width != 0 ? reference_.squareIntegral / width : nan;
    const double valueVariance = std::max(0.0, meanF2 - meanF * meanF);
    auto meanSigma = [&](double n) { return std::fabs(width) * std::sqrt(valueVariance / n); };

    Summary& s = r.summary;
    s.reference = iStar;
    s.throws = settings_.throws;
    s.area = area;
    s.blueShare = p;
    if (settings_.throws > 0) s.sigma = hitSigma(static_cast<double>(settings_.throws));
    if (settings_.monteCarlo) {
        s.monteCarlo = *settings_.monteCarlo;
        s.monteCarloError = std::fabs(s.monteCarlo - iStar);
        s.intervalLow = s.monteCarlo - z95 * s.sigma;
        s.intervalHigh = s.monteCarlo + z95 * s.sigma;
    }
    if (settings_.trapezoid) {
        s.trapezoid = *settings_.trapezoid;
        s.trapezoidError = std::fabs(s.trapezoid - iStar);
    }

    // Convergence over the blocks done in a row from the first.
    Convergence& c = r.convergence;
    ThrowSums before;
    for (const Block& block : blocks_) {
        if (!block.done) break;
        for (const Checkpoint& point : block.checkpoints) {
            ThrowSums sums = point.sums;
            sums.count += before.count;
            sums.signedHits += before.signedHits;
            sums.blueHits += before.blueHits;
            sums.sumF += before.sumF;
            const double n = static_cast<double>(point.n);
            c.n.push_back(point.n);
            c.hitOrMiss.push_back(std::fabs(hitOrMissEstimate(box, sums) - iStar));
            c.meanValue.push_back(std::fabs(meanValueEstimate(box, sums) - iStar));
            c.hitOrMissSigma.push_back(hitSigma(n));
            c.meanValueSigma.push_back(meanSigma(n));
        }
        before.count += block.total.count;
        before.signedHits += block.total.signedHits;
        before.blueHits += block.total.blueHits;
        before.sumF += block.total.sumF;
    }
    for (size_t k = 0; k < trapezoidCounts_.size(); ++k) {
        if (!trapezoidDone_[k]) continue;
        const double error = std::fabs(trapezoidValues_[k] - iStar);
        if (trapezoidCounts_[k] == 100) c.trapezoid100Error = error;
        c.trapezoidN.push_back(trapezoidCounts_[k]);
        c.trapezoidError.push_back(error);
    }

    // Repeated experiments: the histogram and the coverage of the runs done.
    std::vector<double> estimates;
    int covered = 0;
    double total = 0;
    for (const Run& run : runs_) {
        if (!run.done) continue;
        estimates.push_back(run.estimate);
        total += run.estimate;
        if (std::fabs(run.estimate - iStar) <= z95 * run.sigma) ++covered;
    }
    r.runsDone = static_cast<int>(estimates.size());
    Histogram& h = r.histogram;
    h.center = iStar;
    h.sigma = s.sigma;
    if (!estimates.empty()) {
        r.coverage = static_cast<double>(covered) / static_cast<double>(estimates.size());
        r.meanEstimate = total / static_cast<double>(estimates.size());
        const auto [lo, hi] = std::minmax_element(estimates.begin(), estimates.end());
        double from = *lo, to = *hi;
        if (!(to > from)) {
            const double pad =
                std::isfinite(s.sigma) && s.sigma > 0 ? s.sigma : std::max(1.0, std::fabs(from)) * 1e-3;
            from -= pad;
            to += pad;
        }
        const int bins =
            std::clamp(static_cast<int>(std::lround(std::sqrt(static_cast<double>(runs_.size())))), 5, 40);
        const double step = (to - from) / bins;
        for (int k = 0; k <= bins; ++k) h.edges.push_back(k == bins ? to : from + step * k);
        h.counts.assign(static_cast<size_t>(bins), 0);
        for (double e : estimates) {
            const int k = std::clamp(static_cast<int>((e - from) / step), 0, bins - 1);
            ++h.counts[static_cast<size_t>(k)];
        }
    }
    bool complete = r.runsDone == static_cast<int>(runs_.size());
    for (const Block& block : blocks_) complete = complete && block.done;
    for (char done : trapezoidDone_) complete = complete && done;
    r.finished = complete;
    r.cancelled = r.cancelled && !complete;
    return r;
}

}  // namespace mcplot::study
