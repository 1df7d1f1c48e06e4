#pragma once

#include <string>

#include "inspect/archive_comparison.h"

// The comparison as a person reads it in a terminal: a summary line naming both archives, then
// one line for each thing that differs, the entries first, then bone by bone, the images and
// the unread bytes. Each line ends in a line end.
std::string comparisonText(const ArchiveComparison& comparison, const std::string& nameA,
                           const std::string& nameB);
