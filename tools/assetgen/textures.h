// Procedural material pictures: draught faces (bone, wood, stone in two colours) and board tops.
#pragma once

#include "tools/assetgen/image.h"

namespace assetgen {

enum class DraughtMaterial { kBone, kWood, kRock };

inline constexpr int kDraughtTextureSize = 256;
inline constexpr int kBoardTextureSize = 512;

// Square picture mapped across the draught's top (and around its rim).
Image DraughtTexture(DraughtMaterial material, bool white);
// Board tops, mapped from above: the picture spans the board's bounding square, +x to the right,
// scene -z upwards.
Image SquareBoardTexture();
Image RoundBoardTexture();
Image TwelveBoardTexture();
// Wood for board sides and rims.
Image BoardSideTexture();
// The sky all around the match scene, seen from inside: longitude across (0 at +x, growing
// towards +z), latitude up from the nadir in the bottom row. Closes on itself at the seam.
inline constexpr int kSkyTextureWidth = 256;
inline constexpr int kSkyTextureHeight = 128;
Image NebulaSkyTexture();

Color MeanColor(const Image& image);

}  // namespace assetgen
