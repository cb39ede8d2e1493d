// Models: our 3DS files read back in scene axes with the generator's vertices, smooth groups,
// winding and material colours; other people's 3DS files and a few hundred damaged copies of ours
// never crash nor allocate absurdly; the registry keeps handles across reloads; the sphere mesh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "tests/alloc_tracker.h"
#include "core/asset_names.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/tds_writer.h"

namespace {

using assetgen::Bytes;

// No model of ours nor any test file needs a single block this large.
constexpr size_t kAbsurdAllocation = size_t(64) << 20;
constexpr float kPosTolerance = 1e-5f;

CResource& Pack() {
    static CResource pack;
    static bool opened = [] {
        pack.SetDatFile(KD_RES_PACK_PATH);
        return pack.Open();
    }();
    EXPECT_TRUE(opened) << pack.LastError();
    return pack;
}

Bytes ModelBytes(const std::string& file) {
    Bytes data;
    EXPECT_TRUE(Pack().ReadFile("models\\3ds", file, data)) << file;
    return data;
}

struct Vec {
    float x, y, z;
};
Vec At(const std::vector<float>& v, size_t i) { return {v[i * 3], v[i * 3 + 1], v[i * 3 + 2]}; }
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(Vec a) { return std::sqrt(Dot(a, a)); }

// Structural laws every parsed model must obey, whatever file it came from; "" when they hold.
std::string CheckInvariants(const SModelData& m) {
    for (const SMesh& mesh : m.meshes) {
        const size_t n = mesh.positions.size() / 3;
        if (mesh.positions.size() != n * 3 || mesh.normals.size() != n * 3) return "normals not one per vertex";
        if (!mesh.uvs.empty() && mesh.uvs.size() != n * 2) return "uvs not one per vertex";
        if (mesh.indices.size() % 3 != 0) return "indices not in threes";
        if (mesh.nMaterial < -1 || mesh.nMaterial >= static_cast<int>(m.materials.size())) return "material index out of range";
        for (uint32_t i : mesh.indices)
            if (i >= n) return "index " + std::to_string(i) + " past vertex count " + std::to_string(n);
        for (size_t v = 0; v < n; ++v) {
            const Vec p = At(mesh.positions, v);
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return "position not finite";
            const float len = Length(At(mesh.normals, v));
            if (!(std::fabs(len - 1.0f) < 1e-3f)) return "normal of length " + std::to_string(len);
        }
    }
    return "";
}

struct Bounds {
    Vec lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
};
Bounds BoundsOf(const SModelData& m) {
    Bounds b;
    for (const SMesh& mesh : m.meshes)
        for (size_t v = 0; v < mesh.positions.size() / 3; ++v) {
            const Vec p = At(mesh.positions, v);
            b.lo = {std::fmin(b.lo.x, p.x), std::fmin(b.lo.y, p.y), std::fmin(b.lo.z, p.z)};
            b.hi = {std::fmax(b.hi.x, p.x), std::fmax(b.hi.y, p.y), std::fmax(b.hi.z, p.z)};
        }
    return b;
}

// Positions rounded to the tolerance, to compare vertex sets.
using Key = std::tuple<long, long, long>;
Key KeyOf(float x, float y, float z) {
    auto q = [](float v) { return std::lround(v / kPosTolerance / 4); };
    return {q(x), q(y), q(z)};
}

// ---------------------------------------------------------------------------------------------
// Our own models

TEST(Parse3ds, EveryPackModelMatchesTheGeneratorInSceneAxes) {
    for (const char* file : assets::kModels) {
        const Bytes bytes = ModelBytes(file);
        SModelData m;
        std::string error;
        ASSERT_TRUE(Parse3ds(bytes.data(), bytes.size(), m, error)) << file << ": " << error;
        EXPECT_EQ(CheckInvariants(m), "") << file;

        const assetgen::Model expected = assetgen::ModelForFile(file).model;
        size_t faces = 0;
        std::set<Key> expectedPositions;
        for (const auto& o : expected.objects) {
            faces += o.faces.size();
            for (const auto& f : o.faces)
                for (uint16_t i : {f.a, f.b, f.c}) expectedPositions.insert(KeyOf(o.verts[i].x, o.verts[i].y, o.verts[i].z));
        }
        EXPECT_EQ(m.TriangleCount(), faces) << file;
        std::set<Key> gotPositions;
        for (const SMesh& mesh : m.meshes)
            for (size_t v = 0; v < mesh.positions.size() / 3; ++v) {
                const Vec p = At(mesh.positions, v);
                gotPositions.insert(KeyOf(p.x, p.y, p.z));
            }
        EXPECT_EQ(gotPositions.size(), expectedPositions.size()) << file << ": distinct vertex positions";
        EXPECT_TRUE(gotPositions == expectedPositions) << file << ": positions differ from the generator's scene positions";
        // Joined vertices: more than the distinct positions (crisp edges split them), far fewer than 3 per face.
        EXPECT_GE(m.VertexCount(), expectedPositions.size()) << file;
        EXPECT_LT(m.VertexCount(), 3 * faces) << file;

        ASSERT_GE(m.materials.size(), expected.materials.size()) << file;
        for (const auto& em : expected.materials) {
            const SMaterial* got = nullptr;
            for (const auto& gm : m.materials)
                if (gm.name == em.name) got = &gm;
            ASSERT_NE(got, nullptr) << file << ": material " << em.name;
            const float rgb[3] = {em.r / 255.0f, em.g / 255.0f, em.b / 255.0f};
            // Our writer stores ambient as a quarter of the diffuse bytes and a grey 90 specular.
            const float ambient[3] = {(em.r / 4) / 255.0f, (em.g / 4) / 255.0f, (em.b / 4) / 255.0f};
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(got->aDiffuse[k], rgb[k], 0.002f) << file << " " << em.name << " diffuse " << k;
                EXPECT_NEAR(got->aAmbient[k], ambient[k], 0.002f) << file << " " << em.name << " ambient " << k;
                EXPECT_NEAR(got->aSpecular[k], 90 / 255.0f, 0.002f) << file << " " << em.name << " specular " << k;
            }
            EXPECT_EQ(got->aDiffuse[3], 1.0f) << file << " " << em.name << " opaque";
            EXPECT_EQ(got->textureFile, em.texture) << file << " " << em.name;
        }
        const Bounds b = BoundsOf(m);
        // The largest model, the star field, spans about 25 units; nothing is flat in all axes.
        EXPECT_TRUE(b.lo.x > -20 && b.lo.y > -20 && b.lo.z > -20 && b.hi.x < 20 && b.hi.y < 20 && b.hi.z < 20) << file;
        EXPECT_GT((b.hi.x - b.lo.x) * (b.hi.y - b.lo.y) + (b.hi.y - b.lo.y) * (b.hi.z - b.lo.z), 0.0f) << file;
        std::printf("%-12s %6zu vertices %6zu triangles  x %.3f..%.3f  y %.3f..%.3f  z %.3f..%.3f\n", file, m.VertexCount(),
                    m.TriangleCount(), b.lo.x, b.hi.x, b.lo.y, b.hi.y, b.lo.z, b.hi.z);
    }
}

TEST(Parse3ds, BoardsLieWithTheirTopAtZeroFacingUp) {
    const struct {
        const char* file;
        float halfX, halfZ;  // half extents in the scene
    } boards[] = {
        {"desk_kr.3ds", assetgen::kSquareBoardSize / 2, assetgen::kSquareBoardSize / 2},
        {"desk_iy.3ds", assetgen::kRoundBoardRadius, assetgen::kRoundBoardRadius},
        {"desk_M.3ds", assetgen::kPolyBoardRadius, assetgen::kPolyBoardRadius},
    };
    for (const auto& board : boards) {
        const Bytes bytes = ModelBytes(board.file);
        SModelData m;
        std::string error;
        ASSERT_TRUE(Parse3ds(bytes.data(), bytes.size(), m, error)) << board.file << ": " << error;
        const Bounds b = BoundsOf(m);
        EXPECT_NEAR(b.hi.y, 0.0f, kPosTolerance) << board.file << " top";
        EXPECT_NEAR(b.lo.y, -assetgen::kBoardThickness, kPosTolerance) << board.file << " bottom";
        EXPECT_NEAR(b.hi.x, board.halfX, 1e-3f) << board.file;
        EXPECT_NEAR(-b.lo.x, board.halfX, 1e-3f) << board.file;
        EXPECT_NEAR(b.hi.z, board.halfZ, 1e-3f) << board.file;
        EXPECT_NEAR(-b.lo.z, board.halfZ, 1e-3f) << board.file;

        // The top is flat and shaded flat: its triangles wind counter-clockwise seen from above
        // and every vertex normal on it points straight up (the chamfer is its own smoothing group).
        int topTriangles = 0;
        for (const SMesh& mesh : m.meshes) {
            for (size_t t = 0; t < mesh.indices.size(); t += 3) {
                const Vec a = At(mesh.positions, mesh.indices[t]), bb = At(mesh.positions, mesh.indices[t + 1]),
                          c = At(mesh.positions, mesh.indices[t + 2]);
                if (std::fabs(a.y) > kPosTolerance || std::fabs(bb.y) > kPosTolerance || std::fabs(c.y) > kPosTolerance) continue;
                ++topTriangles;
                EXPECT_GT(Cross(Sub(bb, a), Sub(c, a)).y, 0.0f) << board.file << " triangle " << t / 3;
                for (int k = 0; k < 3; ++k) {
                    const Vec n = At(mesh.normals, mesh.indices[t + k]);
                    EXPECT_NEAR(n.y, 1.0f, 1e-4f) << board.file << " normal " << n.x << "," << n.y << "," << n.z;
                }
            }
        }
        EXPECT_GE(topTriangles, 4) << board.file;
    }
}

TEST(Parse3ds, DraughtStandsOnItsBaseWithOutwardFaces) {
    for (const char* file : {"bone_B.3ds", "wood_W.3ds", "rock_B.3ds"}) {
        const Bytes bytes = ModelBytes(file);
        SModelData m;
        std::string error;
        ASSERT_TRUE(Parse3ds(bytes.data(), bytes.size(), m, error)) << file << ": " << error;
        const Bounds b = BoundsOf(m);
        EXPECT_NEAR(b.lo.y, 0.0f, kPosTolerance) << file;
        EXPECT_NEAR(b.hi.y, assetgen::kDraughtHeight, 1e-4f) << file;
        EXPECT_NEAR(b.hi.x, assetgen::kDraughtRadius, 1e-4f) << file;
        // A closed convex-ish solid around its axis: every face normal points away from the axis
        // or up/down, never towards the inside of the rim.
        const Vec centre{0, assetgen::kDraughtHeight / 2, 0};
        int inward = 0, total = 0;
        for (const SMesh& mesh : m.meshes)
            for (size_t t = 0; t < mesh.indices.size(); t += 3) {
                const Vec a = At(mesh.positions, mesh.indices[t]), bb = At(mesh.positions, mesh.indices[t + 1]),
                          c = At(mesh.positions, mesh.indices[t + 2]);
                const Vec mid{(a.x + bb.x + c.x) / 3, (a.y + bb.y + c.y) / 3, (a.z + bb.z + c.z) / 3};
                const Vec radial{mid.x - centre.x, 0, mid.z - centre.z};
                const Vec n = Cross(Sub(bb, a), Sub(c, a));
                // Side faces only (steep), far from the axis.
                if (std::fabs(n.y) > 0.3f * Length(n) || Length(radial) < 0.8f * assetgen::kDraughtRadius) continue;
                ++total;
                inward += Dot(n, radial) < 0;
            }
        EXPECT_GT(total, 40) << file;
        EXPECT_EQ(inward, 0) << file << ": side faces wound inwards";
    }
}

TEST(LoadModel3ds, LoadsWithTexturesAndReloadKeepsTheSlot) {
    const ModelHandle h = LoadModel3ds(Pack(), "models\\3ds", "desk_kr.3ds");
    ASSERT_NE(h, kNoModel);
    SRegisteredModel* slot = FindModel(h);
    ASSERT_NE(slot, nullptr);
    ASSERT_NE(slot->data, nullptr);
    EXPECT_EQ(slot->data->name, "models/3ds/desk_kr.3ds");
    int textured = 0;
    for (const auto& mat : slot->data->materials) {
        if (mat.textureFile.empty()) continue;
        ASSERT_NE(mat.texture, nullptr) << mat.textureFile;
        EXPECT_FALSE(mat.texture->HoldsPixels()) << mat.textureFile << ": pixels wait in the pack until drawn";
        EXPECT_GT(mat.texture->Width(), 0);
        const SImage* pPixels = mat.texture->Pixels();
        ASSERT_NE(pPixels, nullptr) << mat.textureFile;
        EXPECT_EQ(pPixels->nWidth, mat.texture->Width());
        EXPECT_EQ(pPixels->pixels.size(), size_t(pPixels->nWidth) * pPixels->nHeight * 4);
        ++textured;
    }
    EXPECT_EQ(textured, 2) << "square_top and square_side";
    const unsigned generation = slot->nGeneration;
    slot->nDisplayList = 42;
    slot->nListGeneration = generation;

    const ModelHandle again = LoadModel3ds(Pack(), "MODELS/3DS", "Desk_KR.3ds");
    EXPECT_EQ(again, h) << "the same model in another spelling reuses its slot";
    EXPECT_EQ(FindModel(h), slot) << "the slot stays where it was";
    EXPECT_GT(slot->nGeneration, generation);
    EXPECT_NE(slot->nListGeneration, slot->nGeneration) << "the renderer sees that its list is stale";

    EXPECT_EQ(LoadModel3ds(Pack(), "models\\3ds", "no_such.3ds"), kNoModel);
    EXPECT_NE(LoadModel3ds(Pack(), "models\\3ds", "hand1.3ds"), h);
}

// ---------------------------------------------------------------------------------------------
// Registry and sphere

std::shared_ptr<SModelData> Named(const std::string& name) {
    auto m = std::make_shared<SModelData>();
    m->name = name;
    return m;
}

TEST(ModelRegistry, SameNameSameHandleUnknownHandleNull) {
    const ModelHandle a = RegisterModel(Named("registry_test/a"));
    const ModelHandle b = RegisterModel(Named("registry_test/b"));
    ASSERT_NE(a, kNoModel);
    ASSERT_NE(b, kNoModel);
    EXPECT_NE(a, b);
    auto replacement = Named("Registry_Test/A");
    const ModelHandle a2 = RegisterModel(replacement);
    EXPECT_EQ(a2, a);
    EXPECT_EQ(FindModel(a)->data, replacement) << "the data was replaced in place";
    EXPECT_EQ(FindModel(a)->nGeneration, 2u);
    EXPECT_EQ(FindModel(b)->nGeneration, 1u);

    EXPECT_EQ(FindModel(kNoModel), nullptr);
    EXPECT_EQ(FindModel(-3), nullptr);
    EXPECT_EQ(FindModel(b + 1000), nullptr);
    EXPECT_EQ(RegisterModel(nullptr), kNoModel);

    const ModelHandle stars = RegisterDisplayList("registry_test/stars", 17);
    ASSERT_NE(FindModel(stars), nullptr);
    EXPECT_EQ(FindModel(stars)->data, nullptr);
    EXPECT_EQ(FindModel(stars)->nDisplayList, 17u);
    EXPECT_EQ(RegisterDisplayList("registry_test/stars", 18), stars);
    FindModel(a)->nDisplayList = 5;
    ForgetModelGlObjects();
    EXPECT_EQ(FindModel(stars)->nDisplayList, 0u);
    EXPECT_EQ(FindModel(a)->nDisplayList, 0u);
    EXPECT_EQ(FindModel(a)->data, replacement) << "forgetting GL objects keeps the data";
}

TEST(ModelRegistry, SphereHasItsRadiusUnitNormalsAndOutwardFaces) {
    for (float r : {0.01f, 0.058f, 3.0f}) {
        const ModelHandle h = CreateSphereModel(r);
        ASSERT_NE(h, kNoModel) << r;
        EXPECT_EQ(CreateSphereModel(r), h) << "same radius, same slot";
        const SModelData& m = *FindModel(h)->data;
        char name[32];
        std::snprintf(name, sizeof name, "sphere:%g", double(r));
        EXPECT_EQ(m.name, name);
        EXPECT_EQ(CheckInvariants(m), "") << r;
        ASSERT_EQ(m.meshes.size(), 1u);
        const SMesh& s = m.meshes[0];
        float worstRadius = 0, worstNormal = 0;
        for (size_t v = 0; v < s.positions.size() / 3; ++v) {
            const Vec p = At(s.positions, v), n = At(s.normals, v);
            worstRadius = std::fmax(worstRadius, std::fabs(Length(p) - r) / r);
            worstNormal = std::fmax(worstNormal, Length(Sub(n, Vec{p.x / r, p.y / r, p.z / r})));
        }
        EXPECT_LT(worstRadius, 1e-5f) << r;
        EXPECT_LT(worstNormal, 1e-5f) << r;
        int outward = 0, triangles = 0;
        double area = 0;
        for (size_t t = 0; t < s.indices.size(); t += 3) {
            const Vec a = At(s.positions, s.indices[t]), b = At(s.positions, s.indices[t + 1]), c = At(s.positions, s.indices[t + 2]);
            const Vec n = Cross(Sub(b, a), Sub(c, a));
            ++triangles;
            outward += Dot(n, Vec{a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z}) > 0;
            area += Length(n) / 2;
        }
        EXPECT_EQ(outward, triangles) << r << ": every face wound counter-clockwise seen from outside";
        const double sphereArea = 4 * M_PI * r * r;
        EXPECT_NEAR(area / sphereArea, 1.0, 0.02) << r << ": the facets cover the sphere";
    }
    EXPECT_EQ(CreateSphereModel(0.0f), kNoModel);
    EXPECT_EQ(CreateSphereModel(-1.0f), kNoModel);
    EXPECT_EQ(CreateSphereModel(NAN), kNoModel);
}

// ---------------------------------------------------------------------------------------------
// Other people's files and damaged files

TEST(Parse3ds, AssimpTestModelsParseWithoutCrashing) {
    const std::filesystem::path root = "/usr/share/assimp";
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::exists(root, ec))
        for (auto it = std::filesystem::recursive_directory_iterator(root, ec); it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::string ext = it->path().extension().string();
            for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (ext == ".3ds" && it->is_regular_file()) files.push_back(it->path());
        }
    if (files.empty()) GTEST_SKIP() << "no 3DS files under " << root << " (Debian package assimp-testmodels)";
    int loaded = 0;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SModelData m;
        std::string error;
        alloc_tracker::Reset();
        const bool ok = Parse3ds(bytes.data(), bytes.size(), m, error);
        EXPECT_LT(alloc_tracker::Largest(), kAbsurdAllocation) << path;
        if (ok) {
            ++loaded;
            EXPECT_EQ(CheckInvariants(m), "") << path;
            EXPECT_GT(m.TriangleCount(), 0u) << path;
        } else {
            EXPECT_FALSE(error.empty()) << path;
        }
        std::printf("%-70s %s %zu triangles %s\n", path.c_str(), ok ? "loaded" : "refused", m.TriangleCount(), error.c_str());
    }
    std::printf("%d of %zu 3DS test files loaded\n", loaded, files.size());
    EXPECT_GT(loaded, 0);
}

// Offsets of every chunk header in a 3DS file of ours (containers and leaves).
void CollectChunks(const Bytes& b, size_t begin, size_t end, std::vector<size_t>& out) {
    static const std::set<uint16_t> containers = {0x4D4D, 0x3D3D, 0xAFFF, 0x4000, 0x4100, 0xA010, 0xA020, 0xA030, 0xA200, 0x4120};
    size_t at = begin;
    while (at + 6 <= end) {
        const uint16_t id = assetgen::GetU16(&b[at]);
        const uint32_t len = assetgen::GetU32(&b[at + 2]);
        if (len < 6 || at + len > end) return;
        out.push_back(at);
        if (containers.count(id)) {
            size_t inner = at + 6;
            if (id == 0x4000) {
                while (inner < at + len && b[inner] != 0) ++inner;
                ++inner;  // past the name's terminator
            }
            if (id == 0x4120) inner += 2 + 8u * assetgen::GetU16(&b[at + 6]);
            CollectChunks(b, inner, at + len, out);
        }
        at += len;
    }
}

TEST(Parse3ds, DamagedCopiesOfOurModelsNeverCrashNorAllocateAbsurdly) {
    std::mt19937 rng(20240611u);
    const char* sources[] = {"bone_B.3ds", "hand1.3ds", "stars2.3ds", "desk_kr.3ds"};
    enum Kind { kFlip, kCut, kChunkSize, kFaceIndex, kKinds };
    const char* kindNames[] = {"byte flips", "cut short", "bad chunk size", "face index past vertices"};
    int tried[kKinds] = {}, refused[kKinds] = {};
    size_t largest = 0;
    constexpr int kPerSource = 80;
    for (const char* file : sources) {
        const Bytes original = ModelBytes(file);
        std::vector<size_t> chunks, faceChunks;
        CollectChunks(original, 0, original.size(), chunks);
        ASSERT_GT(chunks.size(), 10u) << file;
        for (size_t c : chunks)
            if (assetgen::GetU16(&original[c]) == 0x4120) faceChunks.push_back(c);
        ASSERT_FALSE(faceChunks.empty()) << file;
        for (int i = 0; i < kPerSource; ++i) {
            Bytes b = original;
            const Kind kind = static_cast<Kind>(i % kKinds);
            switch (kind) {
                case kFlip: {
                    const int flips = 1 + static_cast<int>(rng() % 16);
                    for (int k = 0; k < flips; ++k) b[rng() % b.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
                    break;
                }
                case kCut:
                    b.resize(rng() % b.size());
                    break;
                case kChunkSize: {
                    const size_t c = chunks[rng() % chunks.size()];
                    const uint32_t sizes[] = {0, 1, 5, 6, 7, 0x7FFFFFFFu, 0xFFFFFFFFu, assetgen::GetU32(&b[c + 2]) + 1 + static_cast<uint32_t>(rng() % 1000),
                                              assetgen::GetU32(&b[c + 2]) / 2};
                    assetgen::PatchU32(b, c + 2, sizes[rng() % std::size(sizes)]);
                    break;
                }
                case kFaceIndex: {
                    const size_t c = faceChunks[rng() % faceChunks.size()];
                    const uint16_t faces = assetgen::GetU16(&b[c + 6]);
                    const size_t face = rng() % faces;
                    const size_t at = c + 8 + face * 8 + 2 * (rng() % 3);
                    const uint16_t bad = (rng() % 2) ? 0xFFFF : static_cast<uint16_t>(60000 + rng() % 5000);
                    b[at] = static_cast<uint8_t>(bad);
                    b[at + 1] = static_cast<uint8_t>(bad >> 8);
                    break;
                }
                case kKinds:
                    break;
            }
            ++tried[kind];
            SModelData m;
            std::string error;
            alloc_tracker::Reset();
            const bool ok = Parse3ds(b.data(), b.size(), m, error);
            largest = std::max(largest, alloc_tracker::Largest());
            EXPECT_LT(alloc_tracker::Largest(), kAbsurdAllocation) << file << " mutation " << i << " (" << kindNames[kind] << ")";
            if (ok) {
                EXPECT_EQ(CheckInvariants(m), "") << file << " mutation " << i << " (" << kindNames[kind] << ")";
            } else {
                ++refused[kind];
                EXPECT_FALSE(error.empty());
            }
        }
    }
    for (int k = 0; k < kKinds; ++k) std::printf("%-26s %3d tried, %3d refused\n", kindNames[k], tried[k], refused[k]);
    EXPECT_EQ(refused[kCut], tried[kCut]) << "a file cut short never loads";
    EXPECT_EQ(refused[kFaceIndex], tried[kFaceIndex]) << "a face index past the vertices is refused, not clamped";
    std::printf("largest single allocation: %zu bytes\n", largest);
}

}  // namespace
