// A Monte Carlo run with the most throws the bar allows, on the raster canvas
// at the plot box's default size: what a student waits for after a click.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "canvas/raster_canvas.h"
#include "tests/support/fakes.h"

using namespace mcplot;

namespace {

// An engine drawing on a raster canvas of the plot box's default size.
struct Bench {
    CalcState state;
    RasterCanvas canvas;
    testing::ScriptedHost host;
    testing::FakeControls controls;
    ClockRandom random;
    PlotCommands engine{state, canvas, host, controls, random};

    Bench(int16_t nfun, double a, float b, int16_t nbros) {
        canvas.resize(596, 264);
        state.nfun = nfun;
        state.a = Number::dbl(a);
        state.b = b;
        state.mashtab = 2;
        state.nbros = nbros;
        state.n = Number::integer(100);
    }
};

void monteCarloRun(benchmark::State& s, int16_t nfun, double a, float b) {
    Bench bench(nfun, a, b, 32000);
    for (auto _ : s) {
        bench.engine.CmdOK_Click();
        benchmark::DoNotOptimize(bench.state.ikarlo);
    }
    s.SetLabel(bench.controls.label6 + " " + bench.controls.label2);
}

void BM_CmdOK_Parabola(benchmark::State& s) { monteCarloRun(s, 2, 0, 3); }
void BM_CmdOK_Planck1(benchmark::State& s) { monteCarloRun(s, 7, 0.01, 12); }
void BM_Command1_Parabola(benchmark::State& s) {
    Bench bench(2, 0, 3, 0);
    for (auto _ : s) bench.engine.Command1_Click();
}

}  // namespace

BENCHMARK(BM_CmdOK_Parabola)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CmdOK_Planck1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Command1_Parabola)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
