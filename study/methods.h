// Ways to beat the 1/√N of plain Monte Carlo: estimators of ∫ₐᵇ f side by
// side with the mean-value method, each seeded and repeatable on any number of
// threads, and a runner that measures each one's spread, variance-reduction
// factor, cost per sample and order of convergence. N always counts
// evaluations of f.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "study/integrand.h"
#include "study/reference.h"

namespace mcplot::study {

enum class Method { HitOrMiss, MeanValue, Stratified, Antithetic, Importance, ControlVariate, Sobol, Weyl };
inline constexpr int methodCount = 8;

// What the page shows about a method: a stable ASCII key, a Russian title, one
// or two sentences and the formula.
struct MethodInfo {
    Method method;
    const char* name;
    const char* title;
    const char* description;
    const char* formula;
};

const std::array<MethodInfo, methodCount>& methodInfos();
const MethodInfo& methodInfo(Method method);
std::optional<Method> methodByName(const std::string& name);

// What the methods take from the 101-point scan of f over [a, b]: the values
// (gaps filled from the neighbours), the control function's integral, the
// sampling density of importance sampling, and what the scan saw.
struct MethodScan {
    double a = 0, b = 0;
    std::vector<double> values;  // 101, none missing
    int missingPoints = 0;       // scan points where f has no value
    bool changesSign = false;
    std::optional<double> jumpAt;  // x of a jump (or pole) the scan saw
    bool symmetric = false;        // f(x) = f(a + b − x) at the scan points
    double controlIntegral = 0;    // ∫g of the broken line through the points
    // Importance sampling: the cumulative probability of the 100 intervals
    // (101 entries from 0 to 1), the weight h/qᵢ of each (h the interval, qᵢ
    // its probability), and a guide table that finds an interval in one or two
    // steps.
    std::vector<double> cumulative, weight;
    std::vector<int> guide;
};

// Scans f at a + i(b − a)/100, i = 0..100. A failure of f at any of them
// stops it, as does the cancel flag; the scan is then empty.
Outcome<MethodScan> scanForMethods(Integrand& f, double a, double b, const std::atomic<bool>* cancel);

// One run of a method.
struct MethodRun {
    enum Status { Done, Cancelled, Failed } status = Done;
    double value = std::numeric_limits<double>::quiet_NaN();
    // The standard error from the run's own samples; NaN when the method has
    // none (one point per stratum, one shifted quasi-random run).
    double ownError = std::numeric_limits<double>::quiet_NaN();
    std::optional<EvaluationFailure> failure;  // when Failed
    int64_t missingValues = 0;                 // points where f was not finite
};

struct MethodParameters {
    Box box;             // [a, b]; the height is hit-or-miss's box
    int perStratum = 1;  // P, points per stratum
    uint64_t seed = 1;
};

// One run of n evaluations of f, its random numbers addressed by (seed,
// method, stream index). A value of f that is not finite counts as 0 (for
// hit-or-miss, a red throw) and is counted in missingValues. The cancel flag
// is looked at every few dozen evaluations.
MethodRun runMethod(Method method, Integrand& f, const MethodParameters& parameters, const MethodScan& scan,
                    int64_t n, uint64_t streamIndex, const std::atomic<bool>* cancel);

// Root-mean-square error of estimates against a reference value. To become the
// study's shared RMS routine.
double rmsError(const std::vector<double>& estimates, double reference);

// Least-squares slope of log y against log x over the points where both are
// positive and finite; NaN with fewer than two.
double logLogSlope(const std::vector<int64_t>& x, const std::vector<double>& y);

// The chart's N: 10, 22, 46, 100, 215, ... (three per decade) up to maxN,
// and maxN itself when it is not one of them.
std::vector<int64_t> chartCounts(int64_t maxN);

struct MethodsSettings {
    Box box;
    double reference = std::numeric_limits<double>::quiet_NaN();  // I*; NaN when there is none
    // The integral of f clipped to the box, where hit-or-miss converges; NaN
    // when unknown.
    double clippedReference = std::numeric_limits<double>::quiet_NaN();
    std::vector<Method> methods;  // empty: all; the mean-value method is always run
    int64_t n = 1000;             // N of the table
    int64_t maxN = 100'000;       // N_max of the chart
    int runs = 200;               // M, for the table
    int chartRuns = 0;            // runs at each N of the chart; 0: M
    int perStratum = 1;           // P
    uint64_t seed = 1;
    unsigned threads = 0;  // 0: as many as the machine has
};

struct MethodResult {
    Method method = Method::MeanValue;
    std::string name;                                            // the stable ASCII key
    double estimate = std::numeric_limits<double>::quiet_NaN();  // of the last run at N
    double error = std::numeric_limits<double>::quiet_NaN();     // |estimate − I*|
    // The last run's standard error: its own when ownError is true, else the
    // spread over the M runs.
    double standardError = std::numeric_limits<double>::quiet_NaN();
    bool ownError = false;
    double sigma = std::numeric_limits<double>::quiet_NaN();         // standard deviation over the M runs
    double mean = std::numeric_limits<double>::quiet_NaN();          // mean over the M runs
    double meanOwnError = std::numeric_limits<double>::quiet_NaN();  // RMS of the runs' own errors
    double factor = std::numeric_limits<double>::quiet_NaN();        // σ²(meanValue) / σ²(method)
    double cost = std::numeric_limits<double>::quiet_NaN();          // time per sample / meanValue's
    double efficiency = std::numeric_limits<double>::quiet_NaN();    // factor / cost
    double slope = std::numeric_limits<double>::quiet_NaN();         // of RMS error against N, log–log
    std::vector<double> rms;                                         // RMS error at each chart N
    std::string note;                                                // Russian, empty when none
    bool failed = false;                                             // note holds the explained failure
    int runsDone = 0;                                                // of the M at N
};

struct MethodsResults {
    std::vector<int64_t> chartN;
    std::vector<MethodResult> methods;  // in the order of Method
    double progress = 0;
    bool finished = false;
    bool cancelled = false;
};

// Runs every method M times at N and chartRuns times at each chart N on
// worker threads, one run per work item, results combined in a fixed order:
// one seed gives the same figures (all but the measured cost) on any number of
// threads.
class MethodsRunner {
public:
    using ProgressCallback = std::function<void(double)>;

    // Makes one integrand per worker thread, on the calling thread. progress
    // is called from the workers with 0..1, at most about a thousand times.
    MethodsRunner(MethodsSettings settings, const IntegrandFactory& factory, ProgressCallback progress = {});
    ~MethodsRunner();  // cancels and waits

    MethodsRunner(const MethodsRunner&) = delete;
    MethodsRunner& operator=(const MethodsRunner&) = delete;

    void start();
    void cancel();  // the workers leave within a few dozen evaluations
    void wait();
    bool running() const;
    MethodsResults snapshot() const;
    unsigned threads() const { return static_cast<unsigned>(integrands_.size()); }

private:
    struct Item {
        int method;  // index into methods_
        int size;    // 0: the table's N, k: chartN_[k − 1]
        int run;
    };
    struct Slot {
        double value = std::numeric_limits<double>::quiet_NaN();
        double ownError = std::numeric_limits<double>::quiet_NaN();
        bool done = false;
    };

    void work(Integrand& f, bool scans);
    void runItem(Integrand& f, size_t index);
    int64_t sizeAt(int size) const;
    int runsAt(int size) const;
    Slot& slot(const Item& item);
    void failMethod(int method, size_t item, const EvaluationFailure& failure);

    MethodsSettings settings_;
    ProgressCallback progress_;
    std::vector<Method> methods_;
    std::vector<int64_t> chartN_;
    std::vector<std::unique_ptr<Integrand>> integrands_;
    std::vector<std::thread> workers_;
    std::vector<Item> items_;
    std::vector<size_t> slotStart_;  // per method and size
    std::vector<Slot> slots_;

    MethodScan scan_;
    bool scanned_ = false;
    std::optional<EvaluationFailure> scanFailure_;

    std::atomic<size_t> nextItem_{0};
    std::atomic<bool> cancel_{false};
    std::atomic<int> active_{0};
    std::atomic<int64_t> doneEvaluations_{0};
    std::atomic<int> reportedPermille_{0};
    double totalEvaluations_ = 1;
    bool started_ = false;

    mutable std::mutex mutex_;  // guards the slots, failures and timings
    static constexpr size_t noItem = ~size_t{0};
    struct Failure {
        size_t item = noItem;  // the first item that failed
        EvaluationFailure failure;
    };
    std::vector<Failure> failures_;    // per method
    std::vector<double> seconds_;      // CPU time per method
    std::vector<double> evaluations_;  // evaluations timed per method
    std::vector<int64_t> missing_;     // points without a value per method
    mutable std::mutex scanMutex_;     // guards the scan until it is finished
    std::condition_variable scanDone_;
    bool scanFinished_ = false;
};

}  // namespace mcplot::study
