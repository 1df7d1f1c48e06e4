#include "ratio_reporter.h"

#include <cstdio>
#include <ostream>

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
        seconds_[run.benchmark_name()] =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::secondsPerIteration(const std::string& name) const {
    const auto it = seconds_.find(name);
    return it == seconds_.end() ? -1.0 : it->second;
}

void RatioReporter::printRatio(const std::string& label, const std::string& measured,
                               const std::string& reference, double limit) {
    const double a = secondsPerIteration(measured);
    const double b = secondsPerIteration(reference);
    if (a < 0 || b <= 0) return;
    char line[256];
    const double ratio = a / b;
    if (limit > 0) {
        std::snprintf(line, sizeof line, "%-44s %10.2f x  (target <= %.1f x: %s)\n", label.c_str(),
                      ratio, limit, ratio <= limit ? "met" : "MISSED");
    } else {
        std::snprintf(line, sizeof line, "%-44s %10.2f x\n", label.c_str(), ratio);
    }
    GetOutputStream() << line;
    GetOutputStream().flush();
}
