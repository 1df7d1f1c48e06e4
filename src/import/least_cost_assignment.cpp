#include "import/least_cost_assignment.h"

#include <limits>

const std::vector<size_t>& LeastCostAssignment::solve(size_t rows, size_t columns,
                                                      const std::vector<int64_t>& cost) {
    constexpr int64_t kUnreached = std::numeric_limits<int64_t>::max() / 4;
    // Rows and columns count from 1 here; column 0 stands for the row being placed.
    rowPotential_.assign(rows + 1, 0);
    columnPotential_.assign(columns + 1, 0);
    rowOf_.assign(columns + 1, 0);
    previous_.assign(columns + 1, 0);
    for (size_t row = 1; row <= rows; ++row) {
        rowOf_[0] = row;
        size_t column = 0;
        slack_.assign(columns + 1, kUnreached);
        visited_.assign(columns + 1, false);
        do {
            visited_[column] = true;
            const size_t at = rowOf_[column];
            int64_t step = kUnreached;
            size_t next = 0;
            for (size_t c = 1; c <= columns; ++c) {
                if (visited_[c]) continue;
                const int64_t reduced =
                    cost[(at - 1) * columns + (c - 1)] - rowPotential_[at] - columnPotential_[c];
                if (reduced < slack_[c]) {
                    slack_[c] = reduced;
                    previous_[c] = column;
                }
                if (slack_[c] < step) {
                    step = slack_[c];
                    next = c;
                }
            }
            for (size_t c = 0; c <= columns; ++c) {
                if (visited_[c]) {
                    rowPotential_[rowOf_[c]] += step;
                    columnPotential_[c] -= step;
                } else {
                    slack_[c] -= step;
                }
            }
            column = next;
        } while (rowOf_[column] != 0);
        // Shift the rows along the path found.
        do {
            const size_t before = previous_[column];
            rowOf_[column] = rowOf_[before];
            column = before;
        } while (column != 0);
    }
    answer_.assign(rows, 0);
    for (size_t c = 1; c <= columns; ++c) {
        if (rowOf_[c] != 0) answer_[rowOf_[c] - 1] = c - 1;
    }
    return answer_;
}
