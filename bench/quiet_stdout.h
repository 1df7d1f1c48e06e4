#pragma once

// The loaders print one console line per bone and per texture. While benchmarks run, standard
// output goes to /dev/null (the lines are still formatted and written, as in the viewer), and
// the benchmark report goes to the stream this returns, which is the original standard output.

#include <ostream>

std::ostream& silenceStdoutAndGetReportStream();
