#include "study/study.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "study/number_text.h"

namespace mcplot::study {

namespace {

constexpr int64_t blockSize = 16384;
// How often a loop looks at the cancel flag: well under 100 ms even for a slow
// user expression.
constexpr int64_t cancelStride = 64;
constexpr double referenceWeight = 20000;
// Values closer than this share of the box's scale agree within the single
// precision the main window's box and values are kept in.
constexpr double singleRounding = 0x1.0p-22;

// Streams of the two kinds of random work.
enum StreamKind : uint64_t { convergenceStream = 1, experimentStream = 2 };

std::string staleReason(const std::optional<RunRecord>& run, const RunChanges& changes) {
    if (!run) return "В главном окне ещё не нажимали «Монте-Карло»: сравнивать не с чем.";
    std::vector<std::string> parts;
    if (changes.function) parts.push_back("другой функции");
    if (changes.limits) parts.push_back("других пределов");
    if (changes.throws) parts.push_back("другого числа бросков N");
    std::string list;
    for (size_t k = 0; k < parts.size(); ++k)
        list += (k == 0 ? "" : k + 1 == parts.size() ? " и " : ", ") + parts[k];
    return "Значения главного окна получены для " + list +
           ". Нажмите «Монте-Карло» ещё раз, чтобы сравнить их с I*.";
}

}  // namespace

double observedSigma(double area, int64_t blue, int64_t signedHits, int64_t throws) {
    if (throws <= 0) return nan;
    const double n = static_cast<double>(throws);
    const double p = static_cast<double>(blue) / n, q = static_cast<double>(signedHits) / n;
    return std::fabs(area) * std::sqrt(std::max(0.0, p - q * q) / n);
}

Study::Study(StudySettings settings, const IntegrandFactory& factory) : settings_(std::move(settings)) {
    unsigned threads = settings_.threads ? settings_.threads : std::thread::hardware_concurrency();
    threads = std::max(1u, threads);
    for (unsigned k = 0; k < threads; ++k) {
        integrands_.push_back(factory());
        // Cancel reaches into a long evaluation, so waiting for the workers
        // never waits for one.
        integrands_.back()->setStopFlag(&cancel_);
    }

    const int64_t nmax = std::max<int64_t>(1, settings_.maxThrows);
    const int convergenceRuns = std::max(1, settings_.convergenceRuns);
    checkpointCounts_ = logSpacedCounts(10, nmax);
    blocksPerRun_ = static_cast<size_t>((nmax + blockSize - 1) / blockSize);
    // Block k of every run before block k + 1 of any: the curves grow from the left.
    for (size_t b = 0; b < blocksPerRun_; ++b)
        for (int r = 0; r < convergenceRuns; ++r) {
            Block block;
            block.run = r;
            block.first = static_cast<int64_t>(b) * blockSize;
            block.count = std::min(blockSize, nmax - block.first);
            blocks_.push_back(std::move(block));
        }
    std::vector<int64_t> counts = logSpacedCounts(1, std::max<int64_t>(1, settings_.maxTrapezoidIntervals));
    if (std::find(counts.begin(), counts.end(), 100) == counts.end()) {
        counts.push_back(100);
        std::sort(counts.begin(), counts.end());
    }
    for (int64_t n : counts) {
        Trapezoid t;
        t.n = n;
        trapezoids_.push_back(t);
    }
    if (settings_.throws > 0) runs_.resize(static_cast<size_t>(std::max(0, settings_.runs)));
    blockDone_.assign(blocks_.size(), 0);
    trapezoidDone_.assign(trapezoids_.size(), 0);
    runDone_.assign(runs_.size(), 0);

    itemCount_ = 1 + blocks_.size() + trapezoids_.size() + runs_.size();
    totalWeight_ = referenceWeight + static_cast<double>(nmax) * convergenceRuns;
    for (int64_t n : counts) totalWeight_ += static_cast<double>(n + 1);
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
    --active_;
}

void Study::fail(const EvaluationFailure& failure) {
    {
        std::lock_guard lock(mutex_);
        if (!failure_) failure_ = failure;
    }
    cancel_ = true;
}

void Study::markDone(std::vector<char>& flags, size_t index, double weight) {
    {
        std::lock_guard lock(mutex_);
        flags[index] = 1;
    }
    doneWeight_.fetch_add(static_cast<int64_t>(weight));
}

bool Study::runItem(Integrand& f, size_t item) {
    if (item == 0) {
        ReferenceOutcome outcome = computeReference(f, settings_.box, cancel_);
        if (outcome.failure) fail(*outcome.failure);
        if (outcome.stopped()) return false;
        {
            std::lock_guard lock(mutex_);
            reference_ = std::move(outcome.result);
            hasReference_ = true;
        }
        doneWeight_.fetch_add(static_cast<int64_t>(referenceWeight));
        return true;
    }
    item -= 1;
    if (item < blocks_.size()) return throwBlock(f, item);
    item -= blocks_.size();
    if (item < trapezoids_.size()) return trapezoidItem(f, item);
    item -= trapezoids_.size();
    return runExperiment(f, item);
}

// The throws go in batches, so that f can compute a batch at once (the
// user's expression is much cheaper so); each throw draws x, then its height,
// as one at a time would, and the cancel flag is read every cancelStride.
template <class AfterThrow>
bool Study::throwMany(Integrand& f, RandomStream& random, ThrowSums& sums, int64_t count,
                      AfterThrow&& afterThrow) {
    const Box& box = settings_.box;
    std::array<double, cancelStride> xs, heights, ys;
    for (int64_t k = 0; k < count; k += cancelStride) {
        if (cancel_.load(std::memory_order_relaxed)) return false;
        const auto n = static_cast<size_t>(std::min(cancelStride, count - k));
        for (size_t i = 0; i < n; ++i) {
            xs[i] = box.a + box.width() * random.next();
            heights[i] = box.ymin + box.height() * random.next();
        }
        size_t known = f.values(xs.data(), ys.data(), n);
        for (size_t i = 0; i < n; ++i) {
            if (i == known) {
                const EvaluationResult y = f.at(xs[i]);
                if (!y) {
                    // Stopped by the cancel flag: not a failure of f.
                    if (!cancel_.load(std::memory_order_relaxed)) fail(y.failure());
                    return false;
                }
                ys[i] = *y;
                known = i + 1 + f.values(xs.data() + i + 1, ys.data() + i + 1, n - i - 1);
            }
            addThrow(sums, ys[i], heights[i]);
            afterThrow(k + static_cast<int64_t>(i) + 1);
        }
    }
    return true;
}

bool Study::throwBlock(Integrand& f, size_t index) {
    Block& block = blocks_[index];
    const uint64_t blockOfRun = static_cast<uint64_t>(block.first / blockSize);
    RandomStream random(settings_.seed, convergenceStream,
                        (static_cast<uint64_t>(block.run) << 32) | blockOfRun);
    auto next = std::lower_bound(checkpointCounts_.begin(), checkpointCounts_.end(), block.first + 1);
    ThrowSums sums;
    const bool done = throwMany(f, random, sums, block.count, [&](int64_t thrown) {
        if (next != checkpointCounts_.end() && block.first + thrown == *next) {
            block.checkpoints.push_back({*next, sums});
            ++next;
        }
    });
    if (!done) return false;
    block.total = sums;
    markDone(blockDone_, index, static_cast<double>(block.count));
    return true;
}

bool Study::trapezoidItem(Integrand& f, size_t index) {
    Trapezoid& t = trapezoids_[index];
    int64_t evaluations = 0;
    bool stopped = false;
    auto value = [&](double x) -> std::optional<double> {
        if (++evaluations % cancelStride == 0 && cancel_.load(std::memory_order_relaxed)) {
            stopped = true;
            return std::nullopt;
        }
        const EvaluationResult y = f.at(x);
        if (!y) {
            stopped = true;
            if (!cancel_.load(std::memory_order_relaxed)) fail(y.failure());
            return std::nullopt;
        }
        if (!std::isfinite(*y) && !t.undefinedAt) t.undefinedAt = x;
        return *y;
    };
    const std::optional<double> sum = trapezoidRule(value, settings_.box.a, settings_.box.b, t.n);
    if (stopped || !sum) return false;
    t.value = *sum;
    markDone(trapezoidDone_, index, static_cast<double>(t.n + 1));
    return true;
}

bool Study::runExperiment(Integrand& f, size_t index) {
    const int64_t n = settings_.throws;
    RandomStream random(settings_.seed, experimentStream, index);
    ThrowSums sums;
    if (!throwMany(f, random, sums, n, [](int64_t) {})) return false;
    runs_[index] = Run{sums.signedHits, sums.blueHits};
    markDone(runDone_, index, static_cast<double>(n));
    return true;
}

StudyResults Study::snapshot() const {
    StudyResults r;
    std::vector<char> blockDone, trapezoidDone, runDone;
    Reference reference;
    bool hasReference = false;
    {
        std::lock_guard lock(mutex_);
        r.failure = failure_;
        hasReference = hasReference_;
        reference = reference_;
        blockDone = blockDone_;
        trapezoidDone = trapezoidDone_;
        runDone = runDone_;
    }
    const bool stopped = !running() && started_;
    r.progress = std::min(1.0, static_cast<double>(doneWeight_.load()) / totalWeight_);
    if (r.failure) return r;
    r.cancelled = cancel_.load() && stopped;
    if (!hasReference) return r;

    const Box& box = settings_.box;
    const double area = box.area(), width = box.width();
    const int convergenceRuns = std::max(1, settings_.convergenceRuns);
    const bool allBlocks = std::all_of(blockDone.begin(), blockDone.end(), [](char d) { return d != 0; });

    // The convergence runs: cumulative sums at each checkpoint, run by run.
    std::vector<std::vector<double>> hitRuns(static_cast<size_t>(convergenceRuns)),
        meanRuns(static_cast<size_t>(convergenceRuns));
    ThrowSums pooled;
    for (int run = 0; run < convergenceRuns; ++run) {
        ThrowSums before;
        for (size_t b = 0; b < blocksPerRun_; ++b) {
            const size_t index = b * static_cast<size_t>(convergenceRuns) + static_cast<size_t>(run);
            if (!blockDone[index]) break;
            const Block& block = blocks_[index];
            for (const Checkpoint& point : block.checkpoints) {
                ThrowSums sums = point.sums;
                sums += before;
                hitRuns[static_cast<size_t>(run)].push_back(hitOrMissEstimate(box, sums));
                meanRuns[static_cast<size_t>(run)].push_back(meanValueEstimate(box, sums));
            }
            before += block.total;
        }
        pooled += before;
    }

    // The long mean-value runs check the quadrature once they are complete.
    if (allBlocks && pooled.count > 0 && std::isfinite(reference.value)) {
        const double n = static_cast<double>(pooled.count);
        const double mean = pooled.sumF / n;
        const double variance = std::max(0.0, pooled.sumF2 / n - mean * mean);
        reference = crossCheck(reference, width * mean, std::fabs(width) * std::sqrt(variance / n));
    }
    r.hasReference = true;
    r.reference = reference;
    const double iStar = reference.value;
    const bool hasValue = std::isfinite(iStar);
    const double scale = std::max(std::fabs(area), hasValue ? std::fabs(iStar) : 0.0);
    const double rounding = singleRounding * scale;

    // Theory of the hit-or-miss estimate: a throw adds +1, −1 or 0, with the
    // probability of a blue throw p and the mean q = ∫c(f)/S, so its variance
    // is p − q² (p(1 − p) for a function that keeps its sign).
    const double p = area != 0 ? reference.clippedAbsIntegral / area : nan;
    const double q = area != 0 ? reference.clippedIntegral / area : nan;
    const double hitVariance = std::max(0.0, p - q * q);
    auto hitSigma = [&](double n) { return std::fabs(area) * std::sqrt(hitVariance / n); };
    const double meanF = width != 0 ? iStar / width : nan;
    const double meanF2 = width != 0 ? reference.squareIntegral / width : nan;
    const double valueVariance = std::max(0.0, meanF2 - meanF * meanF);
    auto meanSigma = [&](double n) { return std::fabs(width) * std::sqrt(valueVariance / n); };

    Summary& s = r.summary;
    s.reference = iStar;
    s.throws = settings_.throws;
    s.area = area;
    s.blueShare = p;
    s.meanShare = q;
    s.keepsSign = box.ymin >= 0 || box.ymax <= 0;
    s.exact = std::isfinite(p) && hitVariance <= 1e-6 * p;
    s.sigmaFormula = std::string("σ = S·√((p − q²)/N)") + (s.keepsSign ? " = S·√(p(1 − p)/N)" : "");
    if (settings_.throws > 0 && std::isfinite(p)) s.sigma = hitSigma(static_cast<double>(settings_.throws));

    if (hasValue && std::isfinite(reference.clippedIntegral)) {
        const double sigmaMax = hitSigma(static_cast<double>(std::max<int64_t>(1, settings_.maxThrows)));
        const double bias = reference.clippedIntegral - iStar;
        if (std::fabs(bias) > std::max(sigmaMax, rounding)) {
            s.clipped = true;
            s.clippedIntegral = reference.clippedIntegral;
            s.clippedBias = bias;
        }
    }

    // The two trapezoid values: the main window's in single, ours in double.
    const Trapezoid* hundred = nullptr;
    for (size_t k = 0; k < trapezoids_.size(); ++k)
        if (trapezoids_[k].n == 100 && trapezoidDone[k]) hundred = &trapezoids_[k];
    if (hundred && std::isfinite(hundred->value)) {
        s.trapezoidOwn = hundred->value;
        if (hasValue) s.trapezoidOwnError = std::fabs(s.trapezoidOwn - iStar);
    }

    const std::optional<RunRecord>& main = settings_.mainRun;
    s.mainCurrent = main && !settings_.mainChanges.any();
    if (!s.mainCurrent) {
        s.mainStaleReason = staleReason(main, settings_.mainChanges);
    } else {
        const int64_t blue = main->blueAbove + main->blueBelow;
        const int64_t all = blue + main->red;
        s.observedShare = main->observedShare();
        if (main->monteCarlo) {
            s.monteCarlo = *main->monteCarlo;
            s.runSigma = observedSigma(area, blue, main->blueAbove - main->blueBelow, all);
            // An interval for a value that does not exist would only mislead.
            if (hasValue) {
                s.intervalLow = s.monteCarlo - z95 * s.runSigma;
                s.intervalHigh = s.monteCarlo + z95 * s.runSigma;
                s.monteCarloError = std::fabs(s.monteCarlo - iStar);
            }
        }
        if (main->trapezoid) {
            s.trapezoid = *main->trapezoid;
            if (hasValue) s.trapezoidError = std::fabs(s.trapezoid - iStar);
            s.trapezoidRoundingOnly = std::isfinite(s.trapezoidOwn) &&
                                      std::fabs(s.trapezoid - s.trapezoidOwn) <=
                                          1e-6 * std::max(std::fabs(area), std::fabs(s.trapezoidOwn));
        }
    }

    // Convergence: the checkpoints every run has reached.
    Convergence& c = r.convergence;
    if (hasValue) {
        c.rmsRuns = convergenceRuns;
        c.rmsHitOrMiss = rootMeanSquareError(hitRuns, iStar);
        c.rmsMeanValue = rootMeanSquareError(meanRuns, iStar);
        const size_t reached = c.rmsHitOrMiss.size();
        for (size_t k = 0; k < reached; ++k) {
            const double n = static_cast<double>(checkpointCounts_[k]);
            c.n.push_back(checkpointCounts_[k]);
            c.hitOrMiss.push_back(std::fabs(hitRuns[0][k] - iStar));
            c.meanValue.push_back(std::fabs(meanRuns[0][k] - iStar));
            c.hitOrMissSigma.push_back(hitSigma(n));
            c.meanValueSigma.push_back(meanSigma(n));
        }
    }
    std::optional<double> undefinedAt;
    bool anyTrapezoid = false, exactAtOne = false;
    std::vector<double> slopeN, slopeError;
    for (size_t k = 0; k < trapezoids_.size(); ++k) {
        if (!trapezoidDone[k]) continue;
        const Trapezoid& t = trapezoids_[k];
        if (t.undefinedAt && !undefinedAt) undefinedAt = t.undefinedAt;
        if (!hasValue || !std::isfinite(t.value)) continue;
        anyTrapezoid = true;
        const double error = std::fabs(t.value - iStar);
        if (t.n == 100) c.trapezoid100Error = error;
        if (t.n == 1 && error <= rounding) exactAtOne = true;
        c.trapezoidN.push_back(t.n);
        c.trapezoidError.push_back(error);
        // Past the rounding level the errors are noise, not the rule's.
        if (t.n >= 10 && error > 1e-10 * scale) {
            slopeN.push_back(static_cast<double>(t.n));
            slopeError.push_back(error);
        }
    }
    c.trapezoidSlope = logLogSlope(slopeN, slopeError);
    const bool trapezoidsDone =
        std::all_of(trapezoidDone.begin(), trapezoidDone.end(), [](char d) { return d != 0; });
    if (hasValue && trapezoidsDone) {
        if (!anyTrapezoid && undefinedAt)
            c.trapezoidNote = "Кривой трапеций нет: f не определена в узле x = " +
                              plainNumber(*undefinedAt, 6, settings_.decimalSeparator) + ".";
        else if (anyTrapezoid && slopeN.empty())
            c.trapezoidNote = exactAtOne ? "Кривой трапеций нет: для линейной функции трапеции точны."
                                         : "Кривой трапеций нет: их ошибка на уровне ошибок округления.";
    }

    // Repeated experiments: the histogram and the coverage of the runs done.
    Histogram& h = r.histogram;
    h.reference = iStar;
    if (hasValue) {
        h.center = s.clipped ? s.clippedIntegral : iStar;
        h.sigma = s.sigma;
    }
    const int64_t n = settings_.throws;
    std::vector<int64_t> hits;
    int covered = 0;
    double total = 0;
    for (size_t k = 0; k < runs_.size(); ++k) {
        if (!runDone[k]) continue;
        const Run& run = runs_[k];
        hits.push_back(run.signedHits);
        const double estimate = area * static_cast<double>(run.signedHits) / static_cast<double>(n);
        total += estimate;
        const double sigma = observedSigma(area, run.blueHits, run.signedHits, n);
        if (hasValue && std::fabs(estimate - iStar) <= z95 * sigma + rounding) ++covered;
    }
    r.runsDone = static_cast<int>(hits.size());
    if (!hits.empty()) {
        const double count = static_cast<double>(hits.size());
        if (hasValue) r.coverage = covered / count;
        r.meanEstimate = total / count;
        // The estimates are whole multiples of S/N: bins of whole multiples
        // hold the same number of grid values each.
        h.gridStep = area / static_cast<double>(n);
        const auto [lo, hi] = std::minmax_element(hits.begin(), hits.end());
        const int64_t span = *hi - *lo + 1;
        const int64_t wanted =
            std::clamp<int64_t>(std::llround(std::sqrt(static_cast<double>(runs_.size()))), 5, 40);
        const int64_t per = std::max<int64_t>(1, (span + wanted - 1) / wanted);
        const int64_t bins = (span + per - 1) / per;
        std::vector<int> counts(static_cast<size_t>(bins), 0);
        for (int64_t k : hits) ++counts[static_cast<size_t>((k - *lo) / per)];
        std::vector<double> edges;
        for (int64_t j = 0; j <= bins; ++j)
            edges.push_back((static_cast<double>(*lo + j * per) - 0.5) * h.gridStep);
        if (h.gridStep < 0) {  // a box of negative area: larger counts give smaller values
            std::reverse(edges.begin(), edges.end());
            std::reverse(counts.begin(), counts.end());
            h.gridStep = -h.gridStep;
        }
        h.edges = std::move(edges);
        h.counts = std::move(counts);
    }
    const bool complete = allBlocks && trapezoidsDone &&
                          std::all_of(runDone.begin(), runDone.end(), [](char d) { return d != 0; });
    r.finished = complete;
    r.cancelled = r.cancelled && !complete;
    return r;
}

}  // namespace mcplot::study
