// A loaded model as plain data, in scene axes (y up): meshes of triangles with normals,
// texture coordinates and a material. The GL renderer turns it into display lists.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/framework/pack_image.h"

struct SMaterial {
    std::string name;
    float aDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float aAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float aSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float fShininess = 0.0f;
    std::string textureFile;          // as named in the model, empty when untextured
    // Loaded from the pack beside the model, or null; its pixels go once the GL texture holds them.
    std::shared_ptr<CPackImage> texture;
};

struct SMesh {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // x, y, z per vertex
    std::vector<float> uvs;        // u, v per vertex; empty when the mesh has none
    std::vector<uint32_t> indices; // three per triangle
    int nMaterial = -1;            // index into SModelData::materials
};

struct SModelData {
    std::string name;  // pack path it came from, or a generated name ("sphere:0.01")
    std::vector<SMaterial> materials;
    std::vector<SMesh> meshes;
    size_t VertexCount() const;
    size_t TriangleCount() const;
};
