// A study of the error of the Monte Carlo method for one function on one box:
// the reference value, a summary for the main window's last run, the
// convergence of one long run against N, and repeated experiments of N throws.
// The work runs on worker threads in fixed blocks, each with its own random
// stream; results are combined in block order, so one seed gives the same
// figures on any number of threads.
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

#include "study/integrand.h"
#include "study/random_stream.h"
#include "study/reference.h"

namespace mcplot::study {

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
// Half-width of a 95 % interval in standard deviations.
inline constexpr double z95 = 1.959963984540054;

struct StudySettings {
    Box box;                           // as the last plot run computed it
    int64_t throws = 200;              // N: the main window's number of throws
    std::optional<double> monteCarlo;  // the main window's last values, if any
    std::optional<double> trapezoid;
    uint64_t seed = 1;
    int64_t maxThrows = 1'000'000;  // N_max of the convergence run
    int runs = 200;                 // M repeated experiments
    int64_t maxTrapezoidIntervals = 100'000;
    unsigned threads = 0;  // 0: as many as the machine has
};

// The numbers for the main window's number of throws N.
struct Summary {
    double reference = nan;
    int64_t throws = 0;
    double area = nan;                             // S, the box area
    double blueShare = nan;                        // p, the probability of a blue throw
    double sigma = nan;                            // standard deviation of the hit-or-miss estimate
    double intervalLow = nan, intervalHigh = nan;  // 95 % around the main window's value
    double monteCarlo = nan, monteCarloError = nan;
    double trapezoid = nan, trapezoidError = nan;
};

struct Convergence {
    std::vector<int64_t> n;
    std::vector<double> hitOrMiss, meanValue;            // |I_N − I*|
    std::vector<double> hitOrMissSigma, meanValueSigma;  // the theory's σ at each n
    std::vector<int64_t> trapezoidN;
    std::vector<double> trapezoidError;  // with that many intervals
    double trapezoid100Error = nan;
};

struct Histogram {
    std::vector<double> edges;  // counts.size() + 1 edges
    std::vector<int> counts;
    double center = nan;  // I*, the centre of the normal density drawn over it
    double sigma = nan;   // its standard deviation (N throws)
};

struct StudyResults {
    bool hasReference = false;
    Reference reference;
    Summary summary;
    Convergence convergence;
    Histogram histogram;
    int runsDone = 0;
    double meanEstimate = nan;  // mean of the runs' estimates
    double coverage = nan;      // share of runs whose 95 % interval holds I*
    double progress = 0;        // 0..1
    bool finished = false;
    bool cancelled = false;
    bool failed = false;
    std::string failure;  // the explained failure of f
};

// Sums of a stretch of throws: each throw is x uniform in [a, b] and a height
// uniform in [ymin, ymax]; one evaluation of f serves both estimates.
struct ThrowSums {
    int64_t count = 0;
    int64_t signedHits = 0;  // blue above the axis minus blue below it
    int64_t blueHits = 0;
    double sumF = 0;  // Σ f(x_i), for the mean-value estimate
};

// The hit-or-miss and mean-value estimates from sums.
inline double hitOrMissEstimate(const Box& box, const ThrowSums& s) {
    return box.area() * static_cast<double>(s.signedHits) / static_cast<double>(s.count);
}
inline double meanValueEstimate(const Box& box, const ThrowSums& s) {
    return box.width() * s.sumF / static_cast<double>(s.count);
}

// One throw into the sums: the counting rule of the program's method.
inline void addThrow(ThrowSums& s, double y, double yr) {
    ++s.count;
    if (!std::isfinite(y)) return;  // no value: a red throw, nothing to add
    s.sumF += y;
    if (yr <= y && yr >= 0) {
        ++s.signedHits;
        ++s.blueHits;
    } else if (yr >= y && yr < 0) {
        --s.signedHits;
        ++s.blueHits;
    }
}

// The x-values 10, 13, 16, 20, ... (ten per decade) up to and including last.
std::vector<int64_t> logSpacedCounts(int64_t first, int64_t last);

// The composite trapezoid rule with n intervals, in double.
double trapezoidRule(Integrand& f, double a, double b, int64_t n);

class Study {
public:
    using ProgressCallback = std::function<void(double)>;

    // Makes one integrand per worker thread, on the calling thread.
    Study(StudySettings settings, const IntegrandFactory& factory, ProgressCallback progress = {});
    ~Study();  // cancels and waits

    Study(const Study&) = delete;
    Study& operator=(const Study&) = delete;

    void start();
    // Asks the workers to stop; they leave within one evaluation.
    void cancel();
    void wait();
    bool running() const;

    // What is known so far; complete once finished.
    StudyResults snapshot() const;

    const StudySettings& settings() const { return settings_; }
    unsigned threads() const { return static_cast<unsigned>(integrands_.size()); }

private:
    struct Checkpoint {
        int64_t n;
        ThrowSums sums;  // of the block's throws up to n
    };
    struct Block {
        int64_t first = 0, count = 0;
        ThrowSums total;
        std::vector<Checkpoint> checkpoints;
        bool done = false;
    };
    struct Run {
        double estimate = nan;
        double sigma = nan;  // estimated from the run's own throws
        bool done = false;
    };

    void work(Integrand& f);
    bool runItem(Integrand& f, size_t item);
    // One throw of the method into sums; false, the study failed, when f has
    // no value at the throw's x.
    bool throwInto(Integrand& f, RandomStream& random, ThrowSums& sums);
    bool throwBlock(Integrand& f, Block& block, size_t index);
    bool trapezoidItem(Integrand& f, size_t index);
    bool runExperiment(Integrand& f, size_t index);
    void fail(const std::string& explanation);
    void advance(double weight);

    StudySettings settings_;
    ProgressCallback progress_;
    std::vector<std::unique_ptr<Integrand>> integrands_;
    std::vector<std::thread> workers_;

    std::vector<int64_t> checkpointCounts_;
    std::vector<Block> blocks_;
    std::vector<int64_t> trapezoidCounts_;
    std::vector<double> trapezoidValues_;
    std::vector<char> trapezoidDone_;
    std::vector<Run> runs_;
    Reference reference_;
    bool hasReference_ = false;

    std::atomic<size_t> nextItem_{0};
    size_t itemCount_ = 0;
    std::atomic<bool> cancel_{false};
    std::atomic<int> active_{0};
    double totalWeight_ = 1;
    std::atomic<int64_t> doneWeight_{0};

    mutable std::mutex mutex_;  // guards the results below and the blocks' done flags
    bool failed_ = false;
    std::string failure_;
    bool started_ = false;
};

}  // namespace mcplot::study
