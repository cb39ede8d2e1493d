// Models as the generator builds them: objects of triangles with materials and smoothing groups,
// in scene axes (y up, the board's top at height 0).
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline Vec3 Normalized(Vec3 v) {
  const float len = std::sqrt(Dot(v, v));
  return len > 0 ? v * (1.0f / len) : v;
}

struct Vec2 {
  float u = 0, v = 0;
};

struct Material {
  std::string name;     // up to 16 characters
  uint8_t r, g, b;      // diffuse colour; the mean colour of the texture when there is one
  std::string texture;  // file name beside the model, or empty
};

struct Face {
  uint16_t a, b, c;    // counter-clockwise seen from outside
  uint16_t material;   // index into Model::materials
  uint32_t smoothing;  // smoothing-group bits, never 0
};

struct MeshObject {
  std::string name;       // up to 10 characters
  std::vector<Vec3> verts;
  std::vector<Vec2> uvs;  // empty, or one per vertex
  std::vector<Face> faces;
};

struct Model {
  std::vector<Material> materials;
  std::vector<MeshObject> objects;
};

}  // namespace assetgen
