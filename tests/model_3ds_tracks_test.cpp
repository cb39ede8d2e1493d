// Keyframe tracks of 3DS files: a key count that cannot fit in the file is refused before the
// model reader reserves room for it (gigabytes for a count read as negative); honest tracks load.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/framework/model_registry.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutFloat(Bytes& b, float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    Put32(b, u);
}
Bytes Chunk(uint16_t id, const Bytes& body) {
    Bytes b;
    Put16(b, id);
    Put32(b, uint32_t(body.size() + 6));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}
Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

// One triangle named "tri", then a keyframer node for it holding the given track.
Bytes ModelWithTrack(uint16_t trackId, uint32_t keyCount, int keysWritten, int floatsPerKey) {
    Bytes vertices, faces;
    Put16(vertices, 3);
    for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) PutFloat(vertices, v);
    Put16(faces, 1);
    for (uint32_t v : {0u, 1u, 2u, 0u}) Put16(faces, v);
    Bytes object{'t', 'r', 'i', 0};
    object = Join({object, Chunk(0x4100, Join({Chunk(0x4110, vertices), Chunk(0x4120, faces)}))});

    Bytes nodeName{'t', 'r', 'i', 0};
    for (uint32_t w : {0u, 0u, 0xFFFFu}) Put16(nodeName, w);  // two flag words, hierarchy -1
    Bytes track(10, 0);
    Put32(track, keyCount);
    for (int k = 0; k < keysWritten; ++k) {
        Put32(track, uint32_t(k));  // frame
        Put16(track, 0);            // no spline values
        for (int f = 0; f < floatsPerKey; ++f) PutFloat(track, 1.0f);
    }
    const Bytes node = Chunk(0xB002, Join({Chunk(0xB010, nodeName), Chunk(trackId, track)}));
    return Chunk(0x4D4D, Join({Chunk(0x3D3D, Chunk(0x4000, object)), Chunk(0xB000, node)}));
}

TEST(Parse3dsTracks, KeyCountsMustFitTheFile) {
    struct SCase {
        const char* what;
        uint16_t track;
        uint32_t count;
        int keysWritten, floatsPerKey;
        bool accepted;
    };
    const SCase cases[] = {
        {"scale, one key", 0xB022, 1, 1, 3, true},
        {"position, two keys", 0xB020, 2, 2, 3, true},
        {"rotation, one key", 0xB021, 1, 1, 4, true},
        {"scale, count negative as 16 bits", 0xB022, 0xB13B, 1, 3, false},
        {"scale, count in both halves", 0xB022, 0x3B13B13B, 1, 3, false},
        {"position, count near 2^32", 0xB020, 0xFFFFFFF0u, 1, 3, false},
        {"rotation, one key more than written", 0xB021, 2, 1, 4, false},
    };
    for (const SCase& c : cases) {
        const Bytes file = ModelWithTrack(c.track, c.count, c.keysWritten, c.floatsPerKey);
        SModelData model;
        std::string error;
        const bool accepted = Parse3ds(file.data(), file.size(), model, error);
        EXPECT_EQ(accepted, c.accepted) << c.what << ": expected " << (c.accepted ? "accepted" : "refused")
                                        << ", got " << (accepted ? "accepted" : "refused: " + error);
        if (accepted) {
            EXPECT_EQ(model.TriangleCount(), 1u) << c.what;
        } else {
            EXPECT_NE(error.find("keyframe track"), std::string::npos) << c.what << ": refused for another reason: "
                                                                       << error;
        }
    }
}

}  // namespace
