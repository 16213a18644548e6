// Samples per second of each variance-reduction method against the mean-value
// method, for the Gauss formula on [−3; 3], one run of 10⁵ evaluations at a
// time on one thread. After the usual report each method's CPU time per
// sample is printed as a ratio to the mean-value method's (the target is at
// most 2).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ratio_report.h"

#include "study/methods.h"
#include "study/program_integrands.h"

using namespace mcplot::study;

namespace {

constexpr int64_t samples = 100'000;
const MethodParameters parameters{{-3, 3, 0, 1}, 1, 1};

void BM_Method(benchmark::State& state) {
    const auto method = static_cast<Method>(state.range(0));
    state.SetLabel(methodInfo(method).name);
    std::unique_ptr<Integrand> f = builtInIntegrand(5, 0)();
    const MethodScan scan = scanForMethods(*f, parameters.box.a, parameters.box.b, nullptr).result;
    uint64_t run = 0;
    for (auto _ : state) {
        const MethodRun result = runMethod(method, *f, parameters, scan, samples, run++, nullptr);
        benchmark::DoNotOptimize(result.value);
    }
    state.SetItemsProcessed(state.iterations() * samples);
}

}  // namespace

BENCHMARK(BM_Method)->DenseRange(0, mcplot::study::methodCount - 1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // Every method's time for the same number of samples over the mean-value
    // method's: the cost per sample (target at most 2).
    std::vector<mcplot::bench::Ratio> ratios;
    const std::string meanValue = "BM_Method/" + std::to_string(static_cast<int>(Method::MeanValue));
    for (int k = 0; k < mcplot::study::methodCount; ++k)
        if (k != static_cast<int>(Method::MeanValue))
            ratios.push_back({"BM_Method/" + std::to_string(k), meanValue, mcplot::bench::Clock::Cpu});
    return mcplot::bench::runBenchmarks(argc, argv, std::move(ratios));
}
