#pragma once

// Keeps each benchmark's wall time per iteration beside the usual report, so
// that a benchmark program can print its figures as `metric NAME VALUE UNIT`.

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

class Recorder : public benchmark::ConsoleReporter
{
public:
    // No colours: their escape codes would run into the metric lines.
    Recorder() : ConsoleReporter(OO_Tabular) { }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (!run.error_occurred && run.iterations > 0)
                seconds[run.run_name.function_name]
                    = run.real_accumulated_time / double(run.iterations);
        }
    }

    // Runs the benchmarks the command line selects, keeping their figures.
    void run(int argc, char **argv)
    {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks(this);
        benchmark::Shutdown();
    }

    // Prints the figure of one benchmark, when it ran, scaled to the unit.
    void print(const std::string &benchmark, const char *metric, const char *unit) const
    {
        const auto found = seconds.find(benchmark);
        if (found == seconds.end())
            return;
        const double scale = std::string(unit) == "us" ? 1e6 : std::string(unit) == "ms" ? 1e3 : 1;
        std::printf("metric %s %.3f %s\n", metric, found->second * scale, unit);
    }

    std::map<std::string, double> seconds;
};
