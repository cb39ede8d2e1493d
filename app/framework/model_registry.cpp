// The process-wide model table: slots addressed by handle (index + 1), found again by name so a
// reload reuses its slot; also the generated sphere. Window thread.
#include "app/framework/model_registry.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>

#include "platform/log.h"

namespace {

// A deque keeps slot addresses stable while it grows, so FindModel's pointers stay valid.
std::deque<SRegisteredModel> g_slots;
std::map<std::string, size_t> g_slotByName;  // lower-case name -> slot index

constexpr int kSphereSlices = 32;  // around the vertical axis
constexpr int kSphereStacks = 16;  // pole to pole
constexpr float kPi = 3.14159265358979f;

std::string Key(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The slot registered under name, created empty when new.
ModelHandle SlotFor(const std::string& name) {
    auto [it, isNew] = g_slotByName.emplace(Key(name), g_slots.size());
    if (isNew) g_slots.emplace_back();
    return static_cast<ModelHandle>(it->second + 1);
}

}  // namespace

size_t SModelData::VertexCount() const {
    size_t n = 0;
    for (const auto& m : meshes) n += m.positions.size() / 3;
    return n;
}

size_t SModelData::TriangleCount() const {
    size_t n = 0;
    for (const auto& m : meshes) n += m.indices.size() / 3;
    return n;
}

ModelHandle RegisterModel(std::shared_ptr<SModelData> model) {
    if (!model) {
        platform::Log("RegisterModel: no model data given");
        return kNoModel;
    }
    const ModelHandle h = SlotFor(model->name);
    SRegisteredModel& slot = g_slots[static_cast<size_t>(h - 1)];
    slot.data = std::move(model);
    ++slot.nGeneration;
    return h;
}

ModelHandle RegisterDisplayList(const std::string& name, unsigned nList) {
    const ModelHandle h = SlotFor(name);
    SRegisteredModel& slot = g_slots[static_cast<size_t>(h - 1)];
    slot.data.reset();
    slot.nDisplayList = nList;
    ++slot.nGeneration;
    slot.nListGeneration = slot.nGeneration;
    return h;
}

SRegisteredModel* FindModel(ModelHandle h) {
    if (h <= kNoModel || static_cast<size_t>(h) > g_slots.size()) return nullptr;
    return &g_slots[static_cast<size_t>(h - 1)];
}

void ForgetModelGlObjects() {
    for (auto& slot : g_slots) {
        slot.nDisplayList = 0;
        slot.nListGeneration = 0;
    }
}

ModelHandle CreateSphereModel(float fRadius) {
    if (!std::isfinite(fRadius) || fRadius <= 0) {
        platform::Log("CreateSphereModel: radius %g is not a positive size", static_cast<double>(fRadius));
        return kNoModel;
    }
    char name[64];
    std::snprintf(name, sizeof name, "sphere:%g", static_cast<double>(fRadius));
    auto model = std::make_shared<SModelData>();
    model->name = name;
    SMesh mesh;
    // Rows from the north pole down; the seam column is doubled so u runs 0..1 without a jump.
    for (int i = 0; i <= kSphereStacks; ++i) {
        const float theta = kPi * static_cast<float>(i) / kSphereStacks;
        for (int j = 0; j <= kSphereSlices; ++j) {
            const float phi = 2 * kPi * static_cast<float>(j) / kSphereSlices;
            const float n[3] = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            mesh.normals.insert(mesh.normals.end(), {n[0], n[1], n[2]});
            mesh.positions.insert(mesh.positions.end(), {n[0] * fRadius, n[1] * fRadius, n[2] * fRadius});
            mesh.uvs.insert(mesh.uvs.end(), {static_cast<float>(j) / kSphereSlices, 1.0f - static_cast<float>(i) / kSphereStacks});
        }
    }
    auto at = [](int i, int j) { return static_cast<uint32_t>(i * (kSphereSlices + 1) + j); };
    for (int i = 0; i < kSphereStacks; ++i) {
        for (int j = 0; j < kSphereSlices; ++j) {
            // Counter-clockwise seen from outside; the triangles that would collapse at a pole are left out.
            if (i > 0) mesh.indices.insert(mesh.indices.end(), {at(i, j), at(i, j + 1), at(i + 1, j)});
            if (i < kSphereStacks - 1) mesh.indices.insert(mesh.indices.end(), {at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)});
        }
    }
    model->meshes.push_back(std::move(mesh));
    return RegisterModel(model);
}
