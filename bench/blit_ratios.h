// Prints, after the usual table, each measured benchmark's time as a ratio of
// a reference measured in the same run: CPU time where all the work is this
// process's (the machine is shared, so wall time counts the neighbours too),
// wall time where another process (the display server) does part of it.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Pair {
        std::string measured;
        std::string reference;
        double goal;  // the ratio to stay at or below
    };
    RatioReporter(std::vector<Pair> pairs, bool wallTime) : pairs_(std::move(pairs)), wallTime_(wallTime) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                times_[run.run_name.function_name] = wallTime_ ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %-34s %8s %6s\n", "measured", "reference", "ratio", "goal");
        for (const Pair& p : pairs_) {
            if (!times_.count(p.measured) || !times_.count(p.reference) || times_[p.reference] <= 0) continue;
            const double ratio = times_[p.measured] / times_[p.reference];
            std::printf("%-44s %-34s %8.3f %6.2f %s\n", p.measured.c_str(), p.reference.c_str(), ratio, p.goal,
                        ratio <= p.goal ? "met" : "MISSED");
        }
    }

private:
    std::vector<Pair> pairs_;
    bool wallTime_;
    std::map<std::string, double> times_;
};

inline int RunWithRatios(int argc, char** argv, std::vector<RatioReporter::Pair> pairs, bool wallTime = false) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(pairs), wallTime);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
