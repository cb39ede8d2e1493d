// Menu pictures rendered from the generated models, so the menus show the very boards and
// draughts the game draws.
#include <cmath>
#include <map>
#include <memory>

#include "core/board_table.h"
#include "tools/assetgen/raster.h"
#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/ui_images.h"

namespace assetgen {
namespace {

constexpr int kSupersample = 3;

const BuiltModel& Cached(const std::string& file) {
  static std::map<std::string, std::unique_ptr<BuiltModel>> cache;
  auto& slot = cache[file];
  if (!slot) slot = std::make_unique<BuiltModel>(ModelForFile(file));
  return *slot;
}

// The generator's materials are in the game's order (bone, wood, stone).
const char* DraughtFile(DraughtMaterial m, bool white) {
  const SDraughtMaterial& material = kMaterials[static_cast<int>(m)];
  return white ? material.szWhiteModel : material.szBlackModel;
}

const char* BoardFile(int type) { return kBoards[type].szModel; }

// Draughts on their start-like places: two rows on each side (dark cells on the square board).
void DrawLineUp(Renderer& r, int boardType, DraughtMaterial m) {
  const float cell = (kSquareBoardSize - 2 * kSquareBorder) / kSquareCells;
  const float field = kSquareBoardSize / 2 - kSquareBorder;
  for (int side = 0; side < 2; ++side) {
    const bool white = side == 0;  // white nearer the viewer (+z)
    const BuiltModel& model = Cached(DraughtFile(m, white));
    if (boardType == 0) {
      for (int j = 0; j < 2; ++j) {
        const int row = white ? kSquareCells - 1 - j : j;
        for (int i = 0; i < kSquareCells; ++i) {
          if ((i + row) % 2 == 0) continue;  // dark cells only
          r.Draw(model, {{-field + (i + 0.5f) * cell, 0, -field + (row + 0.5f) * cell}, 0, 1});
        }
      }
    } else {
      const float radius = boardType == 1 ? 0.6f : 0.64f;
      for (int k = 0; k < 10; ++k) {
        const float ring = k < 6 ? radius : radius - 0.16f;
        const float spread = k < 6 ? (k - 2.5f) * 0.19f : (k - 7.5f) * 0.26f;
        const float a = (white ? kPi / 2 : -kPi / 2) + spread;
        r.Draw(model, {{ring * std::cos(a), 0, ring * std::sin(a)}, 0, 1});
      }
    }
  }
}

Image DropShadow(const Image& picture, int dx, int dy, float strength) {
  Image out(picture.Width(), picture.Height());
  const Image shadow = picture.Tinted({0, 0, 0, strength}).Blurred(6);
  out.Composite(shadow, dx, dy);
  out.Composite(picture, 0, 0);
  return out;
}

}  // namespace

Image BoardPicture(int boardType, int size) {
  Renderer r(size, size, kSupersample, {{0, 2.35f, 1.85f}, {0, -0.1f, 0.04f}, 37});
  r.Draw(Cached(BoardFile(boardType)), {});
  DrawLineUp(r, boardType, DraughtMaterial::kBone);
  return DropShadow(r.Result(), 3, -4, 0.6f);
}

Image DraughtPairPicture(DraughtMaterial m, int width, int height) {
  Renderer r(width, height, kSupersample, {{0.02f, 0.15f, 0.2f}, {0, 0.008f, 0.0f}, 38});
  r.Draw(Cached(DraughtFile(m, false)), {{-0.034f, 0, -0.032f}, 0, 1});
  r.Draw(Cached(DraughtFile(m, true)), {{0.03f, 0, 0.036f}, 0, 1});
  return r.Result();
}

Image MainForegroundPicture() {
  constexpr int kW = 640, kH = 420;
  Renderer r(kW, kH, kSupersample, {{1.25f, 1.05f, 1.9f}, {0.05f, -0.12f, 0.05f}, 40});
  r.Draw(Cached(BoardFile(BOARD_SQUARE)), {});
  DrawLineUp(r, 0, DraughtMaterial::kWood);
  // A white draught out in front, about to be flicked by the hand.
  r.Draw(Cached(DraughtFile(DraughtMaterial::kWood, true)), {{0.36f, 0, 0.16f}, 0, 1});
  r.Draw(Cached(assets::kHandModels[0]), {{0.44f, 0.03f, 0.21f}, -30, 1.3f});
  return DropShadow(r.Result(), 6, -8, 0.7f);
}

Image HelpDecorationPicture() {
  Renderer r(200, 200, kSupersample, {{0.2f, 0.3f, 0.44f}, {0.12f, 0.0f, 0.0f}, 36});
  r.Draw(Cached(DraughtFile(DraughtMaterial::kBone, true)), {{0, 0, 0}, 0, 1});
  r.Draw(Cached(assets::kHandModels[0]), {{0.09f, 0.03f, 0.0f}, 0, 1});
  return DropShadow(r.Result(), 3, -4, 0.6f);
}

Image AboutDecorationPicture() {
  Renderer r(200, 200, kSupersample, {{0.32f, 0.26f, 0.42f}, {0, 0.075f, 0}, 30});
  // Black under white, stone at the foot, bone on top.
  const DraughtMaterial order[] = {DraughtMaterial::kRock, DraughtMaterial::kWood, DraughtMaterial::kBone};
  for (int i = 0; i < 6; ++i)
    r.Draw(Cached(DraughtFile(order[i / 2], i % 2 == 1)),
           {{0.006f * std::sin(i * 2.1f), kDraughtHeight * i, 0.006f * std::cos(i * 1.7f)}, 0, 1});
  return DropShadow(r.Result(), 3, -4, 0.6f);
}

}  // namespace assetgen
