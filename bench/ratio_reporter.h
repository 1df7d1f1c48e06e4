#pragma once

// A console reporter that remembers each benchmark's CPU time per iteration, so that the run
// can close with the ratios that are the figures of interest (an operation next to its limit).
// Ratios use CPU time (the process's user and system time), which the other programs sharing
// the machine disturb less than wall-clock time.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes: the report is kept as text
    void ReportRuns(const std::vector<Run>& runs) override;

    // Seconds per iteration of the named benchmark (its full name, arguments included), or a
    // negative value when it did not run.
    double secondsPerIteration(const std::string& name) const;

    // Prints "label: a / b = ratio (target <= limit: met|missed)" for two benchmarks that ran.
    void printRatio(const std::string& label, const std::string& measured,
                    const std::string& reference, double limit = 0.0);

  private:
    std::map<std::string, double> seconds_;
};
