// Asset pack tests: the file writers on tiny inputs, and the generated res.dat (byte-identical to a
// fresh pack, every name the game loads, manifest, picture headers, models read back by assimp,
// sounds, font metrics).
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <physfs.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/asset_names.h"
#include "tools/assetgen/asset_set.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/sounds.h"
#include "tools/assetgen/tds_writer.h"
#include "tools/assetgen/text.h"
#include "tools/assetgen/tga_writer.h"
#include "tools/assetgen/wav_writer.h"
#include "tools/assetgen/zip_writer.h"

namespace {

using assetgen::Bytes;

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// ---------------------------------------------------------------------------------------------
// Reading the pack

// The tiny ZIP tests and the pack share one PhysicsFS instance, whichever runs first.
bool PhysfsReady() { return PHYSFS_isInit() || PHYSFS_init(nullptr); }

// Every file below `dir` of the PhysicsFS search path, path -> bytes.
void ReadTree(const std::string& dir, std::map<std::string, Bytes>& out) {
  char** list = PHYSFS_enumerateFiles(dir.c_str());
  for (char** p = list; p && *p; ++p) {
    const std::string path = dir.empty() ? *p : dir + "/" + *p;
    PHYSFS_Stat st;
    if (!PHYSFS_stat(path.c_str(), &st)) continue;
    if (st.filetype == PHYSFS_FILETYPE_DIRECTORY) {
      ReadTree(path, out);
      continue;
    }
    PHYSFS_File* f = PHYSFS_openRead(path.c_str());
    if (!f) continue;
    Bytes data(static_cast<size_t>(PHYSFS_fileLength(f)));
    const auto got = PHYSFS_readBytes(f, data.data(), data.size());
    PHYSFS_close(f);
    if (got == static_cast<PHYSFS_sint64>(data.size())) out[path] = std::move(data);
  }
  PHYSFS_freeList(list);
}

Bytes ReadWholeFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Pack {
 public:
  static const Pack& Get() {
    static Pack pack;
    return pack;
  }
  const std::map<std::string, Bytes>& Files() const { return files_; }
  const Bytes* Find(const std::string& name) const {
    auto it = files_.find(name);
    return it == files_.end() ? nullptr : &it->second;
  }
  bool Ok() const { return ok_; }

 private:
  Pack() {
    if (!PhysfsReady() || !PHYSFS_mount(KD_RES_PACK_PATH, nullptr, 0)) {
      std::fprintf(stderr, "cannot mount %s: %s\n", KD_RES_PACK_PATH,
                   PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode()));
      return;
    }
    ReadTree("", files_);
    ok_ = !files_.empty();
  }
  std::map<std::string, Bytes> files_;
  bool ok_ = false;
};

#define REQUIRE_PACK() ASSERT_TRUE(Pack::Get().Ok()) << "res.dat not readable at " << KD_RES_PACK_PATH

// ---------------------------------------------------------------------------------------------
// Small parsers

struct TgaInfo {
  int type = -1, width = 0, height = 0, bpp = 0, descriptor = 0;
  size_t idLength = 0;
};
TgaInfo ParseTga(const Bytes& b) {
  TgaInfo t;
  if (b.size() < assetgen::kTgaHeaderSize) return t;
  t.idLength = b[0];
  t.type = b[2];
  t.width = assetgen::GetU16(&b[12]);
  t.height = assetgen::GetU16(&b[14]);
  t.bpp = b[16];
  t.descriptor = b[17];
  return t;
}

struct Wav {
  bool ok = false;
  int format = 0, channels = 0, rate = 0, bits = 0;
  std::vector<float> samples;
};
Wav ParseWav(const Bytes& b) {
  Wav w;
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
    return w;
  bool fmt = false, data = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
    const uint32_t len = assetgen::GetU32(&b[at + 4]);
    if (at + 8 + len > b.size()) return w;
    const uint8_t* p = &b[at + 8];
    if (id == "fmt " && len >= 16) {
      w.format = assetgen::GetU16(p);
      w.channels = assetgen::GetU16(p + 2);
      w.rate = static_cast<int>(assetgen::GetU32(p + 4));
      w.bits = assetgen::GetU16(p + 14);
      fmt = true;
    } else if (id == "data") {
      for (uint32_t i = 0; i + 1 < len; i += 2) w.samples.push_back(static_cast<int16_t>(assetgen::GetU16(p + i)) / 32768.0f);
      data = true;
    }
    at += 8 + len + (len & 1);
  }
  w.ok = fmt && data;
  return w;
}

// What a ZIP reader sees of one entry, from the central directory and its local header.
struct ZipEntry {
  std::string name;
  uint16_t flags = 0, method = 0, time = 0, date = 0, centralExtra = 0, localExtra = 0;
  uint32_t crc = 0, storedSize = 0, size = 0;
  Bytes data;
};
struct ZipDirectory {
  std::string error;  // empty when the archive parsed
  std::vector<ZipEntry> entries;
};
// Reads the archive from its end record, as readers do; local headers must agree with the directory.
ZipDirectory ParseZip(const Bytes& b) {
  using assetgen::GetU16;
  using assetgen::GetU32;
  ZipDirectory z;
  if (b.size() < 22 || GetU32(&b[b.size() - 22]) != 0x06054b50) return {"no end record at the very end", {}};
  const uint8_t* end = &b[b.size() - 22];
  const size_t count = GetU16(end + 10), cdSize = GetU32(end + 12), cdOffset = GetU32(end + 16);
  if (GetU16(end + 8) != count || cdOffset + cdSize != b.size() - 22) return {"end record counts or offsets", {}};
  size_t at = cdOffset;
  for (size_t i = 0; i < count; ++i) {
    const std::string where = "entry " + std::to_string(i);
    if (at + 46 > b.size() - 22 || GetU32(&b[at]) != 0x02014b50) return {where + ": central header", {}};
    ZipEntry e;
    const uint8_t* c = &b[at];
    e.flags = GetU16(c + 8);
    e.method = GetU16(c + 10);
    e.time = GetU16(c + 12);
    e.date = GetU16(c + 14);
    e.crc = GetU32(c + 16);
    e.storedSize = GetU32(c + 20);
    e.size = GetU32(c + 24);
    const size_t nameLen = GetU16(c + 28);
    if (at + 46 + nameLen > b.size()) return {where + ": name runs past the end", {}};
    e.centralExtra = GetU16(c + 30);
    const size_t local = GetU32(c + 42);
    e.name.assign(c + 46, c + 46 + nameLen);
    at += 46 + nameLen + e.centralExtra + GetU16(c + 32);
    if (local + 30 > cdOffset || GetU32(&b[local]) != 0x04034b50) return {where + ": local header", {}};
    const uint8_t* l = &b[local];
    e.localExtra = GetU16(l + 28);
    const size_t dataAt = local + 30 + GetU16(l + 26) + e.localExtra;
    if (dataAt > cdOffset) return {where + ": local name runs into the directory", {}};
    if (std::string(l + 30, l + 30 + GetU16(l + 26)) != e.name || GetU16(l + 8) != e.method ||
        GetU32(l + 14) != e.crc || GetU32(l + 18) != e.storedSize || dataAt + e.storedSize > cdOffset)
      return {where + " (" + e.name + "): local header disagrees with the directory", {}};
    e.data.assign(b.begin() + static_cast<long>(dataAt), b.begin() + static_cast<long>(dataAt + e.storedSize));
    z.entries.push_back(std::move(e));
  }
  return z;
}

float Rms(const std::vector<float>& s) {
  double sum = 0;
  for (float v : s) sum += static_cast<double>(v) * v;
  return s.empty() ? 0.0f : static_cast<float>(std::sqrt(sum / s.size()));
}

// A model read by assimp the way the game reads it, in scene axes (root transform applied).
struct ReadModel {
  bool ok = false;
  std::string error;
  size_t vertices = 0, faces = 0;
  std::vector<aiVector3D> positions, normals;
  std::vector<aiColor3D> diffuse;
};
ReadModel ReadWithAssimp(const Bytes& data) {
  ReadModel r;
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFileFromMemory(
      data.data(), data.size(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals, "3ds");
  if (!scene || !scene->mRootNode) {
    r.error = importer.GetErrorString();
    return r;
  }
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    aiColor3D c;
    if (scene->mMaterials[i]->Get(AI_MATKEY_COLOR_DIFFUSE, c) == AI_SUCCESS) r.diffuse.push_back(c);
  }
  std::function<void(const aiNode*, aiMatrix4x4)> visit = [&](const aiNode* node, aiMatrix4x4 parent) {
    const aiMatrix4x4 m = parent * node->mTransformation;
    aiMatrix3x3 rot(m);
    for (unsigned k = 0; k < node->mNumMeshes; ++k) {
      const aiMesh* mesh = scene->mMeshes[node->mMeshes[k]];
      r.vertices += mesh->mNumVertices;
      r.faces += mesh->mNumFaces;
      for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        r.positions.push_back(m * mesh->mVertices[v]);
        r.normals.push_back(mesh->HasNormals() ? rot * mesh->mNormals[v] : aiVector3D());
      }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) visit(node->mChildren[c], m);
  };
  visit(scene->mRootNode, aiMatrix4x4());
  r.ok = true;
  return r;
}

// ---------------------------------------------------------------------------------------------
// Writers on tiny inputs

TEST(Crc32, MatchesTheStandardCheckValue) {
  const std::string s = "123456789";
  EXPECT_EQ(assetgen::Crc32(reinterpret_cast<const uint8_t*>(s.data()), s.size()), 0xCBF43926u);
}

TEST(TgaWriter, WritesHeaderAndBgraPixelsBottomRowFirst) {
  // 2 x 2: bottom row red, green; top row blue, half-transparent white.
  const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
  const Bytes b = assetgen::WriteTga(2, 2, rgba);
  ASSERT_EQ(b.size(), 18u + 16u);
  const TgaInfo t = ParseTga(b);
  EXPECT_EQ(t.type, 2);
  EXPECT_EQ(t.width, 2);
  EXPECT_EQ(t.height, 2);
  EXPECT_EQ(t.bpp, 32);
  EXPECT_EQ(t.descriptor, 0x08) << "8 alpha bits, bottom-left origin";
  const std::vector<uint8_t> expected = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 18, b.end()), expected);
  EXPECT_THROW(assetgen::WriteTga(2, 2, std::vector<uint8_t>(15)), std::invalid_argument);
  EXPECT_THROW(assetgen::WriteTga(0, 1, {}), std::invalid_argument);
}

TEST(WavWriter, WritesPcm16MonoAndClipsOutOfRange) {
  const Bytes b = assetgen::WriteWav({0.0f, 1.0f, -1.0f, 2.0f, -0.5f}, 22050);
  const Wav w = ParseWav(b);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.format, 1);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.rate, 22050);
  EXPECT_EQ(w.bits, 16);
  ASSERT_EQ(w.samples.size(), 5u);
  const int16_t expected[] = {0, 32767, -32767, 32767, -16384};
  for (size_t i = 0; i < 5; ++i)
    EXPECT_EQ(static_cast<int16_t>(assetgen::GetU16(&b[44 + 2 * i])), expected[i]) << "sample " << i;
  EXPECT_EQ(assetgen::GetU32(&b[4]), b.size() - 8);
}

// Names chosen to cover folders, case, an empty file and every byte value.
std::map<std::string, Bytes> TinyFiles() {
  std::map<std::string, Bytes> files;
  files["readme.txt"] = Bytes{'h', 'e', 'l', 'l', 'o', '\n'};
  Bytes all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  files["models/3ds/all_bytes.bin"] = all;
  files["models/empty.txt"] = {};
  Bytes noise(5000);
  uint32_t x = 12345;
  for (auto& v : noise) v = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
  files["textures/smenu/Noise.TGA"] = noise;
  return files;
}

TEST(ZipWriter, TinySetReadsBackThroughPhysfsByteForByte) {
  const auto files = TinyFiles();
  const Bytes zip = assetgen::WriteStoredZip(files);
  // A temporary file, not PHYSFS_mountMemory: LeakSanitizer finds PhysicsFS 3.0.2 losing that stream.
  const std::filesystem::path archive =
      std::filesystem::temp_directory_path() / ("kd_zip_writer_test_" + std::to_string(::getpid()) + ".zip");
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(zip.data()), static_cast<std::streamsize>(zip.size()));
    ASSERT_TRUE(out.flush()) << archive;
  }
  ASSERT_TRUE(PhysfsReady());
  const std::string mountPoint = "zip_writer_test";
  const bool mounted = PHYSFS_mount(archive.c_str(), mountPoint.c_str(), 0);
  std::map<std::string, Bytes> read;
  if (mounted) {
    ReadTree(mountPoint, read);
    EXPECT_TRUE(PHYSFS_unmount(archive.c_str()));
  }
  std::filesystem::remove(archive);
  ASSERT_TRUE(mounted) << PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode());
  EXPECT_EQ(read.size(), files.size());
  for (const auto& [name, bytes] : files) {
    const auto it = read.find(mountPoint + "/" + name);
    ASSERT_NE(it, read.end()) << name << " missing";
    EXPECT_TRUE(it->second == bytes) << name << ": wrote " << bytes.size() << " bytes, read " << it->second.size();
  }
}

TEST(ZipWriter, SameFilesGiveTheSameBytesWithNothingTakenFromTheClockOrDisk) {
  const auto files = TinyFiles();
  const Bytes first = assetgen::WriteStoredZip(files);
  EXPECT_TRUE(first == assetgen::WriteStoredZip(files)) << "two runs differ";
  EXPECT_EQ(first.size(), assetgen::StoredZipSize(files));
  const ZipDirectory z = ParseZip(first);
  ASSERT_TRUE(z.error.empty()) << z.error;
  ASSERT_EQ(z.entries.size(), files.size());
  auto expected = files.begin();
  for (const ZipEntry& e : z.entries) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.name, expected->first) << "entries in name order";
    EXPECT_TRUE(e.data == expected->second);
    EXPECT_EQ(e.crc, assetgen::Crc32(expected->second));
    EXPECT_EQ(e.method, 0) << "stored";
    EXPECT_EQ(e.flags, 0) << "no data descriptor";
    EXPECT_EQ(e.size, e.storedSize);
    EXPECT_EQ(e.centralExtra + e.localExtra, 0) << "extra fields carry disk times";
    EXPECT_EQ(e.date, (20 << 9 | 1 << 5 | 1)) << "2000-01-01";
    EXPECT_EQ(e.time, 0) << "00:00";
    ++expected;
  }
}

TEST(ZipWriter, RefusesBadNamesAndArchivesThatNeedZip64) {
  for (const std::string name : {"", "/absolute", "folder/", "back\\slash", "with space", "caf\xc3\xa9", "tab\there"}) {
    std::map<std::string, Bytes> files = {{"fine.txt", {1}}, {name, {2}}};
    EXPECT_THROW(assetgen::WriteStoredZip(files), std::invalid_argument) << "name \"" << name << "\"";
  }
  struct Case {
    uint64_t entries, bytes;
    bool fits;
  };
  const Case cases[] = {
      {65534, 1000, true}, {65535, 1000, false}, {70000, 1000, false},
      {10, 0xFFFFFFFEull, true}, {10, 0xFFFFFFFFull, false}, {10, 5ull << 30, false},
  };
  for (const auto& c : cases) {
    bool fits = true;
    try {
      assetgen::CheckStoredZipLimits(c.entries, c.bytes);
    } catch (const std::length_error&) {
      fits = false;
    }
    EXPECT_EQ(fits, c.fits) << c.entries << " entries, " << c.bytes << " bytes";
  }
  // The writer itself checks before building anything.
  std::map<std::string, Bytes> many;
  for (int i = 0; i < 65535; ++i) {
    std::string name = std::to_string(i);
    name.insert(name.begin(), 'f');
    many[name] = {};
  }
  EXPECT_THROW(assetgen::WriteStoredZip(many), std::length_error);
  many.erase(many.begin());
  EXPECT_EQ(ParseZip(assetgen::WriteStoredZip(many)).entries.size(), 65534u);
}

assetgen::Model Tetrahedron() {
  using namespace assetgen;
  Model m;
  m.materials = {{"red", 200, 10, 20, ""}, {"blue", 10, 20, 210, "tex.tga"}};
  MeshObject o;
  o.name = "tetra";
  o.verts = {{0, 0, 0}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}};
  o.uvs = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  // Outward-facing, one smoothing group per face so every corner keeps its face normal.
  o.faces = {{0, 2, 1, 0, 1}, {0, 1, 3, 0, 2}, {0, 3, 2, 1, 4}, {1, 2, 3, 1, 8}};
  m.objects.push_back(o);
  return m;
}

TEST(TdsWriter, ChunkTreeHasTheDocumentedLayout) {
  const Bytes b = assetgen::Write3ds(Tetrahedron());
  ASSERT_GE(b.size(), 6u);
  EXPECT_EQ(assetgen::GetU16(&b[0]), 0x4D4D);
  EXPECT_EQ(assetgen::GetU32(&b[2]), b.size()) << "main chunk spans the file";
  // Walk the tree and collect chunk ids; every child must end inside its parent.
  std::multiset<uint16_t> ids;
  std::function<bool(size_t, size_t)> walk = [&](size_t at, size_t end) {
    while (at < end) {
      if (at + 6 > end) return false;
      const uint16_t id = assetgen::GetU16(&b[at]);
      const uint32_t len = assetgen::GetU32(&b[at + 2]);
      if (len < 6 || at + len > end) return false;
      ids.insert(id);
      size_t body = at + 6;
      if (id == 0x4000) body = std::find(b.begin() + static_cast<long>(body), b.end(), 0) - b.begin() + 1;
      if (id == 0x4120) body += 2 + 8 * assetgen::GetU16(&b[body]);
      if (id == 0x4D4D || id == 0x3D3D || id == 0xAFFF || id == 0x4000 || id == 0x4100 || id == 0x4120 ||
          id == 0xA200 || id == 0xA010 || id == 0xA020 || id == 0xA030)
        if (!walk(body, at + len)) return false;
      at += len;
    }
    return true;
  };
  ASSERT_TRUE(walk(0, b.size()));
  for (uint16_t id : {0x3D3D, 0xAFFF, 0xA000, 0xA020, 0xA200, 0xA300, 0x4000, 0x4100, 0x4110, 0x4120, 0x4130, 0x4140, 0x4150})
    EXPECT_GE(ids.count(id), 1u) << std::hex << "chunk 0x" << id;
  EXPECT_EQ(ids.count(0xAFFF), 2u);
  EXPECT_EQ(ids.count(0xA300), 1u) << "only the textured material names a map";
}

TEST(TdsWriter, RoundTripThroughAssimpKeepsShapeColoursAndAxes) {
  const assetgen::Model m = Tetrahedron();
  const ReadModel r = ReadWithAssimp(assetgen::Write3ds(m));
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.faces, 4u);
  EXPECT_EQ(r.vertices, 12u) << "each corner keeps its own face normal (one smoothing group per face)";
  // Positions come back in scene axes: the apex stays on +y, the third corner on -z.
  auto has = [&](aiVector3D p) {
    for (const auto& q : r.positions)
      if ((q - p).Length() < 1e-5f) return true;
    return false;
  };
  for (const auto& v : m.objects[0].verts) EXPECT_TRUE(has({v.x, v.y, v.z})) << v.x << "," << v.y << "," << v.z;
  // The bottom face (y = 0) must face down once read back: the winding survived the axis change.
  for (size_t i = 0; i < r.positions.size(); ++i)
    EXPECT_GT(r.normals[i].Length(), 0.5f) << "normal " << i;
  ASSERT_EQ(r.diffuse.size(), 2u);
  std::set<std::tuple<int, int, int>> colours;
  for (const auto& c : r.diffuse) colours.insert({std::lround(c.r * 255), std::lround(c.g * 255), std::lround(c.b * 255)});
  EXPECT_TRUE(colours.count({200, 10, 20}));
  EXPECT_TRUE(colours.count({10, 20, 210}));
}

TEST(TdsWriter, RefusesWhatTheFormatCannotHold) {
  struct Case {
    const char* what;
    std::function<void(assetgen::Model&)> spoil;
  };
  const Case cases[] = {
      {"smoothing group 0", [](assetgen::Model& m) { m.objects[0].faces[0].smoothing = 0; }},
      {"index out of range", [](assetgen::Model& m) { m.objects[0].faces[1].c = 9; }},
      {"missing material", [](assetgen::Model& m) { m.objects[0].faces[2].material = 5; }},
      {"uvs for some vertices", [](assetgen::Model& m) { m.objects[0].uvs.pop_back(); }},
      {"too many vertices", [](assetgen::Model& m) { m.objects[0].verts.resize(70000); }},
  };
  for (const auto& c : cases) {
    assetgen::Model m = Tetrahedron();
    c.spoil(m);
    EXPECT_THROW(assetgen::Write3ds(m), std::invalid_argument) << c.what;
  }
}

// ---------------------------------------------------------------------------------------------
// The pack

TEST(Pack, HoldsEveryFileTheGameLoads) {
  REQUIRE_PACK();
  for (const std::string& name : assets::GameFiles()) EXPECT_NE(Pack::Get().Find(name), nullptr) << name;
}

TEST(Pack, ManifestListsEveryFileWithItsSizeAndCrc) {
  REQUIRE_PACK();
  const Bytes* manifest = Pack::Get().Find(assets::kManifest);
  ASSERT_NE(manifest, nullptr);
  std::istringstream in(std::string(manifest->begin(), manifest->end()));
  std::string name, crcText;
  size_t size = 0;
  std::set<std::string> listed;
  std::string previous;
  while (in >> name >> size >> crcText) {
    const Bytes* data = Pack::Get().Find(name);
    ASSERT_NE(data, nullptr) << name << " listed but not packed";
    EXPECT_EQ(size, data->size()) << name;
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", assetgen::Crc32(*data));
    EXPECT_EQ(crcText, crc) << name;
    EXPECT_LT(previous, name) << "manifest is sorted";
    EXPECT_EQ(name.find('\\'), std::string::npos) << name;
    previous = name;
    listed.insert(name);
  }
  for (const auto& [packed, bytes] : Pack::Get().Files())
    if (packed != assets::kManifest) {
      EXPECT_TRUE(listed.count(packed)) << packed << " packed but not listed";
    }
}

TEST(Pack, IsWhatTheGeneratorMakesByteForByte) {
  REQUIRE_PACK();
  // The pack came from another process; equal bytes show the generator and the packing are
  // deterministic, so every build ships the same res.dat.
  const assetgen::AssetSet fresh = assetgen::GenerateAll();
  EXPECT_EQ(fresh.size(), Pack::Get().Files().size());
  for (const auto& [name, bytes] : fresh) {
    const Bytes* packed = Pack::Get().Find(name);
    ASSERT_NE(packed, nullptr) << name;
    EXPECT_TRUE(*packed == bytes) << name << " differs from a fresh generation";
  }
  const Bytes built = ReadWholeFile(KD_RES_PACK_PATH);
  const Bytes repacked = assetgen::WriteStoredZip(fresh);
  const auto diff = std::mismatch(built.begin(), built.end(), repacked.begin(), repacked.end());
  EXPECT_TRUE(built == repacked) << "res.dat " << built.size() << " bytes, fresh pack " << repacked.size()
                                 << " bytes, first difference at byte " << (diff.first - built.begin());
}

TEST(Pack, EveryPictureIsAnUncompressedRgbaTgaOfExactLength) {
  REQUIRE_PACK();
  int count = 0;
  for (const auto& [name, data] : Pack::Get().Files()) {
    if (!EndsWith(name, ".tga")) continue;
    ++count;
    const TgaInfo t = ParseTga(data);
    EXPECT_EQ(t.type, 2) << name;
    EXPECT_EQ(t.bpp, 32) << name;
    EXPECT_EQ(t.descriptor & 0x0F, 8) << name;
    EXPECT_GT(t.width, 0) << name;
    EXPECT_GT(t.height, 0) << name;
    EXPECT_LE(t.width, 1024) << name;
    EXPECT_LE(t.height, 1024) << name;
    EXPECT_EQ(data.size(), 18 + t.idLength + static_cast<size_t>(t.width) * t.height * 4) << name;
  }
  EXPECT_GT(count, 80);
}

// Mean of alpha-weighted brightness: a highlighted picture glows, so it is brighter.
float Glow(const Bytes& tga) {
  const TgaInfo t = ParseTga(tga);
  double sum = 0;
  for (size_t i = 18; i + 3 < tga.size(); i += 4) sum += (tga[i] + tga[i + 1] + tga[i + 2]) / 3.0 * tga[i + 3] / 255.0;
  return static_cast<float>(sum / (static_cast<double>(t.width) * t.height));
}

TEST(Pack, HighlightedButtonsMatchTheirSizeAndGlowBrighter) {
  REQUIRE_PACK();
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto& b : assets::kButtons)
    pairs.push_back({std::string(b.folder) + "/" + b.base + ".tga", std::string(b.folder) + "/" + b.base + "a.tga"});
  for (const auto& s : assets::kSelectorItems)
    if (s.highlighted)
      pairs.push_back({std::string(s.folder) + "/" + s.file, std::string(s.folder) + "/" + assets::HighlightName(s.file)});
  for (const auto& [normal, hot] : pairs) {
    const Bytes* a = Pack::Get().Find(normal);
    const Bytes* b = Pack::Get().Find(hot);
    ASSERT_TRUE(a && b) << normal;
    const TgaInfo ta = ParseTga(*a), tb = ParseTga(*b);
    EXPECT_EQ(ta.width, tb.width) << normal;
    EXPECT_EQ(ta.height, tb.height) << normal;
    const float ga = Glow(*a), gb = Glow(*b);
    EXPECT_GT(gb, ga * 1.1f) << hot << " should glow: normal " << ga << ", highlighted " << gb;
  }
}

TEST(Pack, MenuRowsFitTheirSpacing) {
  REQUIRE_PACK();
  // Main and level menus stand 26 px apart; the small setup selectors 30 px apart and at most
  // 130 px wide where a neighbour follows.
  std::set<int> levelWidths;
  for (const char* name : {"single", "multi", "help", "about", "beginer", "proffi", "expert", "back"}) {
    const Bytes* b = Pack::Get().Find(std::string("textures/mmenu/") + name + ".tga");
    ASSERT_NE(b, nullptr) << name;
    EXPECT_LE(ParseTga(*b).height, 26) << name;
    if (std::string("beginer proffi expert back").find(name) != std::string::npos)
      levelWidths.insert(ParseTga(*b).width);
  }
  EXPECT_EQ(levelWidths.size(), 1u) << "the level screens' buttons differ in width";
  for (const char* name : {"modern", "classic", "short", "long"}) {
    const Bytes* b = Pack::Get().Find(std::string("textures/smenu/") + name + ".tga");
    ASSERT_NE(b, nullptr) << name;
    EXPECT_LE(ParseTga(*b).height, 30) << name;
    EXPECT_LE(ParseTga(*b).width, 130) << name;
  }
  for (const char* name : {"winmode", "fullscr", "starsOn", "starsOff"}) {
    const Bytes* b = Pack::Get().Find(std::string("textures/smenu/") + name + ".tga");
    ASSERT_NE(b, nullptr) << name;
    EXPECT_LE(670 + ParseTga(*b).width, 800) << name << " leaves the screen";
  }
  const Bytes* bg = Pack::Get().Find("textures/common/BACKGR.tga");
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(ParseTga(*bg).width, 800);
  EXPECT_EQ(ParseTga(*bg).height, 600);
}

TEST(Pack, ArtShowsWhatAClickDoes) {
  REQUIRE_PACK();
  constexpr int kEnd = 12, kPlateRows = 26;
  struct Measure {
    double lightHeight = 0;  // mean height of the light ink against the middle row
    int goldRightOverLeft = 0, sideCover = 0, cover = 0;  // the last two above the plate
  };
  auto measure = [&](const std::string& name) {
    Measure m;
    const Bytes* b = Pack::Get().Find(name);
    if (!b) return ADD_FAILURE() << name, m;
    const TgaInfo t = ParseTga(*b);
    int light = 0;
    for (int y = 0; y < t.height; ++y)
      for (int x = 0; x < t.width; ++x) {
        const uint8_t* p = &(*b)[18 + t.idLength + (static_cast<size_t>(y) * t.width + x) * 4];  // BGRA
        if (p[0] > 190 && p[1] > 190 && p[2] > 190) m.lightHeight += y - (t.height - 1) / 2.0, ++light;
        if (y < kPlateRows && (x < kEnd || x >= t.width - kEnd))
          m.goldRightOverLeft += (p[3] > 128 && p[2] > 150 && p[0] < 150) * (x < kEnd ? -1 : 1);
        if (y >= kPlateRows) (x == 0 || x == t.width - 1 ? m.sideCover : m.cover) += p[3] > 0;
      }
    m.lightHeight /= std::max(light, 1);
    return m;
  };
  // The page arrows point the way the page goes: the top one ("arrdown") up toward the start, the
  // bottom one ("arrup") down toward the end; a triangle's ink lies toward its base.
  EXPECT_LT(measure("textures/help/arrdown.tga").lightHeight, -0.5);
  EXPECT_GT(measure("textures/help/arrup.tga").lightHeight, 0.5);
  // Selectors only step on: one arrow at the plate's right end, none mirroring it at the left.
  // The draught pairs stand whole, clear of the picture's sides.
  for (const auto& s : assets::kSelectorItems) {
    const std::string name = std::string(s.folder) + "/" + s.file;
    const Measure m = measure(name);
    if (s.highlighted) {
      EXPECT_GE(m.goldRightOverLeft, 15) << name;
    }
    if (name.find("/checks/") == std::string::npos) continue;
    EXPECT_EQ(m.sideCover, 0) << name << ": a draught is cut by the picture's edge";
    EXPECT_GT(m.cover, 3000) << name;
  }
}

// ---------------------------------------------------------------------------------------------
// Models

struct Box {
  aiVector3D lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};
Box Bounds(const std::vector<aiVector3D>& ps) {
  Box b;
  for (const auto& p : ps) {
    b.lo = {std::min(b.lo.x, p.x), std::min(b.lo.y, p.y), std::min(b.lo.z, p.z)};
    b.hi = {std::max(b.hi.x, p.x), std::max(b.hi.y, p.y), std::max(b.hi.z, p.z)};
  }
  return b;
}

TEST(Models, ReadBackWithTheCountsColoursAndNormalsTheBuilderMade) {
  REQUIRE_PACK();
  for (const char* file : assets::kModels) {
    SCOPED_TRACE(file);
    const Bytes* data = Pack::Get().Find(std::string(assets::kModelFolder) + "/" + file);
    ASSERT_NE(data, nullptr);
    const assetgen::BuiltModel built = assetgen::ModelForFile(file);
    size_t verts = 0, faces = 0;
    for (const auto& o : built.model.objects) verts += o.verts.size(), faces += o.faces.size();
    const ReadModel r = ReadWithAssimp(*data);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.faces, faces);
    EXPECT_EQ(r.vertices, verts);
    size_t zeroNormals = 0;
    for (const auto& n : r.normals) zeroNormals += n.Length() < 0.5f;
    EXPECT_EQ(zeroNormals, 0u);
    for (const auto& m : built.model.materials) {
      bool found = false;
      for (const auto& c : r.diffuse)
        found |= std::lround(c.r * 255) == m.r && std::lround(c.g * 255) == m.g && std::lround(c.b * 255) == m.b;
      EXPECT_TRUE(found) << "material " << m.name;
      if (!m.texture.empty()) {
        EXPECT_NE(Pack::Get().Find(std::string(assets::kModelFolder) + "/" + m.texture), nullptr) << m.texture;
      }
    }
  }
}

TEST(Models, StandInTheSceneAtTheirGameSizes) {
  REQUIRE_PACK();
  using namespace assetgen;
  struct Case {
    const char* file;
    float halfX, halfZ, top, bottom;  // expected extents in scene units (y up)
  };
  const float r = kDraughtRadius;
  const Case cases[] = {
      {"desk_kr.3ds", kSquareBoardSize / 2, kSquareBoardSize / 2, 0, -kBoardThickness},
      {"desk_iy.3ds", kRoundBoardRadius, kRoundBoardRadius, 0, -kBoardThickness},
      {"desk_M.3ds", kPolyBoardRadius, kPolyBoardRadius, 0, -kBoardThickness},  // corners on both axes
      {"bone_B.3ds", r, r, kDraughtHeight, 0}, {"wood_b.3ds", r, r, kDraughtHeight, 0},
      {"rock_B.3ds", r, r, kDraughtHeight, 0}, {"bone_W.3ds", r, r, kDraughtHeight, 0},
      {"wood_W.3ds", r, r, kDraughtHeight, 0}, {"rock_W.3ds", r, r, kDraughtHeight, 0},
  };
  for (const auto& c : cases) {
    const ReadModel m = ReadWithAssimp(*Pack::Get().Find(std::string(assets::kModelFolder) + "/" + c.file));
    ASSERT_TRUE(m.ok) << c.file;
    const Box b = Bounds(m.positions);
    printf("%-12s x %.4f..%.4f (want +-%.4f)  z %.4f..%.4f (want +-%.4f)  y %.4f..%.4f (want %.4f..%.4f)\n", c.file,
           b.lo.x, b.hi.x, c.halfX, b.lo.z, b.hi.z, c.halfZ, b.lo.y, b.hi.y, c.bottom, c.top);
    EXPECT_NEAR(b.hi.x, c.halfX, 1e-3) << c.file;
    EXPECT_NEAR(-b.lo.x, c.halfX, 1e-3) << c.file;
    EXPECT_NEAR(b.hi.z, c.halfZ, 1e-3) << c.file;
    EXPECT_NEAR(-b.lo.z, c.halfZ, 1e-3) << c.file;
    EXPECT_NEAR(b.hi.y, c.top, 1e-4) << c.file;
    EXPECT_NEAR(b.lo.y, c.bottom, 1e-4) << c.file;
    // The playing surface faces up: every vertex at the very top has a normal pointing +y.
    for (size_t i = 0; i < m.positions.size(); ++i)
      if (std::fabs(m.positions[i].y - c.top) < 1e-6f && std::hypot(m.positions[i].x, m.positions[i].z) < 0.3f * c.halfX) {
        EXPECT_GT(m.normals[i].y, 0.99f) << c.file << " vertex " << i;
      }
  }
}

TEST(Models, HandsPointTheirFingersAlongMinusXAndTheClosedHandIsShorter) {
  REQUIRE_PACK();
  const ReadModel open = ReadWithAssimp(*Pack::Get().Find("models/3ds/hand1.3ds"));
  const ReadModel fist = ReadWithAssimp(*Pack::Get().Find("models/3ds/hand2.3ds"));
  ASSERT_TRUE(open.ok && fist.ok);
  const Box a = Bounds(open.positions), b = Bounds(fist.positions);
  EXPECT_NEAR(a.lo.x, 0.0f, 1e-5f) << "open fingertips at the origin";
  EXPECT_NEAR(b.lo.x, 0.0f, 1e-5f) << "front of the fist at the origin";
  EXPECT_GT(a.hi.x, 0.15f) << "wrist towards +x";
  EXPECT_GT(a.hi.x - a.lo.x, b.hi.x - b.lo.x + 0.02f) << "curled fingers make the hand shorter";
  EXPECT_LT(b.lo.y, a.lo.y) << "a fist is deeper than a flat hand";
}

TEST(Models, StarClustersAreManyBrightStars) {
  REQUIRE_PACK();
  for (const char* file : {"stars1.3ds", "stars2.3ds", "stars3.3ds", "stars4.3ds"}) {
    const ReadModel m = ReadWithAssimp(*Pack::Get().Find(std::string("models/3ds/") + file));
    ASSERT_TRUE(m.ok) << file;
    EXPECT_GE(m.faces / 24, 40u) << file << ": 24 faces per star";
    for (const auto& c : m.diffuse) EXPECT_GT(c.r + c.g + c.b, 2.0f) << file << " stars are bright";
  }
}

// ---------------------------------------------------------------------------------------------
// Sounds

TEST(Sounds, EveryEffectIsShortAudiblePcmWithoutClipping) {
  REQUIRE_PACK();
  std::set<std::string> seen;
  for (const char* file : assets::kSounds) {
    if (!seen.insert(file).second) continue;
    const Bytes* data = Pack::Get().Find(std::string(assets::kSoundFolder) + "/" + file);
    ASSERT_NE(data, nullptr) << file;
    const Wav w = ParseWav(*data);
    ASSERT_TRUE(w.ok) << file;
    EXPECT_EQ(w.format, 1) << file;
    EXPECT_EQ(w.bits, 16) << file;
    EXPECT_EQ(w.rate, assetgen::kSampleRate) << file;
    const float seconds = static_cast<float>(w.samples.size()) / w.rate;
    const float rms = Rms(w.samples);
    float peak = 0;
    for (float v : w.samples) peak = std::max(peak, std::fabs(v));
    printf("%-12s %.2f s  rms %.3f  peak %.3f\n", file, seconds, rms, peak);
    EXPECT_GT(rms, 0.02f) << file << " is (nearly) silent";
    EXPECT_LT(peak, 0.95f) << file << " is too loud";
    if (std::string(file) != assets::kSounds[SOUND_MENU_MUSIC]) {
      EXPECT_LE(seconds, 1.6f) << file << " is not short";
      EXPECT_LT(std::fabs(w.samples.front()), 0.01f) << file << " starts with a click";
      EXPECT_LT(std::fabs(w.samples.back()), 0.01f) << file << " ends with a click";
    }
  }
}

TEST(Sounds, MenuTuneLoopsWithoutAJump) {
  REQUIRE_PACK();
  const Bytes* data = Pack::Get().Find(std::string(assets::kSoundFolder) + "/" + assets::kSounds[SOUND_MENU_MUSIC]);
  ASSERT_NE(data, nullptr);
  const Wav w = ParseWav(*data);
  ASSERT_TRUE(w.ok);
  const size_t n = w.samples.size();
  const double seconds = static_cast<double>(n) / w.rate;
  EXPECT_NEAR(seconds, 60.0 / assetgen::kMenuLoopBpm * assetgen::kMenuLoopBeats, 1e-3);
  const double periods = seconds * assetgen::kMenuDroneHz;
  EXPECT_NEAR(periods, std::round(periods), 1e-6) << "drone periods per loop";
  // The step from the last sample back to the first is no bigger than the tune's ordinary steps.
  std::vector<float> steps;
  for (size_t i = 1; i < n; ++i) steps.push_back(std::fabs(w.samples[i] - w.samples[i - 1]));
  std::sort(steps.begin(), steps.end());
  const float p99 = steps[steps.size() * 99 / 100];
  const float join = std::fabs(w.samples.front() - w.samples.back());
  printf("loop %.2f s, join step %.4f, 99th percentile step %.4f\n", seconds, join, p99);
  EXPECT_LE(join, p99);
  EXPECT_GT(Rms(w.samples), 0.05f);
}

// ---------------------------------------------------------------------------------------------
// Font

TEST(Font, MetricsCoverPrintableAsciiInsideTheAtlas) {
  REQUIRE_PACK();
  const Bytes* metrics = Pack::Get().Find(assets::kFontMetrics);
  const Bytes* atlas = Pack::Get().Find(assets::kFontImage);
  ASSERT_TRUE(metrics && atlas);
  const TgaInfo t = ParseTga(*atlas);
  std::istringstream in(std::string(metrics->begin(), metrics->end()));
  std::string magic, key;
  int version = 0, aw = 0, ah = 0, count = 0;
  float size = 0, ascent = 0, descent = 0, gap = 0;
  in >> magic >> version >> key >> aw >> ah;
  EXPECT_EQ(magic, "kdfont");
  EXPECT_EQ(version, 1);
  EXPECT_EQ(aw, t.width);
  EXPECT_EQ(ah, t.height);
  in >> key >> size >> key >> ascent >> key >> descent >> key >> gap >> key >> count;
  EXPECT_EQ(size, 24.0f);
  EXPECT_GT(ascent, 0);
  EXPECT_LT(descent, 0);
  ASSERT_EQ(count, 95);
  std::set<int> codes;
  for (int i = 0; i < count; ++i) {
    int code, x0, y0, x1, y1;
    float xoff, yoff, adv;
    ASSERT_TRUE(in >> code >> x0 >> y0 >> x1 >> y1 >> xoff >> yoff >> adv) << "line " << i;
    codes.insert(code);
    EXPECT_TRUE(0 <= x0 && x0 <= x1 && x1 <= aw && 0 <= y0 && y0 <= y1 && y1 <= ah) << "char " << code;
    EXPECT_GT(adv, 0) << "char " << code;
    if (code > 32) {
      // Some coverage inside the rectangle (rows counted from the top of the picture).
      int covered = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) covered += (*atlas)[18 + (static_cast<size_t>(ah - 1 - y) * aw + x) * 4 + 3] > 128;
      EXPECT_GT(covered, 0) << "char " << code << " has no pixels";
    }
  }
  EXPECT_EQ(*codes.begin(), 32);
  EXPECT_EQ(*codes.rbegin(), 126);
  EXPECT_EQ(codes.size(), 95u);
}

}  // namespace
