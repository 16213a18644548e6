// Samples per second of each variance-reduction method against the mean-value
// method, for the Gauss formula on [−3; 3], one run of 10⁵ evaluations at a
// time on one thread. After the usual output each method's CPU time per
// sample is printed as a ratio to the mean-value method's (the target is at
// most 2); with a machine-readable --benchmark_format the ratios go to stderr.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "study/methods.h"
#include "study/program_integrands.h"

using namespace mcplot::study;

namespace {

constexpr int64_t samples = 100'000;
const MethodParameters parameters{{-3, 3, 0, 1}, 1, 1};

struct Timing {
    double seconds = 0, samples = 0;
};
std::map<Method, Timing> timings;

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void BM_Method(benchmark::State& state) {
    const auto method = static_cast<Method>(state.range(0));
    state.SetLabel(methodInfo(method).name);
    std::unique_ptr<Integrand> f = builtInIntegrand(5, 0)();
    const MethodScan scan = *scanForMethods(*f, parameters.box.a, parameters.box.b, nullptr, nullptr);
    uint64_t run = 0;
    Timing& timing = timings[method];
    for (auto _ : state) {
        const double before = threadSeconds();
        const MethodRun result = runMethod(method, *f, parameters, scan, samples, run++, nullptr);
        timing.seconds += threadSeconds() - before;
        timing.samples += samples;
        benchmark::DoNotOptimize(result.value);
    }
    state.SetItemsProcessed(state.iterations() * samples);
}

}  // namespace

BENCHMARK(BM_Method)->DenseRange(0, methodCount - 1)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

int main(int argc, char** argv) {
    bool console = true;
    for (int k = 1; k < argc; ++k)
        if (std::strncmp(argv[k], "--benchmark_format=", 19) == 0)
            console = std::strcmp(argv[k] + 19, "console") == 0;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    FILE* out = console ? stdout : stderr;
    const auto mean = timings.find(Method::MeanValue);
    if (mean == timings.end() || mean->second.samples == 0) return 0;
    const double reference = mean->second.seconds / mean->second.samples;
    std::fprintf(out, "\nCPU time per sample against meanValue (%.1f ns), target at most 2:\n",
                 reference * 1e9);
    for (const auto& [method, timing] : timings) {
        if (timing.samples == 0) continue;
        const double ratio = timing.seconds / timing.samples / reference;
        std::fprintf(out, "%-15s %5.2f%s\n", methodInfo(method).name, ratio, ratio > 2 ? "  over" : "");
    }
    return 0;
}
