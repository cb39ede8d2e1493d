// Models: our 3DS files read back in scene axes with the generator's positions, faces and
// materials, tops facing up; damaged copies of ours and lying keyframe tracks never crash nor
// allocate absurdly; the registry keeps handles across reloads; the sphere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "core/asset_names.h"
#include "tests/support/alloc_tracker.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/models.h"
#include "tools/assetgen/tds_writer.h"

namespace {

using assetgen::Bytes;
using assetgen::Vec3;

constexpr size_t kAbsurdAllocation = size_t(64) << 20;  // no model needs a single block this large

CResource& Pack() {
    static CResource pack;
    static const bool open = (pack.SetDatFile(KD_RES_PACK_PATH), pack.Open());
    EXPECT_TRUE(open) << pack.LastError();
    return pack;
}
Bytes ModelBytes(const std::string& file) {
    Bytes data;
    EXPECT_TRUE(Pack().ReadFile("models\\3ds", file, data)) << file;
    return data;
}
Vec3 At(const std::vector<float>& v, size_t i) { return {v[i * 3], v[i * 3 + 1], v[i * 3 + 2]}; }
float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

// Laws every parsed model obeys, whatever file it came from; "" when they hold.
std::string Broken(const SModelData& m) {
    for (const SMesh& mesh : m.meshes) {
        const size_t n = mesh.positions.size() / 3;
        if (mesh.normals.size() != n * 3 || (!mesh.uvs.empty() && mesh.uvs.size() != n * 2)) return "not one per vertex";
        if (mesh.indices.size() % 3 || mesh.nMaterial < -1 || mesh.nMaterial >= int(m.materials.size())) return "faces";
        for (uint32_t i : mesh.indices)
            if (i >= n) return "index past the vertices";
        for (size_t v = 0; v < n; ++v) {
            const Vec3 p = At(mesh.positions, v);
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return "position not finite";
            if (!(std::fabs(Length(At(mesh.normals, v)) - 1) < 1e-3f)) return "normal not of unit length";
        }
    }
    return "";
}

using Key = std::tuple<long, long, long>;
Key KeyOf(Vec3 p) { return {std::lround(p.x * 1e5f / 4), std::lround(p.y * 1e5f / 4), std::lround(p.z * 1e5f / 4)}; }

TEST(Parse3ds, EveryPackModelIsTheGeneratorsInSceneAxesWithItsTopFacingUp) {
    for (const char* file : assets::kModels) {
        const Bytes bytes = ModelBytes(file);
        SModelData m;
        std::string error;
        ASSERT_TRUE(Parse3ds(bytes.data(), bytes.size(), m, error)) << file << ": " << error;
        EXPECT_EQ(Broken(m), "") << file;
        const assetgen::Model expected = assetgen::ModelForFile(file).model;
        size_t faces = 0;
        std::set<Key> want, got;
        for (const auto& o : expected.objects) {
            faces += o.faces.size();
            for (const auto& v : o.verts) want.insert(KeyOf({v.x, v.y, v.z}));
        }
        float top = -1e30f;
        for (const SMesh& mesh : m.meshes)
            for (size_t v = 0; v < mesh.positions.size() / 3; ++v) {
                got.insert(KeyOf(At(mesh.positions, v)));
                top = std::max(top, At(mesh.positions, v).y);
            }
        EXPECT_EQ(m.TriangleCount(), faces) << file;
        EXPECT_TRUE(got == want) << file << ": positions differ from the generator's";
        for (const auto& em : expected.materials)
            EXPECT_EQ(1, std::count_if(m.materials.begin(), m.materials.end(), [&](const SMaterial& gm) {
                return gm.name == em.name && std::fabs(gm.aDiffuse[0] - em.r / 255.0f) + std::fabs(gm.aDiffuse[2] - em.b / 255.0f) < 0.004f &&
                       gm.textureFile == em.texture;
            })) << file << ": material " << em.name;
        if (std::string(file).rfind("hand", 0) == 0 || std::string(file).rfind("stars", 0) == 0) continue;
        // Boards and draughts: the topmost faces wind counter-clockwise seen from above and are shaded flat, facing up.
        int topFaces = 0;
        for (const SMesh& mesh : m.meshes)
            for (size_t t = 0; t < mesh.indices.size(); t += 3) {
                const Vec3 a = At(mesh.positions, mesh.indices[t]), b = At(mesh.positions, mesh.indices[t + 1]),
                           c = At(mesh.positions, mesh.indices[t + 2]);
                if (std::fabs(a.y - top) + std::fabs(b.y - top) + std::fabs(c.y - top) > 1e-5f) continue;
                ++topFaces;
                EXPECT_GT(Cross(b - a, c - a).y, 0.0f) << file << " face " << t / 3;
                for (int k = 0; k < 3; ++k) EXPECT_GT(At(mesh.normals, mesh.indices[t + k]).y, 0.99f) << file;
            }
        EXPECT_GT(topFaces, 0) << file;
    }
}

TEST(LoadModel3ds, TexturesWaitInThePackAndAReloadKeepsTheSlot) {
    const ModelHandle h = LoadModel3ds(Pack(), "models\\3ds", "desk_kr.3ds");
    SRegisteredModel* const slot = FindModel(h);
    ASSERT_TRUE(slot && slot->data);
    int textured = 0;
    for (const auto& mat : slot->data->materials) {
        if (mat.textureFile.empty()) continue;
        ASSERT_NE(mat.texture, nullptr) << mat.textureFile;
        EXPECT_FALSE(mat.texture->HoldsPixels()) << mat.textureFile << ": pixels wait in the pack until drawn";
        EXPECT_TRUE(mat.texture->Pixels() && mat.texture->Pixels()->nWidth == mat.texture->Width()) << mat.textureFile;
        ++textured;
    }
    EXPECT_EQ(textured, 2) << "square_top and square_side";
    slot->nListGeneration = slot->nGeneration;
    EXPECT_EQ(LoadModel3ds(Pack(), "MODELS/3DS", "Desk_KR.3ds"), h) << "another spelling reuses the slot";
    EXPECT_EQ(FindModel(h), slot);
    EXPECT_NE(slot->nListGeneration, slot->nGeneration) << "the renderer sees that its list is stale";
    EXPECT_EQ(LoadModel3ds(Pack(), "models\\3ds", "no_such.3ds"), kNoModel);
    EXPECT_NE(LoadModel3ds(Pack(), "models\\3ds", "hand1.3ds"), h);
}

TEST(ModelRegistry, SphereHasItsRadiusAndOutwardFacesCoveringIt) {
    for (float r : {0.01f, 3.0f}) {
        const ModelHandle h = CreateSphereModel(r);
        ASSERT_NE(h, kNoModel) << r;
        EXPECT_EQ(CreateSphereModel(r), h) << "same radius, same slot";
        const SModelData& m = *FindModel(h)->data;
        EXPECT_EQ(Broken(m), "") << r;
        const SMesh& s = m.meshes.at(0);
        for (size_t v = 0; v < s.positions.size() / 3; ++v)
            EXPECT_LT(Length(At(s.normals, v) - At(s.positions, v) * (1 / r)), 1e-5f) << r << ": off the sphere or not its normal";
        double area = 0;
        for (size_t t = 0; t < s.indices.size(); t += 3) {
            const Vec3 a = At(s.positions, s.indices[t]), b = At(s.positions, s.indices[t + 1]), c = At(s.positions, s.indices[t + 2]);
            const Vec3 n = Cross(b - a, c - a);
            EXPECT_GT(Dot(n, a + b + c), 0.0f) << r << ": a face wound inwards";
            area += Length(n) / 2;
        }
        EXPECT_NEAR(area / (4 * M_PI * r * r), 1.0, 0.02) << r;
    }
    for (float bad : {0.0f, -1.0f, NAN}) EXPECT_EQ(CreateSphereModel(bad), kNoModel) << bad;
}

// Parses, and when it loads, obeys the laws; never a large allocation.
void ParsesSafely(const Bytes& b, const std::string& what, bool mustFail = false) {
    SModelData m;
    std::string error;
    alloc_tracker::Reset();
    const bool ok = Parse3ds(b.data(), b.size(), m, error);
    EXPECT_LT(alloc_tracker::Largest(), kAbsurdAllocation) << what;
    EXPECT_EQ(ok ? Broken(m) : (error.empty() ? "no error" : ""), "") << what;
    EXPECT_FALSE(ok && mustFail) << what;
}

// Offsets of every chunk header in a 3DS file of ours, containers and leaves.
void CollectChunks(const Bytes& b, size_t at, size_t end, std::vector<size_t>& out) {
    static const std::set<uint16_t> containers = {0x4D4D, 0x3D3D, 0xAFFF, 0x4000, 0x4100, 0xA010, 0xA020, 0xA030, 0xA200, 0x4120};
    for (uint32_t len; at + 6 <= end && (len = assetgen::GetU32(&b[at + 2])) >= 6 && at + len <= end; at += len) {
        out.push_back(at);
        const uint16_t id = assetgen::GetU16(&b[at]);
        if (!containers.count(id)) continue;
        size_t inner = at + 6;
        if (id == 0x4000) inner = size_t(std::find(b.begin() + long(inner), b.end(), 0) - b.begin()) + 1;  // past the name
        if (id == 0x4120) inner += 2 + 8u * assetgen::GetU16(&b[at + 6]);
        CollectChunks(b, inner, at + len, out);
    }
}

TEST(Parse3ds, DamagedCopiesOfOurModelsNeverCrash) {
    std::mt19937 rng(20240611u);
    for (const char* file : {"bone_B.3ds", "hand1.3ds", "stars2.3ds", "desk_kr.3ds"}) {
        const Bytes original = ModelBytes(file);
        std::vector<size_t> chunks, faceChunks;
        CollectChunks(original, 0, original.size(), chunks);
        for (size_t c : chunks)
            if (assetgen::GetU16(&original[c]) == 0x4120) faceChunks.push_back(c);
        ASSERT_FALSE(faceChunks.empty()) << file;
        for (int i = 0; i < 80; ++i) {
            Bytes b = original;
            const size_t c = chunks[rng() % chunks.size()], f = faceChunks[rng() % faceChunks.size()];
            const uint32_t lies[] = {0, 1, 5, 7, 0x7FFFFFFFu, 0xFFFFFFFFu, assetgen::GetU32(&b[c + 2]) / 2,
                                     assetgen::GetU32(&b[c + 2]) + 1 + uint32_t(rng() % 1000)};
            if (i % 4 == 0) {  // byte flips
                for (int k = 1 + int(rng() % 16); k > 0; --k) b[rng() % b.size()] ^= uint8_t(1u << (rng() % 8));
            } else if (i % 4 == 1) {  // cut short: never loads
                b.resize(rng() % b.size());
            } else if (i % 4 == 2) {  // a chunk size that lies
                assetgen::PatchU32(b, c + 2, lies[rng() % std::size(lies)]);
            } else {  // a face index past the vertices: refused, not clamped
                const size_t at = f + 8 + (rng() % assetgen::GetU16(&b[f + 6])) * 8 + 2 * (rng() % 3);
                b[at] = b[at + 1] = 0xFF;
            }
            ParsesSafely(b, std::string(file) + " damage " + std::to_string(i), i % 2 == 1);
        }
    }
}

// One triangle named "tri", then a keyframer node for it holding one track.
Bytes ModelWithTrack(uint16_t trackId, uint32_t keyCount, int keysWritten, int floatsPerKey) {
    assetgen::Model model;
    model.materials = {{"grey", 99, 99, 99, ""}};
    model.objects = {{"tri", {{0, 0, 0}, {1, 0, 0}, {0, 0, -1}}, {}, {{0, 1, 2, 0, 1}}}};
    Bytes b = assetgen::Write3ds(model);
    Bytes node = {'t', 'r', 'i', 0, 0, 0, 0, 0, 0xFF, 0xFF};  // two flag words, hierarchy -1
    Bytes track(10, 0);
    auto put32 = [](Bytes& to, uint32_t v) { for (int i = 0; i < 4; ++i) to.push_back(uint8_t(v >> (8 * i))); };
    put32(track, keyCount);
    for (int k = 0; k < keysWritten; ++k) {
        put32(track, uint32_t(k));  // frame
        track.insert(track.end(), {0, 0});  // no spline values
        for (int f = 0; f < floatsPerKey; ++f) put32(track, 0x3F800000u);  // 1.0f
    }
    auto chunk = [&](uint16_t id, const Bytes& body) {
        Bytes c = {uint8_t(id), uint8_t(id >> 8)};
        put32(c, uint32_t(body.size() + 6));
        c.insert(c.end(), body.begin(), body.end());
        return c;
    };
    Bytes kf = chunk(0xB010, node), tr = chunk(trackId, track);
    kf.insert(kf.end(), tr.begin(), tr.end());
    const Bytes keyframer = chunk(0xB000, chunk(0xB002, kf));
    b.insert(b.end(), keyframer.begin(), keyframer.end());
    assetgen::PatchU32(b, 2, uint32_t(b.size()));
    return b;
}

TEST(Parse3ds, KeyframeCountsMustFitTheFile) {
    // Track (scale B022, position B020, rotation B021), key count, keys written, floats a key,
    // accepted: a count read as negative would reserve gigabytes.
    const uint32_t cases[][5] = {{0xB022, 1, 1, 3, 1},          {0xB020, 2, 2, 3, 1},      {0xB021, 1, 1, 4, 1},
                                 {0xB022, 0xB13B, 1, 3, 0},     {0xB022, 0x3B13B13B, 1, 3, 0},
                                 {0xB020, 0xFFFFFFF0u, 1, 3, 0}, {0xB021, 2, 1, 4, 0}};
    for (const auto& c : cases) {
        const Bytes file = ModelWithTrack(uint16_t(c[0]), c[1], int(c[2]), int(c[3]));
        SModelData model;
        std::string error;
        alloc_tracker::Reset();
        EXPECT_EQ(Parse3ds(file.data(), file.size(), model, error), bool(c[4])) << std::hex << c[0] << " " << c[1] << ": " << error;
        EXPECT_LT(alloc_tracker::Largest(), kAbsurdAllocation) << std::hex << c[0] << " " << c[1];
        EXPECT_EQ(error.find("keyframe track") != std::string::npos, !c[4]) << std::hex << c[0] << " " << c[1] << ": " << error;
    }
}

}  // namespace
