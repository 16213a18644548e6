// A study of the error of the Monte Carlo method for one function on one box:
// the reference value, a summary of the main window's last run, the
// convergence of independent long runs against N, and repeated experiments of
// N throws. The work runs on worker threads in fixed blocks, each with its own
// random stream; results are combined in block order, so one seed gives the
// same figures on any number of threads.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/monte_carlo.h"
#include "core/random.h"
#include "core/run_record.h"
#include "study/convergence.h"
#include "study/integrand.h"
#include "study/reference.h"

namespace mcplot::study {

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
// Half-width of a 95 % interval in standard deviations.
inline constexpr double z95 = 1.959963984540054;

struct StudySettings {
    Box box;                           // as the last plot run computed it
    int64_t throws = 200;              // N: the main window's number of throws
    std::optional<RunRecord> mainRun;  // the main window's last run, if any
    RunChanges mainChanges;            // how the main window changed since that run
    uint64_t seed = 1;
    int64_t maxThrows = 100'000;  // N_max of the convergence runs
    int convergenceRuns = 16;     // independent runs behind the root-mean-square error
    int runs = 200;               // M repeated experiments
    int64_t maxTrapezoidIntervals = 100'000;
    unsigned threads = 0;                // 0: as many as the machine has
    std::string decimalSeparator = ".";  // for numbers inside the texts
};

// The numbers for the main window's number of throws N.
struct Summary {
    double reference = nan;  // I*, NaN when there is none
    int64_t throws = 0;
    double area = nan;       // S, the box area
    double blueShare = nan;  // p, the probability of a blue throw
    double meanShare = nan;  // q = I/S, I the integral of f clipped to the box
    double sigma = nan;      // the theory's standard deviation of the estimate with N throws
    bool keepsSign = false;  // the box lies on one side of the axis: p − q² = p(1 − p)
    bool exact = false;      // the estimate has no spread: every run gives the same value
    std::string sigmaFormula;

    // The main window's last run, when it belongs to this function, these limits and N.
    bool mainCurrent = false;
    std::string mainStaleReason;                   // why its values are not compared, in Russian
    double observedShare = nan;                    // its share of blue throws
    double runSigma = nan;                         // σ estimated from its own throws
    double intervalLow = nan, intervalHigh = nan;  // its 95 % interval, Î ± 1,96·σ̂
    double monteCarlo = nan, monteCarloError = nan;
    double trapezoid = nan, trapezoidError = nan;        // the main window's (single precision)
    double trapezoidOwn = nan, trapezoidOwnError = nan;  // 100 intervals in double
    bool trapezoidRoundingOnly = false;  // the two trapezoid values differ only by rounding to single

    // The box cuts the graph: the method converges to the clipped integral.
    bool clipped = false;
    double clippedIntegral = nan, clippedBias = nan;
};

struct Convergence {
    std::vector<int64_t> n;
    std::vector<double> hitOrMiss, meanValue;        // |I_N − I*| of one run
    std::vector<double> rmsHitOrMiss, rmsMeanValue;  // root-mean-square error over the runs
    int rmsRuns = 0;
    std::vector<double> hitOrMissSigma, meanValueSigma;  // the theory's σ at each n
    std::vector<int64_t> trapezoidN;
    std::vector<double> trapezoidError;  // with that many intervals
    double trapezoid100Error = nan;
    double trapezoidSlope = nan;  // fitted to the errors above the rounding level
    std::string trapezoidNote;    // why there is no trapezoid curve, when there is none
};

struct Histogram {
    std::vector<double> edges;  // counts.size() + 1 edges, whole multiples of the grid step apart
    std::vector<int> counts;
    double gridStep = nan;   // S/N: the estimates lie on multiples of it
    double center = nan;     // the estimate's expectation, the centre of the normal density
    double reference = nan;  // I*
    double sigma = nan;      // the density's standard deviation (N throws); NaN: none drawn
};

struct StudyResults {
    bool hasReference = false;
    Reference reference;
    Summary summary;
    Convergence convergence;
    Histogram histogram;
    int runsDone = 0;
    double meanEstimate = nan;  // mean of the runs' estimates
    double coverage = nan;      // share of runs whose own 95 % interval holds I*
    double progress = 0;        // 0..1
    bool finished = false;
    bool cancelled = false;
    std::optional<EvaluationFailure> failure;  // of f, which stopped the study
};

// Sums of a stretch of throws: each throw is x uniform in [a, b] and a height
// uniform in [ymin, ymax]; one evaluation of f serves both estimates.
struct ThrowSums {
    int64_t count = 0;
    int64_t signedHits = 0;  // blue above the axis minus blue below it
    int64_t blueHits = 0;
    double sumF = 0;   // Σ f(x_i), for the mean-value estimate
    double sumF2 = 0;  // Σ f(x_i)², for its standard error

    ThrowSums& operator+=(const ThrowSums& o) {
        count += o.count;
        signedHits += o.signedHits;
        blueHits += o.blueHits;
        sumF += o.sumF;
        sumF2 += o.sumF2;
        return *this;
    }
};

// The hit-or-miss and mean-value estimates from sums.
inline double hitOrMissEstimate(const Box& box, const ThrowSums& s) {
    return box.area() * static_cast<double>(s.signedHits) / static_cast<double>(s.count);
}
inline double meanValueEstimate(const Box& box, const ThrowSums& s) {
    return box.width() * s.sumF / static_cast<double>(s.count);
}

// The standard deviation of the hit-or-miss estimate from the throws' own
// counts: S·√((p − q²)/N), p the share of blue throws and q that of blue
// above the axis less blue below it.
double observedSigma(double area, int64_t blue, int64_t signedHits, int64_t throws);

// One throw into the sums, by the program's counting rule.
inline void addThrow(ThrowSums& s, double y, double yr) {
    ++s.count;
    if (!std::isfinite(y)) return;  // no value: a red throw, nothing to add
    s.sumF += y;
    s.sumF2 += y * y;
    const ThrowKind kind = classifyThrow(yr, y);
    s.signedHits += (kind == ThrowKind::Above) - (kind == ThrowKind::Below);
    s.blueHits += kind != ThrowKind::Miss;
}

class Study {
public:
    // Makes one integrand per worker thread, on the calling thread.
    Study(StudySettings settings, const IntegrandFactory& factory);
    ~Study();  // cancels and waits

    Study(const Study&) = delete;
    Study& operator=(const Study&) = delete;

    void start();
    // Asks the workers to stop; they leave within one evaluation.
    void cancel();
    void wait();
    bool running() const;

    // What is known so far; complete once finished. The lock is held only to
    // copy which parts are done.
    StudyResults snapshot() const;

    const StudySettings& settings() const { return settings_; }
    unsigned threads() const { return static_cast<unsigned>(integrands_.size()); }

private:
    struct Checkpoint {
        int64_t n;
        ThrowSums sums;  // of the block's throws up to n
    };
    // A stretch of one convergence run; written by one worker, read only once done.
    struct Block {
        int run = 0;
        int64_t first = 0, count = 0;
        ThrowSums total;
        std::vector<Checkpoint> checkpoints;
    };
    struct Trapezoid {
        int64_t n = 0;
        double value = nan;
        std::optional<double> undefinedAt;  // the first node where f has no value
    };
    struct Run {
        int64_t signedHits = 0, blueHits = 0;
    };

    void work(Integrand& f);
    bool runItem(Integrand& f, size_t item);
    // `count` throws of the method into sums, each followed by
    // afterThrow(throws so far); false when cancelled, or when f has no value
    // at a throw's x (the study failed).
    template <class AfterThrow>
    bool throwMany(Integrand& f, RandomStream& random, ThrowSums& sums, int64_t count,
                   AfterThrow&& afterThrow);
    bool throwBlock(Integrand& f, size_t index);
    bool trapezoidItem(Integrand& f, size_t index);
    bool runExperiment(Integrand& f, size_t index);
    // The first failure of f stops the study.
    void fail(const EvaluationFailure& failure);
    void markDone(std::vector<char>& flags, size_t index, double weight);

    StudySettings settings_;
    std::vector<std::unique_ptr<Integrand>> integrands_;
    std::vector<std::thread> workers_;

    std::vector<int64_t> checkpointCounts_;
    size_t blocksPerRun_ = 0;
    std::vector<Block> blocks_;  // block k of every run, then block k + 1, …
    std::vector<Trapezoid> trapezoids_;
    std::vector<Run> runs_;
    Reference reference_;

    std::atomic<size_t> nextItem_{0};
    size_t itemCount_ = 0;
    std::atomic<bool> cancel_{false};
    std::atomic<int> active_{0};
    double totalWeight_ = 1;
    std::atomic<int64_t> doneWeight_{0};

    // Guards the done flags, the reference and the failure. A part's figures
    // are written before its flag is set and never after, so a reader that saw
    // the flag under the lock reads them without it.
    mutable std::mutex mutex_;
    bool hasReference_ = false;
    std::vector<char> blockDone_, trapezoidDone_, runDone_;
    std::optional<EvaluationFailure> failure_;
    bool started_ = false;
};

}  // namespace mcplot::study
