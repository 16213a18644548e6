// The Monte Carlo command with the sample expression typed by the user, side
// by side with the same command whose host computes the expression in
// compiled C++: the cost of parsing the expression afresh at every point.
// Target: BM_CmdOK_SampleExpression at most 10 x BM_CmdOK_SampleCompiled.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <memory>
#include <string_view>

#include "bench/ratio_report.h"
#include "canvas/raster_canvas.h"
#include "core/vbscript_host.h"
#include "tests/support/fakes.h"
#include "tests/support/point_script.h"

using namespace mcplot;

namespace {

constexpr const char* kSample = "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2";

// The sample expression compiled: reads x from the script text's first line
// and stores the value in Res.p, as the interpreter would.
class CompiledHost : public ScriptHost {
public:
    void Reset() override {}
    ScriptStatus AddObject(std::string_view, std::shared_ptr<PubResults> object) override {
        res_ = std::move(object);
        return ScriptStatus::success();
    }
    ScriptStatus ExecuteStatement(std::string_view code) override {
        const double x = testing::pointArgument(code);
        const double deg = 30 * 3.14 / 180;
        res_->p =
            5 + std::tan(deg) * x - 9.8 * std::pow(x, 2) / 2 / std::pow(10, 2) / std::pow(std::cos(deg), 2);
        return ScriptStatus::success();
    }

private:
    std::shared_ptr<PubResults> res_;
};

struct Bench {
    CalcState state;
    RasterCanvas canvas;
    testing::FakeControls controls;
    ClockRandom random;
    std::unique_ptr<ScriptHost> host;
    std::unique_ptr<PlotCommands> engine;

    explicit Bench(std::unique_ptr<ScriptHost> h) : host(std::move(h)) {
        canvas.resize(596, 264);
        controls.expression = kSample;
        state.nfun = 0;
        state.a = Number::dbl(0);
        state.b = 10;
        state.mashtab = 2;
        state.nbros = 32000;
        state.n = Number::integer(100);
        engine = std::make_unique<PlotCommands>(state, canvas, *host, controls, random);
    }
};

void run(benchmark::State& s, std::unique_ptr<ScriptHost> host) {
    Bench bench(std::move(host));
    for (auto _ : s) {
        bench.engine->CmdOK_Click();
        benchmark::DoNotOptimize(bench.state.ikarlo);
    }
    s.SetLabel(bench.controls.label6 + " " + bench.controls.label2 + " " + bench.controls.command1Caption);
}

void BM_CmdOK_SampleExpression(benchmark::State& s) {
    run(s, std::make_unique<VBScriptHost>());
}
void BM_CmdOK_SampleCompiled(benchmark::State& s) {
    run(s, std::make_unique<CompiledHost>());
}

}  // namespace

BENCHMARK(BM_CmdOK_SampleExpression)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CmdOK_SampleCompiled)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv, {{"BM_CmdOK_SampleExpression", "BM_CmdOK_SampleCompiled"}});
}
