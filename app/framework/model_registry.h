// Process-wide table of loaded models, addressed by ModelHandle (the slot index + 1).
// A model loaded again under the same name reuses its slot, so handles kept by copied
// positions stay valid across a window switch. Window thread.
#pragma once

#include <memory>
#include <string>

#include "core/gl_object.h"
#include "app/framework/model_data.h"

class CResource;

// Loads a 3DS model (assimp, from memory) from the pack; kNoModel when missing or broken
// (logged). Textures named by its materials are loaded from the same folder.
ModelHandle LoadModel3ds(CResource& pack, const std::string& folder, const std::string& file);
// Parses 3DS bytes into model data in scene axes; false with a reason for a broken file.
bool Parse3ds(const uint8_t* data, size_t size, SModelData& out, std::string& error);
// A UV sphere of the given radius (registered under "sphere:<radius>").
ModelHandle CreateSphereModel(float fRadius);
// Registers model data under its name (replacing a model of the same name in place).
ModelHandle RegisterModel(std::shared_ptr<SModelData> model);
// A model drawn by a GL display list the renderer compiled (the star field); no data.
ModelHandle RegisterDisplayList(const std::string& name, unsigned nList);

struct SRegisteredModel {
    std::shared_ptr<SModelData> data;  // null for a display-list model
    unsigned nDisplayList = 0;         // compiled by the renderer; 0 until then
    unsigned nGeneration = 0;          // bumped when the slot's data changes
    unsigned nListGeneration = 0;      // nGeneration the renderer compiled nDisplayList from
};
// The slot of a handle, or null for kNoModel or an unknown handle.
SRegisteredModel* FindModel(ModelHandle h);
// Forgets the GL objects of every model (after the GL context was destroyed); data stays.
void ForgetModelGlObjects();
