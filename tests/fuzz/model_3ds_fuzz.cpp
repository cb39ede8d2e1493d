// Fuzzes the model path with raw 3DS bytes: assimp reads them from memory, then our conversion
// checks and copies them. A refusal gives a reason and no data; an accepted model must be safe to
// hand to the renderer as it is. One thread.
#include <cmath>
#include <cstdint>
#include <string>

#include "app/framework/model_registry.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr float kUnitTolerance = 1e-3f;
constexpr float kMaxShininess = 128.0f;

bool Finite(const std::vector<float>& v) {
    for (float f : v)
        if (!std::isfinite(f)) return false;
    return true;
}

void CheckMaterial(const SMaterial& m, size_t index) {
    for (const float* c : {m.aDiffuse, m.aAmbient, m.aSpecular})
        for (int k = 0; k < 4; ++k)
            KD_FUZZ_REQUIRE(c[k] >= 0.0f && c[k] <= 1.0f, "material %zu has a colour part %g", index, c[k]);
    KD_FUZZ_REQUIRE(m.fShininess >= 0.0f && m.fShininess <= kMaxShininess, "material %zu shininess %g", index,
                    m.fShininess);
}

void CheckMesh(const SMesh& mesh, size_t index, size_t nMaterials) {
    const size_t n = mesh.positions.size() / 3;
    KD_FUZZ_REQUIRE(mesh.positions.size() % 3 == 0 && mesh.normals.size() == mesh.positions.size(),
                    "mesh %zu: %zu position and %zu normal floats", index, mesh.positions.size(), mesh.normals.size());
    KD_FUZZ_REQUIRE(mesh.uvs.empty() || mesh.uvs.size() == 2 * n, "mesh %zu: %zu uv floats for %zu vertices", index,
                    mesh.uvs.size(), n);
    KD_FUZZ_REQUIRE(!mesh.indices.empty() && mesh.indices.size() % 3 == 0, "mesh %zu: %zu indices", index,
                    mesh.indices.size());
    KD_FUZZ_REQUIRE(mesh.nMaterial >= 0 && size_t(mesh.nMaterial) < nMaterials, "mesh %zu names material %d of %zu",
                    index, mesh.nMaterial, nMaterials);
    for (uint32_t i : mesh.indices) KD_FUZZ_REQUIRE(i < n, "mesh %zu: index %u of %zu vertices", index, i, n);
    KD_FUZZ_REQUIRE(Finite(mesh.positions) && Finite(mesh.normals) && Finite(mesh.uvs),
                    "mesh %zu holds a number that is not finite", index);
    for (size_t v = 0; v < n; ++v) {
        const float* p = &mesh.normals[v * 3];
        const float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        KD_FUZZ_REQUIRE(std::fabs(len - 1.0f) < kUnitTolerance, "mesh %zu vertex %zu: normal length %g", index, v, len);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdfuzz::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SModelData model;
    std::string error;
    if (!Parse3ds(data, size, model, error)) {
        KD_FUZZ_REQUIRE(!error.empty(), "refused without a reason");
        KD_FUZZ_REQUIRE(model.meshes.empty() && model.materials.empty(), "refused but kept %zu meshes",
                        model.meshes.size());
        return 0;
    }
    KD_FUZZ_REQUIRE(model.TriangleCount() > 0, "an accepted model has no triangles");
    for (size_t m = 0; m < model.materials.size(); ++m) CheckMaterial(model.materials[m], m);
    for (size_t m = 0; m < model.meshes.size(); ++m) CheckMesh(model.meshes[m], m, model.materials.size());
    return 0;
}
