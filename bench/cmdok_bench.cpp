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

template <class Host>
void run(benchmark::State& s) {
    testing::BasicEngineRig<RasterCanvas, ClockRandom, Host> bench;
    bench.canvas.resize(596, 264);
    bench.controls.expression = kSample;
    testing::setUpState(bench.state, 0, 0, 10, 2, 32000);
    for (auto _ : s) {
        bench.engine.CmdOK_Click();
        benchmark::DoNotOptimize(bench.state.ikarlo);
    }
    s.SetLabel(bench.controls.label6 + " " + bench.controls.label2 + " " + bench.controls.command1Caption);
}

void BM_CmdOK_SampleExpression(benchmark::State& s) {
    run<VBScriptHost>(s);
}
void BM_CmdOK_SampleCompiled(benchmark::State& s) {
    run<CompiledHost>(s);
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
