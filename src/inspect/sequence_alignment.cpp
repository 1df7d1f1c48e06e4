#include "inspect/sequence_alignment.h"

#include <algorithm>
#include <cstdint>

namespace {

using Pairs = std::vector<std::pair<size_t, size_t>>;

// The longest common subsequence of a[from..] and b[from..] over rows x columns items, from a
// table of the suffixes' lengths.
void alignExactly(size_t fromA, size_t fromB, size_t rows, size_t columns,
                  const std::function<bool(size_t, size_t)>& equal, Pairs& out) {
    const size_t width = columns + 1;
    std::vector<uint32_t> length((rows + 1) * width, 0);
    for (size_t i = rows; i-- > 0;) {
        for (size_t j = columns; j-- > 0;) {
            length[i * width + j] =
                equal(fromA + i, fromB + j)
                    ? length[(i + 1) * width + j + 1] + 1
                    : std::max(length[(i + 1) * width + j], length[i * width + j + 1]);
        }
    }
    size_t i = 0, j = 0;
    while (i < rows && j < columns) {
        if (length[i * width + j] == length[(i + 1) * width + j + 1] + 1 &&
            equal(fromA + i, fromB + j)) {
            out.emplace_back(fromA + i, fromB + j);
            ++i;
            ++j;
        } else if (length[(i + 1) * width + j] >= length[i * width + j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
}

}  // namespace

Pairs alignEqualItems(size_t n, size_t m, const std::function<bool(size_t, size_t)>& equal,
                      AlignmentBudget& budget) {
    Pairs pairs;
    size_t head = 0;
    while (head < n && head < m && equal(head, head)) {
        pairs.emplace_back(head, head);
        ++head;
    }
    size_t tail = 0;
    while (tail < n - head && tail < m - head && equal(n - 1 - tail, m - 1 - tail)) ++tail;

    const size_t rows = n - head - tail, columns = m - head - tail;
    if (rows > 0 && columns > 0) {
        const bool fits = columns <= AlignmentBudget::kCellsPerAlignment / (rows + 1) &&
                          (rows + 1) * (columns + 1) <= AlignmentBudget::kCellsPerAlignment;
        const size_t cells = fits ? (rows + 1) * (columns + 1) : 0;
        if (fits && cells <= budget.cellsLeft) {
            budget.cellsLeft -= cells;
            alignExactly(head, head, rows, columns, equal, pairs);
        } else {
            for (size_t k = 0; k < std::min(rows, columns); ++k) {
                if (equal(head + k, head + k)) pairs.emplace_back(head + k, head + k);
            }
        }
    }
    for (size_t k = tail; k-- > 0;) pairs.emplace_back(n - 1 - k, m - 1 - k);
    return pairs;
}
