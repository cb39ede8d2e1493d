// Vertex bookkeeping and the shared shapes behind the draught, board and hand models.
#include "tools/assetgen/mesh_builder.h"

#include <cmath>
#include <stdexcept>

#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/tds_writer.h"

namespace assetgen {

uint16_t MeshBuilder::Vertex(Vec3 p) {
  if (!obj_.uvs.empty()) throw std::logic_error("mesh '" + obj_.name + "': every vertex needs texture coordinates");
  if (obj_.verts.size() >= kMax3dsCount) throw std::length_error("mesh '" + obj_.name + "' has too many vertices");
  obj_.verts.push_back(p);
  return static_cast<uint16_t>(obj_.verts.size() - 1);
}

uint16_t MeshBuilder::Vertex(Vec3 p, Vec2 uv) {
  if (obj_.uvs.size() != obj_.verts.size())
    throw std::logic_error("mesh '" + obj_.name + "': texture coordinates for some vertices only");
  if (obj_.verts.size() >= kMax3dsCount) throw std::length_error("mesh '" + obj_.name + "' has too many vertices");
  obj_.verts.push_back(p);
  obj_.uvs.push_back(uv);
  return static_cast<uint16_t>(obj_.verts.size() - 1);
}

void MeshBuilder::Tri(uint16_t a, uint16_t b, uint16_t c, Vec3 outward, uint16_t material, uint32_t group) {
  const Vec3 n = Cross(obj_.verts[b] - obj_.verts[a], obj_.verts[c] - obj_.verts[a]);
  if (Dot(n, outward) < 0) std::swap(b, c);
  obj_.faces.push_back({a, b, c, material, group});
}

void MeshBuilder::Quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, Vec3 outward, uint16_t material,
                       uint32_t group) {
  Tri(a, b, c, outward, material, group);
  Tri(a, c, d, outward, material, group);
}

void MeshBuilder::AddRevolve(const Revolve& r) {
  const int cols = r.seam ? r.segments + 1 : r.segments;
  std::vector<std::vector<uint16_t>> rings;
  float along = 0;
  for (size_t i = 0; i < r.profile.size(); ++i) {
    const auto [rad, h] = r.profile[i];
    if (i > 0) along += std::hypot(rad - r.profile[i - 1].first, h - r.profile[i - 1].second);
    std::vector<uint16_t> ring;
    if (rad <= 0) {
      ring.push_back(Vertex({0, h, 0}, r.uv(0, 0, h, along)));
    } else {
      for (int k = 0; k < cols; ++k) {
        const float ang = 2 * kPi * k / r.segments;
        ring.push_back(Vertex({rad * std::cos(ang), h, rad * std::sin(ang)}, r.uv(ang, rad, h, along)));
      }
    }
    rings.push_back(std::move(ring));
  }
  for (size_t i = 1; i < rings.size(); ++i) {
    const auto& p = rings[i - 1];
    const auto& q = rings[i];
    const float dr = r.profile[i].first - r.profile[i - 1].first;
    const float dh = r.profile[i].second - r.profile[i - 1].second;
    for (int k = 0; k < r.segments; ++k) {
      const int k1 = r.seam ? k + 1 : (k + 1) % r.segments;
      const float mid = 2 * kPi * (k + 0.5f) / r.segments;
      // Outward normal of the profile (radius, height) walked from the top down: (-dh, dr).
      const Vec3 out{-dh * std::cos(mid), dr, -dh * std::sin(mid)};
      if (p.size() == 1) {
        Tri(p[0], q[k], q[k1], out, r.material, r.group);
      } else if (q.size() == 1) {
        Tri(p[k], p[k1], q[0], out, r.material, r.group);
      } else {
        Quad(p[k], p[k1], q[k1], q[k], out, r.material, r.group);
      }
    }
  }
}

void MeshBuilder::AddEllipsoid(Vec3 centre, Vec3 ax, Vec3 ay, Vec3 az, int rings, int segments,
                               uint16_t material, uint32_t group) {
  auto at = [&](float lat, float lon) {
    return centre + ax * std::cos(lat) + ay * (std::sin(lat) * std::cos(lon)) + az * (std::sin(lat) * std::sin(lon));
  };
  const uint16_t top = Vertex(at(0, 0));
  std::vector<uint16_t> grid;
  for (int i = 1; i < rings; ++i)
    for (int k = 0; k < segments; ++k)
      grid.push_back(Vertex(at(kPi * i / rings, 2 * kPi * k / segments)));
  const uint16_t bottom = Vertex(at(kPi, 0));
  auto idx = [&](int i, int k) { return grid[static_cast<size_t>((i - 1) * segments + (k % segments))]; };
  auto out = [&](uint16_t v) { return obj_.verts[v] - centre; };
  for (int k = 0; k < segments; ++k) {
    Tri(top, idx(1, k), idx(1, k + 1), out(idx(1, k)), material, group);
    Tri(bottom, idx(rings - 1, k), idx(rings - 1, k + 1), out(idx(rings - 1, k)), material, group);
    for (int i = 1; i + 1 < rings; ++i)
      Quad(idx(i, k), idx(i, k + 1), idx(i + 1, k + 1), idx(i + 1, k), out(idx(i, k)), material, group);
  }
}

void MeshBuilder::AddLimb(Vec3 a, Vec3 b, float r, uint16_t material, uint32_t group) {
  const Vec3 axis = (b - a) * 0.5f;
  const Vec3 dir = Normalized(axis);
  const Vec3 helper = std::fabs(dir.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  const Vec3 side = Normalized(Cross(dir, helper));
  const Vec3 up = Normalized(Cross(side, dir));
  const float len = std::sqrt(Dot(axis, axis)) + r * 0.85f;
  AddEllipsoid((a + b) * 0.5f, dir * len, up * (r * 0.9f), side * r, 8, 12, material, group);
}

}  // namespace assetgen
