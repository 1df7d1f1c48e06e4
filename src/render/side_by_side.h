#pragma once

#include <cstdint>
#include <vector>

#include "io/result.h"

class Model;

// Two models in the main view, side by side: a on the left half, b on the right, each fitted
// alike (one zoom for both, so that equal sizes look equal) and each in its pose as it stands.
// The bones listed for each (bone ids, 0 for the whole model) are drawn again on top with a
// bright outline. Both models are resident in the current GL context at once; the context's
// surface must be at least width x height. RGB, three bytes a pixel, top row first.
Result<std::vector<uint8_t>> drawSideBySide(Model& a, const std::vector<int32_t>& outlinedA,
                                            Model& b, const std::vector<int32_t>& outlinedB,
                                            int width = 960, int height = 480);
