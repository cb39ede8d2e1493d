// Models: our 3DS files read back in scene axes with the generator's positions, faces and
// materials, tops facing up; lying keyframe tracks are refused without absurd allocations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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
