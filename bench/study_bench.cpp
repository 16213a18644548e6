// 10⁶ throws, each giving a hit-or-miss count and a term of the mean-value
// sum, through the study (one worker thread, with its reference quadrature and
// block bookkeeping) and through a plain loop with the formula inlined. The
// reporter prints study / plain for each pair of the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

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

// Prints the ratio of each "...Study" benchmark to its "...Plain" partner.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                seconds_[r.benchmark_name().substr(0, r.benchmark_name().find('/'))] =
                    r.real_accumulated_time / double(r.iterations);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* name : {"BM_Gauss", "BM_Sample"}) {
            const auto plain = seconds_.find(std::string(name) + "Plain");
            const auto study = seconds_.find(std::string(name) + "Study");
            if (plain == seconds_.end() || study == seconds_.end()) continue;
            std::printf("%s: study %.1f ms, plain loop %.1f ms, ratio %.2f\n", name + 3, study->second * 1e3,
                        plain->second * 1e3, study->second / plain->second);
        }
    }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

BENCHMARK(BM_GaussPlain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_GaussStudy)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SamplePlain)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_SampleStudy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
