// Target: the study of the sample expression of "Ваша функция" through the
// interpreter at most 5 x the same study with the expression compiled as C++
// (one thread, same seed and sizes, measured in the same run), and a study
// with the window's defaults and N = 32 000 under 3 s on this machine. The
// ratio and the default study's time are printed after the benchmark's own
// output (to stderr when that output is JSON), and the ratio is also the
// "ratio" counter of the interpreted study.
#include <benchmark/benchmark.h>

#include "ratio_report.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/vbscript_host.h"
#include "study/program_integrands.h"
#include "study/study.h"

using namespace mcplot;
using namespace mcplot::study;

namespace {

const char* const sample = "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2";
const Box sampleBox{0, 14.2, 0, 7.5};

double sampleFormula(double x) {
    return 5 + std::tan(30 * 3.14 / 180) * x -
           9.8 * std::pow(x, 2) / 2 / std::pow(10, 2) / std::pow(std::cos(30 * 3.14 / 180), 2);
}

IntegrandFactory interpreted() {
    return expressionIntegrand(sample, [] { return std::make_unique<VBScriptHost>(); });
}

StudySettings comparedSettings() {
    StudySettings s;
    s.box = sampleBox;
    s.throws = 2000;
    s.runs = 50;
    s.seed = 7;
    s.maxThrows = 100'000;
    s.maxTrapezoidIntervals = 100'000;
    s.threads = 1;
    return s;
}

// The processor time of the whole process, workers included: on a shared
// machine it varies less than the elapsed time.
double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Timing {
    double elapsed = 0, processor = 0;
};

// Runs the study in each iteration; the iteration's time is the study's.
Timing timeStudies(benchmark::State& state, const StudySettings& s, const IntegrandFactory& factory) {
    Timing total;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = processSeconds();
        Study study(s, factory);
        study.start();
        study.wait();
        benchmark::DoNotOptimize(study.snapshot().summary.reference);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        total.elapsed += elapsed;
        total.processor += processSeconds() - cpuStart;
    }
    const auto n = static_cast<double>(state.iterations());
    return {total.elapsed / n, total.processor / n};
}

Timing compiled, interpretedStudy, defaultStudy;

void BM_SampleStudyCompiled(benchmark::State& state) {
    compiled = timeStudies(state, comparedSettings(), factoryOf(sampleFormula));
}

void BM_SampleStudyInterpreted(benchmark::State& state) {
    interpretedStudy = timeStudies(state, comparedSettings(), interpreted());
    if (compiled.elapsed > 0) state.counters["ratio"] = interpretedStudy.elapsed / compiled.elapsed;
}

// The window's defaults (N_max 1 000 000, M = 200, trapezoid up to 100 000
// intervals, every core) with N = 32 000.
void BM_SampleDefaultStudy(benchmark::State& state) {
    StudySettings s;
    s.box = sampleBox;
    s.throws = 32'000;
    s.seed = 1;
    defaultStudy = timeStudies(state, s, interpreted());
}

}  // namespace

BENCHMARK(BM_SampleStudyCompiled)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_SampleStudyInterpreted)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_SampleDefaultStudy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

int main(int argc, char** argv) {
    bool json = false;
    for (int k = 1; k < argc; ++k)
        if (std::strncmp(argv[k], "--benchmark_format=", 19) == 0 &&
            std::strcmp(argv[k] + 19, "console") != 0)
            json = true;
    const int status = mcplot::bench::runBenchmarks(
        argc, argv,
        // Real time only: the studies run on worker threads, so the main
        // thread's processor time says nothing (the processor time of the
        // whole process is printed below).
        {{"BM_SampleStudyInterpreted", "BM_SampleStudyCompiled", mcplot::bench::Clock::Real}});
    if (status != 0) return status;
    std::FILE* out = json ? stderr : stdout;
    if (compiled.elapsed > 0 && interpretedStudy.elapsed > 0)
        std::fprintf(out,
                     "sample study: interpreted %.1f ms, compiled %.1f ms, ratio %.2f (target <= 5); "
                     "processor time %.1f / %.1f ms, ratio %.2f\n",
                     interpretedStudy.elapsed * 1e3, compiled.elapsed * 1e3,
                     interpretedStudy.elapsed / compiled.elapsed, interpretedStudy.processor * 1e3,
                     compiled.processor * 1e3, interpretedStudy.processor / compiled.processor);
    if (defaultStudy.elapsed > 0)
        std::fprintf(out, "default study, N = 32 000: %.2f s (target < 3 s), processor time %.2f s\n",
                     defaultStudy.elapsed, defaultStudy.processor);
    return 0;
}
