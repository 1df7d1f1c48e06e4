#pragma once

#include <nlohmann/json.hpp>

#include "inspect/archive_comparison.h"

// The comparison as one JSON document: same, bytes, every entry, the bones and images that
// differ (each with only the fields that differ, as [a, b] pairs, or only), and the count of
// unread bytes that differ.
nlohmann::ordered_json comparisonJson(const ArchiveComparison& comparison);
