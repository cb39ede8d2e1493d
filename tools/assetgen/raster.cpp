// Z-buffered triangle rasteriser with perspective-correct texturing and one key light.
#include "tools/assetgen/raster.h"

#include <cmath>
#include <limits>
#include <map>
#include <tuple>

#include "tools/assetgen/scene_units.h"

namespace assetgen {
namespace {

struct Projected {
  float sx, sy, invW, viewZ;
};

const Vec3 kLightDir = Normalized({-0.45f, 0.8f, 0.55f});

}  // namespace

std::vector<Vec3> SmoothedNormals(const MeshObject& o) {
  using Key = std::tuple<long, long, long>;
  auto key = [](Vec3 p) {
    return Key{std::lround(p.x * 1e5f), std::lround(p.y * 1e5f), std::lround(p.z * 1e5f)};
  };
  std::vector<Vec3> faceN(o.faces.size());
  std::map<Key, std::vector<size_t>> byPos;
  for (size_t i = 0; i < o.faces.size(); ++i) {
    const Face& f = o.faces[i];
    faceN[i] = Cross(o.verts[f.b] - o.verts[f.a], o.verts[f.c] - o.verts[f.a]);
    for (uint16_t v : {f.a, f.b, f.c}) byPos[key(o.verts[v])].push_back(i);
  }
  std::vector<Vec3> out;
  out.reserve(o.faces.size() * 3);
  for (size_t i = 0; i < o.faces.size(); ++i) {
    const Face& f = o.faces[i];
    for (uint16_t v : {f.a, f.b, f.c}) {
      Vec3 n{0, 0, 0};
      for (size_t j : byPos[key(o.verts[v])])
        if (o.faces[j].smoothing & f.smoothing) n = n + faceN[j];
      out.push_back(Normalized(n));
    }
  }
  return out;
}

Renderer::Renderer(int width, int height, int supersample, const View& view)
    : w_(width * supersample),
      h_(height * supersample),
      ss_(supersample),
      view_(view),
      colour_(w_, h_),
      depth_(static_cast<size_t>(w_) * h_, std::numeric_limits<float>::infinity()) {}

void Renderer::Draw(const BuiltModel& model, const Placement& where) { DrawImpl(model, where, true); }
void Renderer::DrawUnlit(const BuiltModel& model, const Placement& where) { DrawImpl(model, where, false); }

Image Renderer::Result() const { return colour_.Downsampled(ss_); }

void Renderer::DrawImpl(const BuiltModel& model, const Placement& where, bool lit) {
  const Vec3 fwd = Normalized(view_.target - view_.eye);
  const Vec3 right = Normalized(Cross(fwd, {0, 1, 0}));
  const Vec3 up = Cross(right, fwd);
  const float focal = 1.0f / std::tan(view_.fovYDegrees * kPi / 360.0f);
  const float aspect = static_cast<float>(w_) / h_;
  const float c = std::cos(where.turnYDegrees * kPi / 180), s = std::sin(where.turnYDegrees * kPi / 180);
  // The game's turn about y (OpenGL convention): x' = x cos + z sin, z' = -x sin + z cos.
  auto toWorld = [&](Vec3 p) {
    p = p * where.scale;
    return Vec3{p.x * c + p.z * s, p.y, -p.x * s + p.z * c} + where.position;
  };
  auto turn = [&](Vec3 n) { return Vec3{n.x * c + n.z * s, n.y, -n.x * s + n.z * c}; };

  std::vector<const Image*> textures;
  for (const Material& m : model.model.materials) {
    const Image* t = nullptr;
    for (const auto& [name, img] : model.textures)
      if (name == m.texture) t = &img;
    textures.push_back(t);
  }

  for (const MeshObject& o : model.model.objects) {
    const std::vector<Vec3> normals = SmoothedNormals(o);
    std::vector<Projected> proj(o.verts.size());
    std::vector<Vec3> world(o.verts.size());
    for (size_t i = 0; i < o.verts.size(); ++i) {
      world[i] = toWorld(o.verts[i]);
      const Vec3 d = world[i] - view_.eye;
      const float vz = Dot(d, fwd);
      const float invW = vz > 1e-4f ? 1.0f / vz : 0.0f;
      proj[i] = {(0.5f + 0.5f * Dot(d, right) * focal * invW / aspect) * w_,
                 (0.5f + 0.5f * Dot(d, up) * focal * invW) * h_, invW, vz};
    }
    for (size_t fi = 0; fi < o.faces.size(); ++fi) {
      const Face& f = o.faces[fi];
      const uint16_t idx[3] = {f.a, f.b, f.c};
      const Projected& p0 = proj[f.a];
      const Projected& p1 = proj[f.b];
      const Projected& p2 = proj[f.c];
      if (p0.invW == 0 || p1.invW == 0 || p2.invW == 0) continue;
      const float area = (p1.sx - p0.sx) * (p2.sy - p0.sy) - (p2.sx - p0.sx) * (p1.sy - p0.sy);
      if (std::fabs(area) < 1e-9f) continue;
      const int x0 = std::max(0, static_cast<int>(std::floor(std::min({p0.sx, p1.sx, p2.sx}))));
      const int x1 = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({p0.sx, p1.sx, p2.sx}))));
      const int y0 = std::max(0, static_cast<int>(std::floor(std::min({p0.sy, p1.sy, p2.sy}))));
      const int y1 = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({p0.sy, p1.sy, p2.sy}))));
      const Material& mat = model.model.materials[f.material];
      const Image* tex = textures[f.material];
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
          const float px = x + 0.5f, py = y + 0.5f;
          float b0 = ((p1.sx - px) * (p2.sy - py) - (p2.sx - px) * (p1.sy - py)) / area;
          float b1 = ((p2.sx - px) * (p0.sy - py) - (p0.sx - px) * (p2.sy - py)) / area;
          float b2 = 1 - b0 - b1;
          if (b0 < 0 || b1 < 0 || b2 < 0) continue;
          // Perspective-correct weights.
          const float w0 = b0 * p0.invW, w1 = b1 * p1.invW, w2 = b2 * p2.invW, ws = w0 + w1 + w2;
          const float depth = 1.0f / ws;
          float& zb = depth_[static_cast<size_t>(y) * w_ + x];
          if (depth >= zb) continue;
          zb = depth;
          b0 = w0 / ws, b1 = w1 / ws, b2 = w2 / ws;
          Color base = Rgb(mat.r, mat.g, mat.b);
          if (tex && !o.uvs.empty()) {
            const Vec2 t0 = o.uvs[idx[0]], t1 = o.uvs[idx[1]], t2 = o.uvs[idx[2]];
            base = tex->Sample(t0.u * b0 + t1.u * b1 + t2.u * b2, t0.v * b0 + t1.v * b1 + t2.v * b2);
            base.a = 1;
          }
          if (!lit) {
            colour_.Set(x, y, base);
            continue;
          }
          Vec3 n = Normalized(turn(normals[fi * 3] * b0 + normals[fi * 3 + 1] * b1 + normals[fi * 3 + 2] * b2));
          const Vec3 pos = world[idx[0]] * b0 + world[idx[1]] * b1 + world[idx[2]] * b2;
          const Vec3 toEye = Normalized(view_.eye - pos);
          if (Dot(n, toEye) < 0) n = n * -1.0f;
          const float diffuse = std::max(0.0f, Dot(n, kLightDir));
          const float specular = std::pow(std::max(0.0f, Dot(n, Normalized(kLightDir + toEye))), 48.0f);
          const float rim = std::pow(1 - std::max(0.0f, Dot(n, toEye)), 3.0f) * 0.15f;
          const float k = 0.38f + 0.72f * diffuse + rim;
          colour_.Set(x, y, {Clamp01(base.r * k + 0.35f * specular), Clamp01(base.g * k + 0.35f * specular),
                             Clamp01(base.b * k + 0.35f * specular), 1});
        }
    }
  }
}

}  // namespace assetgen
