// Model shapes. Scene axes: y up, board top at height 0; draughts stand on their base centre;
// the hands lie palm down with the fingertips at the origin pointing along -x.
#include "tools/assetgen/models.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>

#include "core/asset_names.h"
#include "core/board_table.h"
#include "tools/assetgen/mesh_builder.h"
#include "tools/assetgen/rng.h"
#include "tools/assetgen/scene_units.h"

namespace assetgen {
namespace {

Material MaterialOf(const std::string& name, Color c, const std::string& texture = "") {
  auto q = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255)); };
  return {name, q(c.r), q(c.g), q(c.b), texture};
}

// Planar texture coordinates seen from above, spanning [-extent, extent] on x and z.
Vec2 TopUv(float x, float z, float extent) { return {0.5f + x / (2 * extent), 0.5f - z / (2 * extent)}; }

// A regular-polygon slab with corners at `corners` (radius, first at angle `phase`): textured top,
// chamfer and side per edge in their own smoothing group so the edges stay crisp.
void AddPolygonSlab(MeshBuilder& mb, int corners, float radius, float phase, float extent) {
  const float apothem = radius * std::cos(kPi / corners);
  const float inset = (apothem - kBoardChamfer) / apothem;
  auto corner = [&](int k, float scale, float y) {
    const float a = phase + 2 * kPi * k / corners;
    return Vec3{radius * scale * std::cos(a), y, radius * scale * std::sin(a)};
  };
  const Vec3 up{0, 1, 0}, down{0, -1, 0};
  const uint16_t centre = mb.Vertex({0, 0, 0}, TopUv(0, 0, extent));
  std::vector<uint16_t> top;
  for (int k = 0; k < corners; ++k) {
    const Vec3 p = corner(k, inset, 0);
    top.push_back(mb.Vertex(p, TopUv(p.x, p.z, extent)));
  }
  for (int k = 0; k < corners; ++k) mb.Tri(centre, top[k], top[(k + 1) % corners], up, 0, 1);

  const float edgeLen = 2 * radius * std::sin(kPi / corners);
  for (int k = 0; k < corners; ++k) {
    const int k1 = (k + 1) % corners;
    const float mid = phase + 2 * kPi * (k + 0.5f) / corners;
    const Vec3 out{std::cos(mid), 0, std::sin(mid)};
    const uint32_t group = 2u << (k % 28);
    auto side = [&](Vec3 p, float along, float v) { return mb.Vertex(p, {along / 0.3f, v}); };
    const uint16_t t0 = side(corner(k, inset, 0), 0, 1.0f), t1 = side(corner(k1, inset, 0), edgeLen, 1.0f);
    const uint16_t m0 = side(corner(k, 1, -kBoardChamfer), 0, 0.88f);
    const uint16_t m1 = side(corner(k1, 1, -kBoardChamfer), edgeLen, 0.88f);
    const uint16_t b0 = side(corner(k, 1, -kBoardThickness), 0, 0.0f);
    const uint16_t b1 = side(corner(k1, 1, -kBoardThickness), edgeLen, 0.0f);
    mb.Quad(t0, t1, m1, m0, out + up, 1, group);
    mb.Quad(m0, m1, b1, b0, out, 1, group);
  }
  const uint16_t bottomCentre = mb.Vertex({0, -kBoardThickness, 0}, TopUv(0, 0, extent));
  std::vector<uint16_t> bottom;
  for (int k = 0; k < corners; ++k) {
    const Vec3 p = corner(k, 1, -kBoardThickness);
    bottom.push_back(mb.Vertex(p, TopUv(p.x, p.z, extent)));
  }
  for (int k = 0; k < corners; ++k) mb.Tri(bottomCentre, bottom[k], bottom[(k + 1) % corners], down, 1, 1u << 30);
}

BuiltModel BoardFromTop(const std::string& name, const std::string& topFile, Image top) {
  BuiltModel out;
  Image side = BoardSideTexture();
  out.model.materials.push_back(MaterialOf(name + "_top", MeanColor(top), topFile));
  out.model.materials.push_back(MaterialOf(name + "_side", MeanColor(side), assets::kBoardSideTexture));
  out.textures.emplace_back(topFile, std::move(top));
  out.textures.emplace_back(assets::kBoardSideTexture, std::move(side));
  return out;
}

// One star: a small cube with a long pyramid on each face, so it shows six rays from any side.
void AddStar(MeshBuilder& mb, Vec3 c, float size, uint16_t material) {
  const float inner = size * 0.14f;
  uint16_t cube[2][2][2];
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      for (int k = 0; k < 2; ++k)
        cube[i][j][k] = mb.Vertex(c + Vec3{i ? inner : -inner, j ? inner : -inner, k ? inner : -inner});
  for (int axis = 0; axis < 3; ++axis)
    for (int s = 0; s < 2; ++s) {
      Vec3 dir{0, 0, 0};
      (axis == 0 ? dir.x : axis == 1 ? dir.y : dir.z) = s ? 1.0f : -1.0f;
      const uint16_t tip = mb.Vertex(c + dir * size);
      // The four cube corners on this face, in order around it.
      uint16_t q[4];
      for (int n = 0; n < 4; ++n) {
        const int a = (n == 1 || n == 2) ? 1 : 0, b = (n >= 2) ? 1 : 0;
        const int idx[3] = {axis == 0 ? s : a, axis == 1 ? s : (axis == 0 ? a : b), axis == 2 ? s : b};
        q[n] = cube[idx[0]][idx[1]][idx[2]];
      }
      for (int n = 0; n < 4; ++n) {
        const Vec3 mid = (mb.Object().verts[q[n]] + mb.Object().verts[q[(n + 1) % 4]]) * 0.5f;
        mb.Tri(tip, q[n], q[(n + 1) % 4], mid - c, material, 1);
      }
    }
}

}  // namespace

BuiltModel DraughtModel(DraughtMaterial material, bool white) {
  static const char* const kNames[] = {"bone", "wood", "rock"};
  const std::string base = kNames[static_cast<int>(material)];
  const char* const* textures = white ? assets::kWhiteDraughtTextures : assets::kBlackDraughtTextures;
  const std::string texFile = textures[static_cast<int>(material)];
  Image tex = DraughtTexture(material, white);

  BuiltModel out;
  out.model.materials.push_back(MaterialOf(base + (white ? "_white" : "_black"), MeanColor(tex), texFile));
  out.textures.emplace_back(texFile, std::move(tex));

  const float R = kDraughtRadius, H = kDraughtHeight;
  MeshBuilder mb(base + (white ? "_w" : "_b"));
  auto planar = [R](float ang, float rad, float, float) {
    return TopUv(rad * std::cos(ang), rad * std::sin(ang), R * 1.04f);
  };
  auto wrapped = [H](float ang, float, float h, float) { return Vec2{ang / (2 * kPi), 0.3f + 0.3f * h / H}; };
  // Top: a slightly sunken centre inside a raised ring, as on turned draughts.
  mb.AddRevolve({{{0, H - 0.0012f}, {0.52f * R, H - 0.0012f}, {0.58f * R, H}, {0.86f * R, H}}, 24, false, planar, 0, 1});
  // Rounded bevel and rim.
  mb.AddRevolve({{{0.86f * R, H}, {0.93f * R, H - 0.0012f}, {0.975f * R, H - 0.0035f}, {R, H - 0.007f},
                  {R, 0.006f}, {0.985f * R, 0.0022f}, {0.95f * R, 0}},
                 24, true, wrapped, 0, 2});
  mb.AddRevolve({{{0.95f * R, 0}, {0, 0}}, 24, false, planar, 0, 4});
  out.model.objects.push_back(mb.Take());
  return out;
}

BuiltModel SquareBoardModel() {
  const float half = kSquareBoardSize / 2;
  BuiltModel out = BoardFromTop("square", assets::kBoardTextures[BOARD_SQUARE], SquareBoardTexture());
  MeshBuilder mb("board_sq");
  AddPolygonSlab(mb, 4, half * std::sqrt(2.0f), kPi / 4, half);
  out.model.objects.push_back(mb.Take());
  return out;
}

BuiltModel RoundBoardModel() {
  const float r = kRoundBoardRadius;
  BuiltModel out = BoardFromTop("round", assets::kBoardTextures[BOARD_ROUND], RoundBoardTexture());
  MeshBuilder mb("board_rd");
  auto planar = [r](float ang, float rad, float, float) { return TopUv(rad * std::cos(ang), rad * std::sin(ang), r); };
  auto wrapped = [](float ang, float, float h, float) { return Vec2{ang / (2 * kPi) * 12, 1 + h / kBoardThickness}; };
  mb.AddRevolve({{{0, 0}, {r * 0.5f, 0}, {r - kBoardChamfer, 0}}, 48, false, planar, 0, 1});
  mb.AddRevolve({{{r - kBoardChamfer, 0}, {r, -kBoardChamfer}, {r, -kBoardThickness}}, 48, true, wrapped, 1, 2});
  mb.AddRevolve({{{r, -kBoardThickness}, {0, -kBoardThickness}}, 48, false, planar, 1, 4});
  out.model.objects.push_back(mb.Take());
  return out;
}

BuiltModel TwelveBoardModel() {
  BuiltModel out = BoardFromTop("twelve", assets::kBoardTextures[BOARD_TWELVE], TwelveBoardTexture());
  MeshBuilder mb("board_12");
  AddPolygonSlab(mb, kPolyCorners, kPolyBoardRadius, 0, kPolyBoardRadius);
  out.model.objects.push_back(mb.Take());
  return out;
}

BuiltModel HandModel(bool closed) {
  BuiltModel out;
  out.model.materials.push_back(closed ? MaterialOf("hand_red", Rgb(206, 48, 40))
                                       : MaterialOf("hand_skin", Rgb(236, 192, 160)));
  MeshBuilder mb(closed ? "hand_fist" : "hand_open");
  // Palm (flattened), wrist and the start of the forearm.
  mb.AddEllipsoid({0.105f, 0.0f, 0.0f}, {0.045f, 0, 0}, {0, 0.015f, 0}, {0, 0, 0.037f}, 10, 16, 0, 1);
  mb.AddLimb({0.14f, 0.0f, 0.0f}, {0.175f, 0.0f, 0.0f}, 0.024f, 0, 1);
  // Fingers from index (+z, the thumb side of a right hand) to little finger.
  const float zs[4] = {0.025f, 0.0085f, -0.0095f, -0.025f};
  const float reach[4] = {0.006f, 0.0f, 0.007f, 0.024f};
  const float thick[4] = {0.0085f, 0.0088f, 0.0082f, 0.0072f};
  for (int f = 0; f < 4; ++f) {
    const float z = zs[f], r = thick[f];
    const Vec3 knuckle{0.07f, 0.002f, z};
    if (!closed) {
      const Vec3 joint{0.038f + reach[f] * 0.5f, 0.001f, z * 1.05f};
      const Vec3 tip{0.004f + reach[f] + r, -0.003f, z * 1.1f};
      mb.AddLimb(knuckle, joint, r, 0, 1);
      mb.AddLimb(joint, tip, r * 0.92f, 0, 1);
    } else {
      // Curled under the palm: forward, down, then back towards the wrist.
      const Vec3 bend1{0.05f, -0.0045f, z};
      const Vec3 bend2{0.048f, -0.022f, z};
      const Vec3 tip{0.066f, -0.026f, z};
      mb.AddLimb(knuckle, bend1, r * 1.05f, 0, 1);
      mb.AddLimb(bend1, bend2, r, 0, 1);
      mb.AddLimb(bend2, tip, r * 0.92f, 0, 1);
    }
  }
  if (!closed) {
    mb.AddLimb({0.125f, -0.004f, 0.03f}, {0.085f, -0.004f, 0.05f}, 0.011f, 0, 1);
    mb.AddLimb({0.085f, -0.004f, 0.05f}, {0.055f, -0.003f, 0.058f}, 0.0095f, 0, 1);
  } else {
    mb.AddLimb({0.125f, -0.006f, 0.03f}, {0.085f, -0.014f, 0.042f}, 0.011f, 0, 1);
    mb.AddLimb({0.085f, -0.014f, 0.042f}, {0.056f, -0.024f, 0.022f}, 0.0095f, 0, 1);
  }
  // Fingertips (or the front of the fist) exactly at x = 0.
  MeshObject hand = mb.Take();
  float front = 1;
  for (const Vec3& v : hand.verts) front = std::min(front, v.x);
  for (Vec3& v : hand.verts) v.x -= front;
  out.model.objects.push_back(std::move(hand));
  return out;
}

BuiltModel StarsModel(int which) {
  BuiltModel out;
  out.model.materials = {MaterialOf("star_white", Rgb(255, 255, 255)), MaterialOf("star_blue", Rgb(186, 208, 255)),
                         MaterialOf("star_gold", Rgb(255, 228, 150)), MaterialOf("star_rose", Rgb(255, 186, 170))};
  Rng rng(1000 + static_cast<uint64_t>(which));
  MeshBuilder mb("stars" + std::to_string(which));
  auto pickMaterial = [&rng]() {
    const double t = rng.Unit();
    return static_cast<uint16_t>(t < 0.5 ? 0 : t < 0.75 ? 1 : t < 0.92 ? 2 : 3);
  };
  switch (which) {
    case 1:  // a two-armed spiral in the plane facing the board (x = const), turned by the game
      for (int i = 0; i < 140; ++i) {
        const int arm = i % 2;
        const float t = static_cast<float>(rng.Unit());
        const float ang = arm * kPi + t * 3.2f * kPi;
        const float rad = 0.6f + t * 11.0f;
        const float jitter = 0.5f + t * 1.2f;
        const Vec3 p{static_cast<float>(rng.Range(-0.6, 0.6)), rad * std::sin(ang) + static_cast<float>(rng.Range(-jitter, jitter)),
                     rad * std::cos(ang) + static_cast<float>(rng.Range(-jitter, jitter))};
        AddStar(mb, p, static_cast<float>(0.12 + 0.3 * (1 - t) * rng.Unit() + 0.1), pickMaterial());
      }
      AddStar(mb, {0, 0, 0}, 0.9f, 2);  // the bright core
      break;
    case 2:  // a far constellation: few, large stars
    case 3:  // a loose cluster above
      for (int i = 0; i < (which == 2 ? 45 : 70); ++i) {
        const Vec3 p{static_cast<float>(rng.Range(-12, 12)), static_cast<float>(rng.Range(-7, 7)),
                     static_cast<float>(rng.Range(-12, 12)) * (which == 2 ? 0.3f : 1.0f)};
        AddStar(mb, p, static_cast<float>(rng.Range(0.12, which == 2 ? 0.5 : 0.35)), pickMaterial());
      }
      break;
    default:  // a wide, fine field on a shell around the origin
      for (int i = 0; i < 220; ++i) {
        const float a = static_cast<float>(rng.Range(0, 2 * kPi));
        const float h = static_cast<float>(rng.Range(-1, 1));
        const float rr = static_cast<float>(rng.Range(3.0, 5.0));
        const float s = std::sqrt(1 - h * h);
        AddStar(mb, {rr * s * std::cos(a), rr * h, rr * s * std::sin(a)}, static_cast<float>(rng.Range(0.015, 0.045)),
                pickMaterial());
      }
      break;
  }
  out.model.objects.push_back(mb.Take());
  return out;
}

BuiltModel ModelForFile(const std::string& file) {
  if (file == assets::kBoardModels[BOARD_SQUARE]) return SquareBoardModel();
  if (file == assets::kBoardModels[BOARD_ROUND]) return RoundBoardModel();
  if (file == assets::kBoardModels[BOARD_TWELVE]) return TwelveBoardModel();
  for (const DraughtMaterial m : {DraughtMaterial::kBone, DraughtMaterial::kWood, DraughtMaterial::kRock}) {
    if (file == assets::kBlackDraughtModels[static_cast<int>(m)]) return DraughtModel(m, false);
    if (file == assets::kWhiteDraughtModels[static_cast<int>(m)]) return DraughtModel(m, true);
  }
  if (file == assets::kHandModels[0]) return HandModel(false);
  if (file == assets::kHandModels[1]) return HandModel(true);
  for (int i = 0; i < static_cast<int>(std::size(assets::kStarModels)); ++i)
    if (file == assets::kStarModels[i]) return StarsModel(i + 1);
  throw std::invalid_argument("no model is made for '" + file + "'");
}

}  // namespace assetgen
