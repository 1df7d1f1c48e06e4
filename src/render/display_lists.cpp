#include "render/display_lists.h"

#include <climits>

#include "model/model.h"

int partListBase(size_t partIndex) {
    return static_cast<int>(kPartListBase + 2 * partIndex);
}

int axesListFor(size_t partCount) {
    const size_t firstFree = kPartListBase + 2 * partCount;
    if (firstFree <= static_cast<size_t>(kDefaultAxesList)) return kDefaultAxesList;
    return firstFree > INT_MAX ? INT_MAX : static_cast<int>(firstFree);
}

int axesList(const Model& model) {
    return axesListFor(model.partList().size());
}
