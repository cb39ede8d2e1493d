// Our 3DS writer: meshes with materials, texture coordinates and a smoothing group on every face.
// Axes: the scene is y-up; the file is z-up as 3DS tools expect: file (x, y, z) = scene (x, -z, y).
#pragma once

#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/mesh.h"

namespace assetgen {

// 3DS chunk ids written here.
enum Chunk3ds : uint16_t {
  kMain3ds = 0x4D4D,
  kVersion3ds = 0x0002,
  kEditor3ds = 0x3D3D,
  kMeshVersion3ds = 0x3D3E,
  kMaterial3ds = 0xAFFF,
  kMatName3ds = 0xA000,
  kMatAmbient3ds = 0xA010,
  kMatDiffuse3ds = 0xA020,
  kMatSpecular3ds = 0xA030,
  kMatTexMap3ds = 0xA200,
  kMatMapName3ds = 0xA300,
  kColor24_3ds = 0x0011,
  kPercentInt3ds = 0x0030,
  kObject3ds = 0x4000,
  kTriMesh3ds = 0x4100,
  kVertices3ds = 0x4110,
  kFaces3ds = 0x4120,
  kFaceMaterial3ds = 0x4130,
  kTexCoords3ds = 0x4140,
  kSmoothing3ds = 0x4150,
};

inline constexpr size_t kMax3dsCount = 0xFFFF;

Vec3 SceneToFile(Vec3 scene);
Vec3 FileToScene(Vec3 file);

// Throws std::invalid_argument for a model the format cannot hold (counts over 65,535, a smoothing
// group of 0, indices or materials out of range, texture coordinates not one per vertex).
Bytes Write3ds(const Model& model);

}  // namespace assetgen
