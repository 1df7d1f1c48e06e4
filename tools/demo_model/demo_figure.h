#pragma once

#include "archive_builder.h"

namespace demo {

// The built-in demo model: an armoured figure of fourteen bones up to three levels below the
// root, facing +Y with its head towards -Z, about 200 x 200 x 600 model units. It shows shaded
// and textured triangles and quads, one texture through four palettes, transparent texels,
// negative bone lengths (the spine and the neck grow towards -Z) and bent joints.
archive_builder::Bytes buildDemoArchive();

}  // namespace demo
