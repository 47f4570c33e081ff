#include "bench/ratio_reporter.h"

#include <cstdio>

namespace sondrel::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (!run.error_occurred && (median || run.run_type == Run::RT_Iteration)) {
            seconds_[run.run_name.str()] = run.GetAdjustedRealTime();
        }
    }
}

double RatioReporter::time(const std::string& name) const {
    const auto found = seconds_.find(name);
    return found == seconds_.end() ? 0 : found->second;
}

void RatioReporter::printRatio(const std::string& what, double ours, double limit,
                               const std::string& target) const {
    if (ours <= 0 || limit <= 0) {
        return;
    }
    const double ratio = ours / limit;
    const char* verdict = "";
    if (target.size() > 3) {
        const double bound = std::stod(target.substr(3));
        verdict = (target[0] == '<' ? ratio <= bound : ratio >= bound) ? "  met" : "  MISSED";
    }
    std::printf("%-48s %8.2f   %s%s\n", what.c_str(), ratio, target.c_str(), verdict);
}

} // namespace sondrel::bench
