#pragma once

// The texture page every image of an archive is decoded into is this many pixels wide and high.
constexpr int kTexturePageSize = 256;
