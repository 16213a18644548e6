// A Monte Carlo run with the most throws the bar allows, on the raster canvas
// at the plot box's default size: what a student waits for after a click.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "canvas/raster_canvas.h"
#include "tests/support/fakes.h"

using namespace mcplot;

namespace {

void monteCarloRun(benchmark::State& bench, int16_t nfun, double a, float b) {
    CalcState state;
    RasterCanvas canvas;
    canvas.resize(596, 264);
    testing::ScriptedHost host;
    testing::FakeControls controls;
    ClockRandom random;
    Engine engine(state, canvas, host, controls, random);
    state.nfun = nfun;
    state.a = Number::dbl(a);
    state.b = b;
    state.mashtab = 2;
    state.nbros = 32000;
    state.n = Number::integer(100);
    canvas.setDrawWidth(1);
    for (auto _ : bench) {
        engine.CmdOK_Click();
        benchmark::DoNotOptimize(state.ikarlo);
    }
    bench.SetLabel(controls.label6 + " " + controls.label2);
}

void BM_CmdOK_Parabola(benchmark::State& s) { monteCarloRun(s, 2, 0, 3); }
void BM_CmdOK_Planck1(benchmark::State& s) { monteCarloRun(s, 7, 0.01, 12); }
void BM_Command1_Parabola(benchmark::State& s) {
    CalcState state;
    RasterCanvas canvas;
    canvas.resize(596, 264);
    testing::ScriptedHost host;
    testing::FakeControls controls;
    ClockRandom random;
    Engine engine(state, canvas, host, controls, random);
    state.nfun = 2;
    state.a = Number::dbl(0);
    state.b = 3;
    state.mashtab = 2;
    state.n = Number::integer(100);
    for (auto _ : s) engine.Command1_Click();
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
