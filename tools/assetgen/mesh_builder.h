// Building blocks for the procedural models: vertices, outward-facing triangles, revolved profiles
// and ellipsoids.
#pragma once

#include <functional>

#include "tools/assetgen/mesh.h"

namespace assetgen {

class MeshBuilder {
 public:
  explicit MeshBuilder(std::string name) { obj_.name = std::move(name); }

  uint16_t Vertex(Vec3 p);
  uint16_t Vertex(Vec3 p, Vec2 uv);
  // Adds a triangle, turned so that its normal points along `outward`.
  void Tri(uint16_t a, uint16_t b, uint16_t c, Vec3 outward, uint16_t material, uint32_t group);
  void Quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, Vec3 outward, uint16_t material, uint32_t group);

  // A surface of revolution about the y axis through `profile` points (radius, height), each
  // ring with `segments` vertices. `uv` gives texture coordinates for a point (angle, radius,
  // height); `seam` duplicates the first column so wrapped coordinates can run 0..1.
  struct Revolve {
    std::vector<std::pair<float, float>> profile;
    int segments = 48;
    bool seam = false;
    std::function<Vec2(float angle, float radius, float height, float along)> uv;
    uint16_t material = 0;
    uint32_t group = 1;
  };
  void AddRevolve(const Revolve& r);

  // Ellipsoid with semi-axes along the (not necessarily unit) vectors ax, ay, az; no texture.
  void AddEllipsoid(Vec3 centre, Vec3 ax, Vec3 ay, Vec3 az, int rings, int segments, uint16_t material,
                    uint32_t group);
  // Rounded limb from a to b of radius r (an ellipsoid stretched along the segment).
  void AddLimb(Vec3 a, Vec3 b, float r, uint16_t material, uint32_t group);

  const MeshObject& Object() const { return obj_; }
  MeshObject Take() { return std::move(obj_); }

 private:
  MeshObject obj_;
};

}  // namespace assetgen
