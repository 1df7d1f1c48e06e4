#pragma once

#include "archive_builder.h"
#include "mesh_maker.h"

namespace demo {

// The demo texture: one 64 x 64 image of 4-bit indices stored through four palettes, so the
// page holds four copies stacked downwards (64 rows each) and a polygon picks one by its row
// offset. Index 0 is transparent wherever it is used.
enum DemoPalette { PaletteSteel = 0, PaletteGold = 1, PaletteCrimson = 2, PaletteEmerald = 3 };

constexpr Tile kEmblemTile{0, 0, 32, 32};    // a diamond badge on a transparent ground
constexpr Tile kVisorTile{32, 0, 64, 32};    // a face plate with a transparent eye slit
constexpr Tile kBeltTile{0, 32, 32, 48};     // a chevron band with a see-through buckle
constexpr Tile kFeatherTile{0, 48, 32, 64};  // feathers with transparent gaps
constexpr Tile kShieldTile{32, 32, 64, 64};  // a round shield with transparent corners

archive_builder::TimImage buildDemoTexture();

}  // namespace demo
