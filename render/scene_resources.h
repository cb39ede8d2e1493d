// The fixed scene data loaded by InitScene: the model files of the boards, draughts, hands
// and star models, and the 636-point star field. Plain data; any thread may read it.
#pragma once

#include <array>

#include "core/asset_names.h"

struct SStarPoint {
    float x, y, z;  // scene units
};

inline constexpr int kStarCount = 636;

// The box and the shell the star field lies in.
struct SStarFieldBounds {
    float fMinX, fMaxX, fMinY, fMaxY, fMinZ, fMaxZ;
    float fMinDist, fMaxDist;  // from the origin
};
inline constexpr SStarFieldBounds kStarFieldBounds = {-50.5f, 44.5f, -34.0f, 39.8f,
                                                      -68.9f, 74.9f, 4.07f, 77.1f};

// The star field, the same points on every run.
const std::array<SStarPoint, kStarCount>& StarField();

// The texture font every text of the game is drawn with.
inline constexpr const char* kFontFolder = assets::image::kFont.folder;
inline constexpr const char* kFontFile = assets::image::kFont.file;

// Folder of every model in the pack.
inline constexpr const char* kModelFolder = assets::kModelFolder;

// The board and draught models are named by the board table; draught models load wood, rock,
// bone for each colour.
inline constexpr int kCheckLoadOrder[3] = {1, 2, 0};

// Star models 1..4 of the sky, with where they stand.
struct SStarModel {
    const char* szFile;
    float x, y, z;
    float fScale;
};
inline constexpr SStarModel kStarModels[4] = {
    {assets::kStarModels[0], 40.0f, 0.0f, 0.0f, 1.0f},
    {assets::kStarModels[1], 10.0f, 0.0f, -150.0f, 4.0f},
    {assets::kStarModels[2], 0.0f, 30.0f, 60.0f, 2.0f},
    {assets::kStarModels[3], 0.0f, -30.0f, 0.0f, 20.0f},
};

// The nebula the sky dome shows behind the stars, and the dome's radius about the eye (inside
// the far plane; it is drawn at the far end of the depth range whatever its size).
inline constexpr const char* kSkyFolder = assets::image::kSky.folder;
inline constexpr const char* kSkyFile = assets::image::kSky.file;
inline constexpr float kSkyDomeRadius = 50.0f;

// The aim marker: a small green sphere.
inline constexpr float kMarkerRadius = 0.01f;
inline constexpr float kMarkerColor[3] = {0.0f, 108.0f / 255.0f, 0.0f};
