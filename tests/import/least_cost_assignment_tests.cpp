// The assignment the model import matches groups of triangles with.
#include <gtest/gtest.h>

#include "import/least_cost_assignment.h"

namespace {

// Row 0's cheapest column is the one row 1 cannot do without: taking it first costs 2 + 9.
TEST(LeastCostAssignmentTest, GivesUpARowsCheapestColumnForTheLeastTotal) {
    LeastCostAssignment assignment;
    const std::vector<int64_t> cost = {2,  3,  50, 50,  //
                                       1,  9,  50, 50,  //
                                       50, 50, 7,  7};
    EXPECT_EQ(assignment.solve(3, 4, cost), (std::vector<size_t>{1, 0, 2}));
    // Equal totals go to the earlier column; the buffers kept from before do not matter.
    EXPECT_EQ(assignment.solve(2, 2, {5, 5, 5, 5}), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(assignment.solve(1, 3, {4, 1, 1}), (std::vector<size_t>{1}));
}

}  // namespace
