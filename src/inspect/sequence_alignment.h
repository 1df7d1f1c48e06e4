#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

// How much work the alignments of one comparison may do between them: the cells of the tables
// they fill. An archive made to be costly falls back to matching by index once it is spent.
struct AlignmentBudget {
    static constexpr size_t kCellsPerAlignment = size_t{1} << 22;
    static constexpr size_t kCellsPerComparison = size_t{1} << 25;
    size_t cellsLeft = kCellsPerComparison;
};

// Aligns two sequences of n and m items as diff aligns lines: the pairs (i, j) of equal items
// in a longest common subsequence, in increasing order. The equal runs at both ends are taken
// first; the rest is aligned exactly while the table fits the budget, else item k of one with
// item k of the other wherever they are equal.
std::vector<std::pair<size_t, size_t>> alignEqualItems(
    size_t n, size_t m, const std::function<bool(size_t i, size_t j)>& equal,
    AlignmentBudget& budget);
