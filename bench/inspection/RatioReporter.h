#ifndef BENCH_INSPECTION_RATIOREPORTER_H
#define BENCH_INSPECTION_RATIOREPORTER_H

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Collects the time per iteration of every run so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                cpu[run.benchmark_name()] = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Every reference beside its own figure: a reference is named like the benchmark it
    // serves with one more path segment after the first ("ours/args" and "ours/reference/args",
    // or "ours" and "ours/reference").
    void printRatios() const
    {
        std::printf("\nratios (ours / reference, time per call):\n");
        for (const auto &entry : seconds) {
            const std::string &name = entry.first;
            const size_t first = name.find('/');
            if (first == std::string::npos)
                continue;
            const size_t second = name.find('/', first + 1);
            const std::string own = name.substr(0, first) + (second == std::string::npos ? "" : name.substr(second));
            const auto ours = seconds.find(own);
            if (ours == seconds.end() || ours->first == name || entry.second <= 0)
                continue;
            std::printf("  %-64s %6.2fx\n", name.c_str(), ours->second / entry.second);
        }
    }

    // Time per iteration of a benchmark, 0 when it did not run.
    double secondsOf(const std::string &name) const
    {
        const auto found = seconds.find(name);
        return found == seconds.end() ? 0.0 : found->second;
    }

    // CPU time per iteration (of every thread where the benchmark measures the process), 0 when
    // it did not run.
    double cpuSecondsOf(const std::string &name) const
    {
        const auto found = cpu.find(name);
        return found == cpu.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpu;
};

// Runs the benchmarks given on the command line and prints the ratios after the table, then
// whatever more the caller prints from the figures.
template <typename More = void (*)(const RatioReporter &)>
int runWithRatios(int argc, char **argv, More more = [](const RatioReporter &) {})
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    more(reporter);
    benchmark::Shutdown();
    return 0;
}

#endif
