// A Monte Carlo run with the most throws the bar allows, on the raster canvas
// at the plot box's default size: what a student waits for after a click.
//
// BM_MonteCarloLimit is the floor for that run: the same 32 000 throws from the
// same random sequence, with the same roundings, the same formula and the same
// colours, each written as a 3 x 3 dot straight into an image's bits, and no
// other work. At the end the CPU time of each CmdOK_Click run is printed as a
// ratio to the limit measured in the same run; the command should stay within
// 1.5 x. On a busy machine add --benchmark_enable_random_interleaving=true so
// that both sides meet the same load.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>

#include "bench/ratio_report.h"
#include "canvas/raster_canvas.h"
#include "core/evaluation.h"
#include "core/monte_carlo.h"
#include "core/random.h"
#include "core/range_scan.h"
#include "tests/support/fakes.h"

using namespace mcplot;

namespace {

constexpr int kPlotWidth = 596, kPlotHeight = 264;  // the plot box at the window's first size
constexpr int16_t kMostThrows = 32000;
constexpr uint64_t kSeed = 20240607;

// The run commands drawing on a raster canvas of the plot box's default size.
struct Bench : testing::BasicEngineRig<RasterCanvas, ClockRandom> {
    Bench(int16_t nfun, double a, float b, int16_t nbros) {
        canvas.resize(kPlotWidth, kPlotHeight);
        random.fixSeed(kSeed);
        testing::setUpState(state, nfun, a, b, 2, nbros);
    }
};

void monteCarloRun(benchmark::State& s, int16_t nfun, double a, float b) {
    Bench bench(nfun, a, b, kMostThrows);
    for (auto _ : s) {
        bench.engine.CmdOK_Click();
        benchmark::DoNotOptimize(bench.state.ikarlo);
    }
    s.SetLabel(bench.controls.label6 + " " + bench.controls.label2);
}

void BM_CmdOK_Parabola(benchmark::State& s) {
    monteCarloRun(s, 2, 0, 3);
}
void BM_CmdOK_Planck1(benchmark::State& s) {
    monteCarloRun(s, 7, 0.01, 12);
}
void BM_Command1_Parabola(benchmark::State& s) {
    Bench bench(2, 0, 3, 0);
    for (auto _ : s) bench.engine.Command1_Click();
}

// The throws alone, straight into the bits. The box and the window come from
// the same range scan the command makes; they are set up outside the timing.
void monteCarloLimit(benchmark::State& s, int16_t nfun, double a, float bLimit) {
    Evaluator scan(FunctionChoice{nfun, 0, {}});
    const RangeScan r = scanRange(scan, Number::dbl(a), bLimit, Number::integer(100), 2);
    // Built-in formulas keep single values, so ymin is an Integer 0 or a
    // Single and the ordinate is single arithmetic; the abscissa is double.
    const float ymin = static_cast<float>(r.ymin.value()), ymax = r.ymax;
    const double width = static_cast<double>(bLimit) - a;
    const float height = ymax - ymin;
    // The canvas transform of that window, as the canvas computes it.
    const double kx = kPlotWidth / (r.x2.value() - r.x1.value()), ky = kPlotHeight / (r.y2 - r.y1.value());
    const double dx = -r.x1.value() * kx, dy = -r.y1.value() * ky;

    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const uint32_t blue = argbFromBgr(colors::blue), red = argbFromBgr(colors::red);
    ClockRandom random;
    random.fixSeed(kSeed);
    int counted = 0;
    for (auto _ : s) {
        random.reseedFromClock();
        float y = 0;
        counted = 0;
        for (int k = 0; k < kMostThrows; ++k) {
            const double x = a + width * random.next();
            const float yr = ymin + height * random.next();
            const float v = builtInFormula(nfun, x, 0);
            if (!std::isnan(v)) y = v;
            const bool hit = classifyThrow(yr, y) != ThrowKind::Miss;
            counted += hit;
            const int left = static_cast<int>(std::floor(kx * x + dx - 1));
            const int top = static_cast<int>(std::floor(ky * yr + dy - 1));
            const int x0 = std::max(0, left), x1 = std::min(kPlotWidth, left + 3);
            const int y0 = std::max(0, top), y1 = std::min(kPlotHeight, top + 3);
            const uint32_t color = hit ? blue : red;
            for (int row = y0; row < y1; ++row) {
                auto* line = reinterpret_cast<uint32_t*>(bits + row * stride);
                for (int col = x0; col < x1; ++col) line[col] = color;
            }
        }
        benchmark::DoNotOptimize(bits);
        benchmark::ClobberMemory();
    }
    s.counters["counted"] = counted;
}

void BM_MonteCarloLimit(benchmark::State& s) {
    if (s.range(0) == 2)
        monteCarloLimit(s, 2, 0, 3);
    else
        monteCarloLimit(s, 7, 0.01, 12);
}

}  // namespace

BENCHMARK(BM_CmdOK_Parabola)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CmdOK_Planck1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MonteCarloLimit)
    ->Arg(2)
    ->Arg(7)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Command1_Parabola)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return bench::runBenchmarks(
        argc, argv,
        {{"BM_CmdOK_Parabola", "BM_MonteCarloLimit/2"}, {"BM_CmdOK_Planck1", "BM_MonteCarloLimit/7"}});
}
