// The game's desktop icon: a white draught flicked into a black one on a square board tile,
// painted at each size the desktop asks for (small sizes leave out the fine detail).
#pragma once

#include <array>

#include "tools/assetgen/image.h"

namespace assetgen {

// The hicolor theme sizes we install, in pixels.
inline constexpr std::array<int, 6> kIconSizes = {16, 32, 48, 64, 128, 256};

// A square RGBA picture of size x size pixels, transparent outside the rounded tile.
Image PaintIcon(int size);

}  // namespace assetgen
