#pragma once

#include <string>

#include "source/source_scan.h"

// Scans one source as the disc modes do: a progress line on a terminal while it runs, then its
// problem lines and, when it cannot be read, the line that says so. false when it cannot be read.
bool scanReporting(const std::string& path, SourceScan& scan);
