// Target: our whole per-point cost (script text, Reset, AddObject,
// ExecuteStatement, read Res.p) at most 0.1 x muparser's SetExpr + Eval for
// every expression, both measured in the same run. Each iteration is one
// point of a plot run.
#include <benchmark/benchmark.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "numbers/number.h"
#include "core/evaluation.h"
#include "core/vbscript_host.h"

#ifdef MCPLOT_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

struct Expression {
    const char* vbscript;
    const char* muparser;
};

const Expression kExpressions[] = {
    {"x^2", "x^2"},
    {"sin(x)*exp(-x)", "sin(x)*exp(-x)"},
    {"Sqr(Abs(x))+1/(1+x^2)", "sqrt(abs(x))+1/(1+x^2)"},
    {"5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2",
     "5+tan(30*3.14/180)*x -9.8*x^2/2/10^2/(cos(30*3.14/180))^2"},
    {"Log(x+2)*Atn(x)-Round(x,3)", "ln(x+2)*atan(x)-rint(x*1000)/1000"},
};

// The arguments of a plot over [0, 10] with 100 steps, cycled.
double argument(int64_t k) {
    return static_cast<double>(k % 101) * 0.1;
}

void BM_VBScriptPoint(benchmark::State& state) {
    const Expression& e = kExpressions[state.range(0)];
    mcplot::VBScriptHost host;
    auto res = std::make_shared<mcplot::PubResults>();
    int64_t k = 0;
    double sum = 0;
    std::string kod;  // reused from point to point, as the program does
    for (auto _ : state) {
        mcplot::writePointScript(kod, argument(k++), e.vbscript);
        host.Reset();
        host.AddObject("Res", res);
        if (!host.ExecuteStatement(kod).ok) {
            state.SkipWithError("script failed");
            break;
        }
        sum += res->p;
    }
    benchmark::DoNotOptimize(sum);
    state.SetLabel(e.vbscript);
}
BENCHMARK(BM_VBScriptPoint)->DenseRange(0, 4);

#ifdef MCPLOT_HAVE_MUPARSER
void BM_MuParserPoint(benchmark::State& state) {
    const Expression& e = kExpressions[state.range(0)];
    mu::Parser parser;
    double x = 0;
    parser.DefineVar("x", &x);
    int64_t k = 0;
    double sum = 0;
    for (auto _ : state) {
        x = argument(k++);
        parser.SetExpr(e.muparser);
        sum += parser.Eval();
    }
    benchmark::DoNotOptimize(sum);
    state.SetLabel(e.muparser);
}
BENCHMARK(BM_MuParserPoint)->DenseRange(0, 4);
#endif

}  // namespace

int main(int argc, char** argv) {
    std::vector<mcplot::bench::Ratio> ratios;
    for (size_t k = 0; k < std::size(kExpressions); ++k)
        ratios.push_back({"BM_VBScriptPoint/" + std::to_string(k), "BM_MuParserPoint/" + std::to_string(k)});
    return mcplot::bench::runBenchmarks(argc, argv, std::move(ratios));
}
