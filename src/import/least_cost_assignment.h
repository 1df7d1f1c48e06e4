#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Gives each row a column of its own at the least total cost (the shortest augmenting path
// form of the Hungarian method), in rows² × columns steps. Its buffers are kept between calls,
// since an import solves many small problems.
class LeastCostAssignment {
  public:
    // cost holds rows × columns entries, row by row, each below 2^56; rows <= columns. The
    // answer gives each row's column. Equal totals resolve by the rows' and columns' order.
    const std::vector<size_t>& solve(size_t rows, size_t columns, const std::vector<int64_t>& cost);

  private:
    std::vector<int64_t> rowPotential_, columnPotential_, slack_;
    std::vector<size_t> rowOf_, previous_, answer_;
    std::vector<bool> visited_;
};
