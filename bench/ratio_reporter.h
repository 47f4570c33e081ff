// The console's table of a benchmark run, then each figure as a ratio to its limit: what a
// benchmark program prints after its runs.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace sondrel::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Plain text, as it goes into docs/performance.md: no colours.
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    // Keeps every benchmark's time per iteration: the median of repetitions where there are
    // some, else the single run.
    void ReportRuns(const std::vector<Run>& runs) override;
    // A benchmark's time, in its runs' unit; 0 where it did not run.
    double time(const std::string& name) const;
    // `target` is "<= N", ">= N" or empty; a ratio with a target says whether it meets it.
    // Nothing is printed where either did not run.
    void printRatio(const std::string& what, double ours, double limit,
                    const std::string& target) const;
    void printRatio(const std::string& what, const std::string& ours, const std::string& limit,
                    const std::string& target) const {
        printRatio(what, time(ours), time(limit), target);
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace sondrel::bench
