#include "cli/scan_reporting.h"

#include "cli/progress_line.h"
#include "console/console.h"

bool scanReporting(const std::string& path, SourceScan& scan) {
    {
        ProgressLine progress;
        scan = scanSource(path, [&](uint64_t done, uint64_t total) {
            progress.count(path, done, total, "done");
        });
    }
    for (const std::string& line : scan.problems) consolePrintf("%s\n", line.c_str());
    if (scan.failure.empty()) return true;
    consolePrintf("%s\n", scan.failure.c_str());
    return false;
}
