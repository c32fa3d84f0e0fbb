#pragma once
// Driver against bare, round after round: each round runs the driver's way and then the bare
// counterpart doing the same work, so both meet the same machine load, and the figure is
// time(driver) / time(bare) per round: its median, quartiles and extremes over the rounds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

class TPairedRounds {
public:
    // What is timed: the time the program's processor use grows by (for work in this thread
    // that waits for nothing), or the time on the wall (for work that waits on a peer).
    enum TMeasure { processorTime, wallTime };

    TPairedRounds(std::string name, TMeasure measure) : FName(std::move(name)), FMeasure(measure) {}

    // One round, driver first.
    template <class Driver, class Bare>
    void Round(benchmark::State& state, Driver&& driver, Bare&& bare) {
        const double d = Time(driver);
        Add(state, d, Time(bare));
    }
    // The same in two steps, for rounds with untimed work between the two: the seconds each
    // took, as Time gives them. The driver's time becomes the iteration's time.
    void Add(benchmark::State& state, double driverSeconds, double bareSeconds) {
        Add(driverSeconds, bareSeconds);
        state.SetIterationTime(driverSeconds);
    }
    // Only noted, for a second pair timed in the same iteration.
    void Add(double driverSeconds, double bareSeconds) {
        FDriver.push_back(driverSeconds);
        FBare.push_back(bareSeconds);
    }
    template <class Work>
    double Time(Work&& work) {
        if (FMeasure == processorTime) {
            const std::clock_t start = std::clock();
            work();
            return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        }
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    // Counters on the benchmark's line and one summary line for the end of the program.
    void Report(benchmark::State& state) {
        std::vector<double> ratios;
        for (size_t k = 0; k < FDriver.size(); ++k) ratios.push_back(FBare[k] > 0 ? FDriver[k] / FBare[k] : 0);
        if (ratios.empty()) return;
        const double median = Quantile(ratios, 0.5);
        state.counters["driver/bare"] = median;
        state.counters["bare_ms"] = Quantile(FBare, 0.5) * 1000;
        char line[320];
        std::snprintf(line, sizeof line,
                      "%-26s driver/bare %.2f median (quartiles %.2f-%.2f, min %.2f, max %.2f; %zu rounds, "
                      "median driver %.1f ms, bare %.1f ms, %s time)",
                      FName.c_str(), median, Quantile(ratios, 0.25), Quantile(ratios, 0.75),
                      *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                      ratios.size(), Quantile(FDriver, 0.5) * 1000, Quantile(FBare, 0.5) * 1000,
                      FMeasure == processorTime ? "processor" : "wall");
        Summary().push_back(line);
    }

    // Extra lines for the summary (memory figures and the like).
    static void Note(const std::string& line) { Summary().push_back(line); }
    // A benchmark program's main: the benchmarks, then afterMeasuring, then the summary lines.
    template <class AfterMeasuring>
    static int RunProgram(int argc, char** argv, AfterMeasuring&& afterMeasuring) {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        afterMeasuring();
        PrintSummary();
        return 0;
    }
    static int RunProgram(int argc, char** argv) {
        return RunProgram(argc, argv, [] {});
    }
    static void PrintSummary() {
        std::printf("\n");
        for (const std::string& line : Summary()) std::printf("%s\n", line.c_str());
    }

private:
    // Linear between the two nearest ranks.
    static double Quantile(std::vector<double> values, double q) {
        std::sort(values.begin(), values.end());
        const double at = q * static_cast<double>(values.size() - 1);
        const size_t low = static_cast<size_t>(at);
        const size_t high = std::min(low + 1, values.size() - 1);
        return values[low] + (values[high] - values[low]) * (at - static_cast<double>(low));
    }
    static std::vector<std::string>& Summary() {
        static std::vector<std::string> lines;
        return lines;
    }

    std::string FName;
    TMeasure FMeasure;
    std::vector<double> FDriver;
    std::vector<double> FBare;
};
