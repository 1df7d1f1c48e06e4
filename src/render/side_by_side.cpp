#include "render/side_by_side.h"

Result<std::vector<uint8_t>> drawSideBySide(Model&, const std::vector<int32_t>&, Model&,
                                            const std::vector<int32_t>&, int, int) {
    return Failure{1, "side-by-side pictures are not drawn yet"};
}
