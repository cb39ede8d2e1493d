// 3DS models through assimp, from memory: node transforms applied so the data is in scene axes
// (our files are z-up; assimp's reader puts the turn to y-up on the root node), every index and
// size checked before the data is handed on, textures decoded from the pack. Any thread for
// Parse3ds; LoadModel3ds registers the model, so window thread.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <map>

#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "platform/log.h"

namespace {

// Our largest model is a few hundred kilobytes; these bounds only keep broken files harmless.
constexpr size_t kMax3dsBytes = 64u << 20;
constexpr size_t kMaxVertices = 4u << 20;
constexpr size_t kMaxTriangles = 4u << 20;
constexpr unsigned kMaxNodeDepth = 64;
constexpr float kMaxShininess = 128.0f;  // the largest exponent fixed-function GL accepts
constexpr float kDegenerateLength = 1e-12f;

constexpr unsigned kImportFlags = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                  aiProcess_GenSmoothNormals | aiProcess_ValidateDataStructure;

struct SVec {
    float x, y, z;
};

SVec Cross(SVec a, SVec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

bool Normalize(SVec& v) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!std::isfinite(len) || len < kDegenerateLength) return false;
    v = {v.x / len, v.y / len, v.z / len};
    return true;
}

float Clamp01(float v, float fallback) { return std::isfinite(v) ? std::fmin(std::fmax(v, 0.0f), 1.0f) : fallback; }

void ReadColor(const aiMaterial& m, const char* key, unsigned type, unsigned index, float* rgba) {
    aiColor4D c;
    if (m.Get(key, type, index, c) != AI_SUCCESS) return;
    rgba[0] = Clamp01(c.r, rgba[0]);
    rgba[1] = Clamp01(c.g, rgba[1]);
    rgba[2] = Clamp01(c.b, rgba[2]);
}

SMaterial ConvertMaterial(const aiMaterial& m) {
    SMaterial out;
    aiString name;
    if (m.Get(AI_MATKEY_NAME, name) == AI_SUCCESS) out.name = name.C_Str();
    ReadColor(m, AI_MATKEY_COLOR_DIFFUSE, out.aDiffuse);
    ReadColor(m, AI_MATKEY_COLOR_AMBIENT, out.aAmbient);
    ReadColor(m, AI_MATKEY_COLOR_SPECULAR, out.aSpecular);
    float opacity = 1.0f;
    if (m.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS) out.aDiffuse[3] = Clamp01(opacity, 1.0f);
    float shininess = 0.0f;
    if (m.Get(AI_MATKEY_SHININESS, shininess) == AI_SUCCESS && std::isfinite(shininess))
        out.fShininess = std::fmin(std::fmax(shininess, 0.0f), kMaxShininess);
    aiString texture;
    if (m.GetTextureCount(aiTextureType_DIFFUSE) > 0 && m.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS)
        out.textureFile = texture.C_Str();
    return out;
}

// Copies one assimp mesh through the accumulated node transform.
bool ConvertMesh(const aiMesh& in, const aiMatrix4x4& transform, unsigned nMaterials, SMesh& out, size_t& nVertices,
                 size_t& nTriangles, std::string& error) {
    if (in.mMaterialIndex >= nMaterials) {
        error = "a mesh names material " + std::to_string(in.mMaterialIndex) + " of " + std::to_string(nMaterials);
        return false;
    }
    if (!in.mVertices && in.mNumVertices > 0) {
        error = "a mesh has no vertex positions";
        return false;
    }
    nVertices += in.mNumVertices;
    if (nVertices > kMaxVertices) {
        error = "more than " + std::to_string(kMaxVertices) + " vertices";
        return false;
    }
    const aiMatrix3x3 linear(transform);
    // Normals go through the inverse transpose so scaled nodes keep them perpendicular.
    aiMatrix3x3 normalMatrix = linear;
    const float det = linear.Determinant();
    if (std::isfinite(det) && std::fabs(det) > kDegenerateLength) normalMatrix.Inverse().Transpose();
    const bool mirrored = det < 0;  // a mirroring node would turn the faces inside out

    out.nMaterial = static_cast<int>(in.mMaterialIndex);
    out.positions.reserve(size_t(in.mNumVertices) * 3);
    out.normals.reserve(size_t(in.mNumVertices) * 3);
    std::vector<bool> normalOk(in.mNumVertices, false);
    for (unsigned v = 0; v < in.mNumVertices; ++v) {
        const aiVector3D p = transform * in.mVertices[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            error = "a vertex position is not a finite number";
            return false;
        }
        out.positions.insert(out.positions.end(), {p.x, p.y, p.z});
        SVec n{0, 0, 0};
        if (in.mNormals) {
            const aiVector3D t = normalMatrix * in.mNormals[v];
            n = {t.x, t.y, t.z};
            normalOk[v] = Normalize(n);
        }
        out.normals.insert(out.normals.end(), {n.x, n.y, n.z});
    }
    if (in.mTextureCoords[0]) {
        out.uvs.reserve(size_t(in.mNumVertices) * 2);
        for (unsigned v = 0; v < in.mNumVertices; ++v) {
            const aiVector3D& t = in.mTextureCoords[0][v];
            out.uvs.push_back(std::isfinite(t.x) ? t.x : 0.0f);
            out.uvs.push_back(std::isfinite(t.y) ? t.y : 0.0f);
        }
    }
    if (!in.mFaces && in.mNumFaces > 0) {
        error = "a mesh has no face list";
        return false;
    }
    for (unsigned f = 0; f < in.mNumFaces; ++f) {
        const aiFace& face = in.mFaces[f];
        if (face.mNumIndices != 3 || !face.mIndices) continue;  // points and lines are not drawn
        unsigned idx[3] = {face.mIndices[0], face.mIndices[1], face.mIndices[2]};
        for (unsigned k : idx) {
            if (k >= in.mNumVertices) {
                error = "face index " + std::to_string(k) + " is past the vertex count " + std::to_string(in.mNumVertices);
                return false;
            }
        }
        if (mirrored) std::swap(idx[1], idx[2]);
        if (++nTriangles > kMaxTriangles) {
            error = "more than " + std::to_string(kMaxTriangles) + " triangles";
            return false;
        }
        out.indices.insert(out.indices.end(), {idx[0], idx[1], idx[2]});
    }
    // A vertex whose smooth normal vanished (degenerate faces) takes the normal of a face it is in.
    for (size_t t = 0; t < out.indices.size(); t += 3) {
        const float* a = &out.positions[out.indices[t] * 3];
        const float* b = &out.positions[out.indices[t + 1] * 3];
        const float* c = &out.positions[out.indices[t + 2] * 3];
        SVec n = Cross({b[0] - a[0], b[1] - a[1], b[2] - a[2]}, {c[0] - a[0], c[1] - a[1], c[2] - a[2]});
        if (!Normalize(n)) n = {0, 1, 0};
        for (int k = 0; k < 3; ++k) {
            const uint32_t v = out.indices[t + k];
            if (normalOk[v]) continue;
            out.normals[v * 3] = n.x;
            out.normals[v * 3 + 1] = n.y;
            out.normals[v * 3 + 2] = n.z;
            normalOk[v] = true;
        }
    }
    for (uint32_t v = 0; v < in.mNumVertices; ++v) {
        if (!normalOk[v]) out.normals[v * 3 + 1] = 1.0f;  // used by no triangle; any unit vector will do
    }
    return true;
}

bool ConvertNode(const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent, unsigned depth,
                 SModelData& out, size_t& nVertices, size_t& nTriangles, std::string& error) {
    if (depth > kMaxNodeDepth) {
        error = "the node tree is deeper than " + std::to_string(kMaxNodeDepth);
        return false;
    }
    const aiMatrix4x4 transform = parent * node.mTransformation;
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
        const unsigned index = node.mMeshes[k];
        if (index >= scene.mNumMeshes || !scene.mMeshes[index]) {
            error = "a node names mesh " + std::to_string(index) + " of " + std::to_string(scene.mNumMeshes);
            return false;
        }
        SMesh mesh;
        if (!ConvertMesh(*scene.mMeshes[index], transform, scene.mNumMaterials, mesh, nVertices, nTriangles, error))
            return false;
        if (!mesh.indices.empty()) out.meshes.push_back(std::move(mesh));
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c) {
        if (!node.mChildren[c]) continue;
        if (!ConvertNode(scene, *node.mChildren[c], transform, depth + 1, out, nVertices, nTriangles, error))
            return false;
    }
    return true;
}

bool ConvertScene(const aiScene& scene, SModelData& out, std::string& error) {
    for (unsigned m = 0; m < scene.mNumMaterials; ++m)
        out.materials.push_back(scene.mMaterials[m] ? ConvertMaterial(*scene.mMaterials[m]) : SMaterial{});
    size_t nVertices = 0, nTriangles = 0;
    if (!ConvertNode(scene, *scene.mRootNode, aiMatrix4x4(), 0, out, nVertices, nTriangles, error)) return false;
    if (nTriangles == 0) {
        error = "the model has no triangles";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// assimp's 3DS reader quietly clamps a face index past the vertex count to the last vertex, which
// would draw a broken file as torn faces; this walk of the chunk tree refuses such files first.

constexpr uint16_t kChunkMain = 0x4D4D, kChunkEditor = 0x3D3D, kChunkObject = 0x4000, kChunkTriMesh = 0x4100,
                   kChunkVertices = 0x4110, kChunkFaces = 0x4120;
constexpr size_t kChunkHeaderBytes = 6;
constexpr size_t kFaceRecordBytes = 8;  // three indices and a flag word

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Calls visit(id, payload begin, payload end) for each well-formed chunk in [begin, end); a chunk
// whose size does not fit ends the walk (assimp then judges the file).
template <typename Visit>
void ForEachChunk(const uint8_t* begin, const uint8_t* end, Visit visit) {
    const uint8_t* at = begin;
    while (end - at >= static_cast<ptrdiff_t>(kChunkHeaderBytes)) {
        const uint32_t len = U32(at + 2);
        if (len < kChunkHeaderBytes || len > static_cast<size_t>(end - at)) return;
        visit(U16(at), at + kChunkHeaderBytes, at + len);
        at += len;
    }
}

bool CheckTriMesh(const uint8_t* begin, const uint8_t* end, std::string& error) {
    long nVertices = -1;
    uint32_t nLargestIndex = 0;
    bool hasFaces = false;
    ForEachChunk(begin, end, [&](uint16_t id, const uint8_t* p, const uint8_t* e) {
        if (e - p < 2) return;
        if (id == kChunkVertices) nVertices = U16(p);
        if (id != kChunkFaces) return;
        const size_t nFaces = U16(p);
        const size_t available = static_cast<size_t>(e - p - 2) / kFaceRecordBytes;
        for (size_t f = 0; f < std::min(nFaces, available); ++f) {
            const uint8_t* rec = p + 2 + f * kFaceRecordBytes;
            for (int k = 0; k < 3; ++k) nLargestIndex = std::max<uint32_t>(nLargestIndex, U16(rec + 2 * k));
            hasFaces = true;
        }
    });
    if (hasFaces && static_cast<long>(nLargestIndex) >= std::max(nVertices, 0L)) {
        error = "face index " + std::to_string(nLargestIndex) + " is past the vertex count " +
                std::to_string(std::max(nVertices, 0L));
        return false;
    }
    return true;
}

bool Check3dsFaceIndices(const uint8_t* data, size_t size, std::string& error) {
    bool ok = true;
    ForEachChunk(data, data + size, [&](uint16_t id, const uint8_t* p, const uint8_t* e) {
        if (id != kChunkMain) return;
        ForEachChunk(p, e, [&](uint16_t id2, const uint8_t* p2, const uint8_t* e2) {
            if (id2 != kChunkEditor) return;
            ForEachChunk(p2, e2, [&](uint16_t id3, const uint8_t* p3, const uint8_t* e3) {
                if (id3 != kChunkObject) return;
                const uint8_t* name = std::find(p3, e3, uint8_t{0});  // the object's name comes first
                if (name == e3) return;
                ForEachChunk(name + 1, e3, [&](uint16_t id4, const uint8_t* p4, const uint8_t* e4) {
                    if (id4 == kChunkTriMesh && ok) ok = CheckTriMesh(p4, e4, error);
                });
            });
        });
    });
    return ok;
}

// ---------------------------------------------------------------------------------------------
// assimp reserves room for a keyframe track's keys before it reads them, trusting the count (the
// scale track's even sign-extended from 16 bits), so a broken count asks for gigabytes. A count
// must fit in the bytes after it. This walk reaches every chunk assimp can: a size below a header
// is stepped over as a bare header, and a chunk may reach past its parent up to the end of the file.

constexpr uint16_t kChunkKeyframer = 0xB000, kTrackPosition = 0xB020, kTrackRotation = 0xB021,
                   kTrackScale = 0xB022, kTrackRoll = 0xB024;
constexpr size_t kTrackHeaderBytes = 10;  // flags and two unknown words before the key count
constexpr size_t kKeyCountBytes = 4;
constexpr size_t kKeyHeaderBytes = 6;     // frame number and spline flags before each value
constexpr uint32_t kMaxTrackKeys = 0x7FFF;  // below the sign bit of assimp's 16-bit read

template <typename Visit>
void ForEachReachableChunk(const uint8_t* begin, const uint8_t* limit, const uint8_t* fileEnd, Visit visit) {
    const uint8_t* at = begin;
    while (at < limit && static_cast<size_t>(limit - at) >= kChunkHeaderBytes) {
        const uint16_t id = U16(at);
        const uint32_t len = U32(at + 2);
        const uint8_t* body = at + kChunkHeaderBytes;
        if (len <= kChunkHeaderBytes) {
            at = body;
            continue;
        }
        const size_t bodyBytes = len - kChunkHeaderBytes;
        if (bodyBytes > static_cast<size_t>(fileEnd - body)) return;  // assimp gives up on the file here
        visit(id, body, body + bodyBytes);
        at = body + bodyBytes;
    }
}

// The fewest bytes one key of the track takes, or 0 for a chunk that is no track assimp reads.
size_t MinKeyBytes(uint16_t id) {
    switch (id) {
        case kTrackPosition:
        case kTrackScale: return kKeyHeaderBytes + 3 * sizeof(float);
        case kTrackRotation: return kKeyHeaderBytes + 4 * sizeof(float);
        case kTrackRoll: return kKeyHeaderBytes + sizeof(float);
        default: return 0;
    }
}

bool Check3dsTrackCounts(const uint8_t* data, size_t size, std::string& error) {
    const uint8_t* const end = data + size;
    bool ok = true;
    auto checkTrack = [&](uint16_t id, const uint8_t* p, const uint8_t*) {
        const size_t keyBytes = MinKeyBytes(id);
        const size_t after = static_cast<size_t>(end - p);
        if (!ok || keyBytes == 0 || after < kTrackHeaderBytes + kKeyCountBytes) return;
        const uint32_t count = U32(p + kTrackHeaderBytes);
        const size_t room = after - kTrackHeaderBytes - kKeyCountBytes;
        if (count > kMaxTrackKeys || count > room / keyBytes) {
            char id16[8];
            std::snprintf(id16, sizeof id16, "%04X", id);
            error = std::string("keyframe track ") + id16 + " claims " + std::to_string(count) + " keys; " +
                    std::to_string(room) + " bytes hold at most " + std::to_string(room / keyBytes);
            ok = false;
        }
    };
    ForEachReachableChunk(data, end, end, [&](uint16_t, const uint8_t* p, const uint8_t* e) {
        ForEachReachableChunk(p, e, end, [&](uint16_t id, const uint8_t* p2, const uint8_t* e2) {
            if (id != kChunkKeyframer) return;
            ForEachReachableChunk(p2, e2, end, [&](uint16_t, const uint8_t* p3, const uint8_t* e3) {
                ForEachReachableChunk(p3, e3, end, checkTrack);
            });
        });
    });
    return ok;
}

// The file part of a texture name written with either kind of slash.
std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool Parse3ds(const uint8_t* data, size_t size, SModelData& out, std::string& error) {
    out.materials.clear();
    out.meshes.clear();
    if (!data || size == 0 || size > kMax3dsBytes) {
        error = "a 3DS file of " + std::to_string(size) + " bytes is refused";
        return false;
    }
    if (!Check3dsFaceIndices(data, size, error) || !Check3dsTrackCounts(data, size, error)) return false;
    try {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFileFromMemory(data, size, kImportFlags, "3ds");
        if (!scene || !scene->mRootNode) {
            error = std::string("assimp: ") + importer.GetErrorString();
            return false;
        }
        if (ConvertScene(*scene, out, error)) return true;
    } catch (const std::exception& e) {
        error = std::string("assimp failed: ") + e.what();
    }
    out.materials.clear();
    out.meshes.clear();
    return false;
}

ModelHandle LoadModel3ds(CResource& pack, const std::string& folder, const std::string& file) {
    const std::string path = CResource::JoinPath(folder, file);
    std::vector<uint8_t> bytes;
    if (!pack.ReadFile(folder, file, bytes)) {
        platform::Log("model %s is not loaded", path.c_str());
        return kNoModel;
    }
    auto model = std::make_shared<SModelData>();
    model->name = path;
    std::string error;
    if (!Parse3ds(bytes.data(), bytes.size(), *model, error)) {
        platform::Log("model %s is broken: %s", path.c_str(), error.c_str());
        return kNoModel;
    }
    // A missing or broken texture leaves the material untextured: its diffuse colour still fits.
    std::map<std::string, std::shared_ptr<CPackImage>> loaded;
    for (SMaterial& m : model->materials) {
        if (m.textureFile.empty()) continue;
        const std::string name = BaseName(m.textureFile);
        auto it = loaded.find(name);
        if (it == loaded.end()) {
            auto image = std::make_shared<CPackImage>();
            std::string why;
            if (!pack.Exists(folder, name)) {
                image.reset();
            } else if (!image->Load(pack, folder, name, why)) {
                platform::Log("texture %s of model %s is broken: %s", name.c_str(), path.c_str(), why.c_str());
                image.reset();
            } else {
                image->LetGo();
            }
            it = loaded.emplace(name, image).first;
        }
        m.texture = it->second;
    }
    return RegisterModel(model);
}
