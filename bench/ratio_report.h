// The benchmarks' common main: runs what the command line selects, with all of
// Google Benchmark's own flags (--benchmark_format, --benchmark_out, filters,
// --benchmark_min_time…), and after the usual report prints each target ratio
// of the run: one benchmark's time over another's, both measured in the same
// run. The ratios follow the table on standard output; with JSON or CSV on
// standard output they go to standard error, so that the report stays
// machine-readable. A ratio whose two sides did not both run is left out.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace mcplot::bench {

enum class Clock { Cpu, Real };

// numerator / denominator, each named as the benchmark is registered with its
// arguments ("BM_MonteCarloLimit/2"), without repetition or timing suffixes.
struct Ratio {
    std::string numerator, denominator;
    Clock clock = Clock::Cpu;
};

namespace detail {

// The value of --NAME=VALUE on the command line, or "" when it is not given.
inline std::string flagValue(int argc, char** argv, std::string_view name) {
    const std::string prefix = "--" + std::string(name) + "=";
    std::string value;
    for (int k = 1; k < argc; ++k)
        if (std::strncmp(argv[k], prefix.c_str(), prefix.size()) == 0) value = argv[k] + prefix.size();
    return value;
}

inline bool isYes(const std::string& v) {
    return v == "true" || v == "yes" || v == "1" || v == "on";
}

// The display Google Benchmark would make from the same flags.
inline std::unique_ptr<benchmark::BenchmarkReporter> displayReporter(int argc, char** argv, bool& console) {
    const std::string format = flagValue(argc, argv, "benchmark_format");
    console = format.empty() || format == "console";
    if (format == "json") return std::make_unique<benchmark::JSONReporter>();
    if (format == "csv") {
        // Deprecated upstream, but still one of the library's own formats.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return std::make_unique<benchmark::CSVReporter>();
#pragma GCC diagnostic pop
    }
    const std::string color = flagValue(argc, argv, "benchmark_color");
    const char* term = std::getenv("TERM");
    const bool colored = color.empty() || color == "auto"
                             ? isatty(STDOUT_FILENO) && term && std::strcmp(term, "dumb") != 0
                             : isYes(color);
    int options = benchmark::ConsoleReporter::OO_None;
    if (colored) options |= benchmark::ConsoleReporter::OO_Color;
    if (isYes(flagValue(argc, argv, "benchmark_counters_tabular")))
        options |= benchmark::ConsoleReporter::OO_Tabular;
    return std::make_unique<benchmark::ConsoleReporter>(
        static_cast<benchmark::ConsoleReporter::OutputOptions>(options));
}

// Shows every run through the usual display and keeps each benchmark's time
// per iteration in seconds: the median of its repetitions when there is one,
// else the mean of its runs.
class RatioReporter : public benchmark::BenchmarkReporter {
public:
    RatioReporter(std::unique_ptr<BenchmarkReporter> display, bool console, std::vector<Ratio> ratios)
        : display_(std::move(display)), console_(console), ratios_(std::move(ratios)) {}

    bool ReportContext(const Context& context) override {
        display_->SetOutputStream(&GetOutputStream());
        display_->SetErrorStream(&GetErrorStream());
        return display_->ReportContext(context);
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        display_->ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string& args = run.run_name.args;
            Times& t = times_[run.run_name.function_name + (args.empty() ? "" : "/" + args)];
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            const double cpu = run.GetAdjustedCPUTime() / unit, real = run.GetAdjustedRealTime() / unit;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name != "median" || run.aggregate_unit != benchmark::kTime) continue;
                t.hasMedian = true;
                t.medianCpu = cpu;
                t.medianReal = real;
            } else {
                t.sumCpu += cpu;
                t.sumReal += real;
                ++t.runs;
            }
        }
    }
    void Finalize() override {
        display_->Finalize();
        std::ostream& out = console_ ? GetOutputStream() : GetErrorStream();
        for (const Ratio& r : ratios_) {
            const auto n = times_.find(r.numerator), d = times_.find(r.denominator);
            if (n == times_.end() || d == times_.end()) continue;
            const double top = n->second.seconds(r.clock), bottom = d->second.seconds(r.clock);
            if (!(bottom > 0)) continue;
            char value[32];
            std::snprintf(value, sizeof value, "%.2f", top / bottom);
            out << "ratio " << r.numerator << " / " << r.denominator << " = " << value
                << (r.clock == Clock::Cpu ? " (CPU time)" : " (real time)") << '\n';
        }
        out.flush();
    }

private:
    struct Times {
        bool hasMedian = false;
        double medianCpu = 0, medianReal = 0, sumCpu = 0, sumReal = 0;
        int runs = 0;
        double seconds(Clock c) const {
            if (hasMedian) return c == Clock::Cpu ? medianCpu : medianReal;
            if (runs == 0) return 0;
            return (c == Clock::Cpu ? sumCpu : sumReal) / runs;
        }
    };

    std::unique_ptr<BenchmarkReporter> display_;
    bool console_;
    std::vector<Ratio> ratios_;
    std::map<std::string, Times> times_;
};

}  // namespace detail

inline int runBenchmarks(int argc, char** argv, std::vector<Ratio> ratios) {
    // Read before Initialize, which takes its flags out of argv.
    bool console = true;
    auto display = detail::displayReporter(argc, argv, console);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    detail::RatioReporter reporter(std::move(display), console, std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace mcplot::bench
