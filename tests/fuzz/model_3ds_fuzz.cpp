// Fuzzes the model path with raw 3DS bytes: assimp reads them from memory, then our conversion
// checks and copies them. A refusal gives a reason and no data; an accepted model must be safe to
// hand to the renderer as it is. One thread.
#include <cmath>
#include <cstdint>
#include <string>

#include "app/framework/model_registry.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return kdfuzz::SilenceLog(), 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SModelData model;
    std::string error;
    if (!Parse3ds(data, size, model, error)) {
        KD_FUZZ_REQUIRE(!error.empty() && model.meshes.empty() && model.materials.empty(), "refused as '%s' with %zu meshes",
                        error.c_str(), model.meshes.size());
        return 0;
    }
    KD_FUZZ_REQUIRE(model.TriangleCount() > 0, "an accepted model has no triangles");
    for (const SMaterial& m : model.materials) {
        for (const float* c : {m.aDiffuse, m.aAmbient, m.aSpecular})
            for (int k = 0; k < 4; ++k) KD_FUZZ_REQUIRE(c[k] >= 0.0f && c[k] <= 1.0f, "a colour part %g", c[k]);
        KD_FUZZ_REQUIRE(m.fShininess >= 0.0f && m.fShininess <= 128.0f, "shininess %g", m.fShininess);
    }
    for (const SMesh& mesh : model.meshes) {
        const size_t n = mesh.positions.size() / 3;
        KD_FUZZ_REQUIRE(mesh.positions.size() % 3 == 0 && mesh.normals.size() == mesh.positions.size() &&
                            (mesh.uvs.empty() || mesh.uvs.size() == 2 * n),
                        "%zu position, %zu normal and %zu uv floats", mesh.positions.size(), mesh.normals.size(), mesh.uvs.size());
        KD_FUZZ_REQUIRE(!mesh.indices.empty() && mesh.indices.size() % 3 == 0, "%zu indices", mesh.indices.size());
        KD_FUZZ_REQUIRE(mesh.nMaterial >= 0 && size_t(mesh.nMaterial) < model.materials.size(), "material %d", mesh.nMaterial);
        for (uint32_t i : mesh.indices) KD_FUZZ_REQUIRE(i < n, "index %u of %zu vertices", i, n);
        for (const auto* v : {&mesh.positions, &mesh.normals, &mesh.uvs})
            for (float f : *v) KD_FUZZ_REQUIRE(std::isfinite(f), "a number that is not finite");
        for (size_t v = 0; v < n; ++v) {
            const float* p = &mesh.normals[v * 3];
            KD_FUZZ_REQUIRE(std::fabs(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]) - 1.0f) < 1e-3f,
                            "vertex %zu: a normal that is not of unit length", v);
        }
    }
    return 0;
}
