// 3DS encoding: nested chunks (id, length including the 6-byte header, payload).
#include "tools/assetgen/tds_writer.h"

#include <stdexcept>

namespace assetgen {
namespace {

class ChunkWriter {
 public:
  explicit ChunkWriter(Bytes& out) : out_(out) {}
  void Open(uint16_t id) {
    PutU16(out_, id);
    open_.push_back(out_.size());
    PutU32(out_, 0);
  }
  void Close() {
    const size_t at = open_.back();
    open_.pop_back();
    PatchU32(out_, at, static_cast<uint32_t>(out_.size() - at + 2));
  }
  void String(const std::string& s) {
    PutText(out_, s);
    PutU8(out_, 0);
  }
  void Color(uint16_t id, uint8_t r, uint8_t g, uint8_t b) {
    Open(id);
    Open(kColor24_3ds);
    PutU8(out_, r);
    PutU8(out_, g);
    PutU8(out_, b);
    Close();
    Close();
  }
  Bytes& out() { return out_; }

 private:
  Bytes& out_;
  std::vector<size_t> open_;
};

void Check(const Model& model) {
  if (model.materials.empty() || model.materials.size() > kMax3dsCount)
    throw std::invalid_argument("3DS: a model needs 1 to 65535 materials");
  for (const auto& o : model.objects) {
    if (o.verts.empty() || o.verts.size() > kMax3dsCount || o.faces.empty() || o.faces.size() > kMax3dsCount)
      throw std::invalid_argument("3DS: object '" + o.name + "' needs 1 to 65535 vertices and faces");
    if (!o.uvs.empty() && o.uvs.size() != o.verts.size())
      throw std::invalid_argument("3DS: object '" + o.name + "' has texture coordinates for some vertices only");
    for (const auto& f : o.faces) {
      if (f.a >= o.verts.size() || f.b >= o.verts.size() || f.c >= o.verts.size())
        throw std::invalid_argument("3DS: object '" + o.name + "' has a face index out of range");
      if (f.material >= model.materials.size())
        throw std::invalid_argument("3DS: object '" + o.name + "' uses a missing material");
      if (f.smoothing == 0) throw std::invalid_argument("3DS: object '" + o.name + "' has a face with no smoothing group");
    }
  }
}

}  // namespace

Vec3 SceneToFile(Vec3 s) { return {s.x, -s.z, s.y}; }
Vec3 FileToScene(Vec3 f) { return {f.x, f.z, -f.y}; }

Bytes Write3ds(const Model& model) {
  Check(model);
  Bytes out;
  ChunkWriter w(out);
  w.Open(kMain3ds);
  w.Open(kVersion3ds);
  PutU32(out, 3);
  w.Close();
  w.Open(kEditor3ds);
  w.Open(kMeshVersion3ds);
  PutU32(out, 3);
  w.Close();

  for (const auto& m : model.materials) {
    w.Open(kMaterial3ds);
    w.Open(kMatName3ds);
    w.String(m.name);
    w.Close();
    w.Color(kMatAmbient3ds, static_cast<uint8_t>(m.r / 4), static_cast<uint8_t>(m.g / 4), static_cast<uint8_t>(m.b / 4));
    w.Color(kMatDiffuse3ds, m.r, m.g, m.b);
    w.Color(kMatSpecular3ds, 90, 90, 90);
    if (!m.texture.empty()) {
      w.Open(kMatTexMap3ds);
      w.Open(kPercentInt3ds);
      PutU16(out, 100);
      w.Close();
      w.Open(kMatMapName3ds);
      w.String(m.texture);
      w.Close();
      w.Close();
    }
    w.Close();
  }

  for (const auto& o : model.objects) {
    w.Open(kObject3ds);
    w.String(o.name);
    w.Open(kTriMesh3ds);

    w.Open(kVertices3ds);
    PutU16(out, static_cast<uint16_t>(o.verts.size()));
    for (const Vec3& v : o.verts) {
      const Vec3 f = SceneToFile(v);
      PutF32(out, f.x);
      PutF32(out, f.y);
      PutF32(out, f.z);
    }
    w.Close();

    if (!o.uvs.empty()) {
      w.Open(kTexCoords3ds);
      PutU16(out, static_cast<uint16_t>(o.uvs.size()));
      for (const Vec2& t : o.uvs) {
        PutF32(out, t.u);
        PutF32(out, t.v);
      }
      w.Close();
    }

    w.Open(kFaces3ds);
    PutU16(out, static_cast<uint16_t>(o.faces.size()));
    for (const Face& f : o.faces) {
      PutU16(out, f.a);
      PutU16(out, f.b);
      PutU16(out, f.c);
      PutU16(out, 0x0007);  // all three edges visible
    }
    for (size_t mi = 0; mi < model.materials.size(); ++mi) {
      std::vector<uint16_t> used;
      for (size_t fi = 0; fi < o.faces.size(); ++fi)
        if (o.faces[fi].material == mi) used.push_back(static_cast<uint16_t>(fi));
      if (used.empty()) continue;
      w.Open(kFaceMaterial3ds);
      w.String(model.materials[mi].name);
      PutU16(out, static_cast<uint16_t>(used.size()));
      for (uint16_t fi : used) PutU16(out, fi);
      w.Close();
    }
    w.Open(kSmoothing3ds);
    for (const Face& f : o.faces) PutU32(out, f.smoothing);
    w.Close();
    w.Close();  // faces

    w.Close();  // trimesh
    w.Close();  // object
  }
  w.Close();  // editor
  w.Close();  // main
  return out;
}

}  // namespace assetgen
