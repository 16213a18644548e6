// 10⁶ throws, each giving a hit-or-miss count and a term of the mean-value
// sum, through the study (one worker thread, with its reference quadrature and
// block bookkeeping) and through a plain loop with the formula inlined. The
// study's time over the plain loop's follows the report.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench/ratio_report.h"
#include "study/program_integrands.h"
#include "study/random_stream.h"
#include "study/study.h"
#include "core/vbscript_host.h"

using namespace mcplot;
using namespace mcplot::study;

namespace {

constexpr int64_t throws = 1'000'000;
const Box gaussBox{0, 3, 0, 1};
const char* const sample = "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2";
const Box sampleBox{0, 14.2, 0, 7.5};

double gauss(double x) {
    return std::exp(-(std::pow(x, 2)));
}
double sampleFormula(double x) {
    const double c = 30 * 3.14 / 180;
    return 5 + std::tan(c) * x - 9.8 * std::pow(x, 2) / 2 / std::pow(10, 2) / std::pow(std::cos(c), 2);
}

template <class F>
void plainLoop(benchmark::State& state, const Box& box, F f) {
    for (auto _ : state) {
        RandomStream random(1, 1, 0);
        int64_t signedHits = 0;
        double sumF = 0;
        for (int64_t k = 0; k < throws; ++k) {
            const double x = box.a + box.width() * random.next();
            const double yr = box.ymin + box.height() * random.next();
            const double y = f(x);
            sumF += y;
            if (yr <= y && yr >= 0)
                ++signedHits;
            else if (yr >= y && yr < 0)
                --signedHits;
        }
        benchmark::DoNotOptimize(box.area() * double(signedHits) / double(throws));
        benchmark::DoNotOptimize(box.width() * sumF / double(throws));
    }
}

void studyRun(benchmark::State& state, const Box& box, const IntegrandFactory& factory) {
    StudySettings s;
    s.box = box;
    s.throws = 0;
    s.runs = 0;
    s.maxThrows = throws;
    s.convergenceRuns = 1;  // one run of N_max throws, as the plain loop makes
    s.maxTrapezoidIntervals = 1;
    s.threads = 1;
    for (auto _ : state) {
        Study study(s, factory);
        study.start();
        study.wait();
        benchmark::DoNotOptimize(study.snapshot().convergence.hitOrMiss.back());
    }
}

void BM_GaussPlain(benchmark::State& s) {
    plainLoop(s, gaussBox, gauss);
}
void BM_GaussStudy(benchmark::State& s) {
    studyRun(s, gaussBox, builtInIntegrand(5, 0));
}
void BM_SamplePlain(benchmark::State& s) {
    plainLoop(s, sampleBox, sampleFormula);
}
void BM_SampleStudy(benchmark::State& s) {
    studyRun(s, sampleBox, expressionIntegrand(sample, [] { return std::make_unique<VBScriptHost>(); }));
}

}  // namespace

BENCHMARK(BM_GaussPlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GaussStudy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SamplePlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SampleStudy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv,
                                {{"BM_GaussStudy", "BM_GaussPlain", bench::Clock::Real},
                                 {"BM_SampleStudy", "BM_SamplePlain", bench::Clock::Real}});
}
