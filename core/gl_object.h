// A 3D object of the scene: a shared model handle plus its transform and colour.
// The data half builds without GL so positions of draughts can be copied and
// simulated anywhere; drawing goes through the renderer the framework installs.
// Window thread for drawing; copies may live on any thread.
#pragma once

#include <cstdint>

// A loaded 3DS model, named by its slot in the framework's model registry. The
// handle stays valid across a window switch (the model is reloaded into the same
// slot). 0 means no model: such an object draws nothing.
using ModelHandle = int32_t;
inline constexpr ModelHandle kNoModel = 0;

struct SRotation {
    float fAngle = 0.0f;  // degrees
    float fX = 0.0f, fY = 0.0f, fZ = 0.0f;
};

class CGLObject;

// Draws objects; the SDL/GL framework installs one, the headless backend none.
class IObjectRenderer {
public:
    virtual ~IObjectRenderer() = default;
    virtual void DrawObject(const CGLObject& object) = 0;
};
void SetObjectRenderer(IObjectRenderer* renderer);
IObjectRenderer* GetObjectRenderer();

class CGLObject {
public:
    CGLObject() = default;
    CGLObject(const CGLObject&) = default;
    CGLObject& operator=(const CGLObject&) = default;
    virtual ~CGLObject() = default;

    ModelHandle Get3DS() const { return m_hModel; }
    void Set3DS(ModelHandle hModel) { m_hModel = hModel; }

    void SetPos(float x, float y, float z) { m_aPos[0] = x; m_aPos[1] = y; m_aPos[2] = z; }
    void SetScale(float x, float y, float z) { m_aScale[0] = x; m_aScale[1] = y; m_aScale[2] = z; }
    // First rotation applied by Draw (before moving to the position): the tilt.
    void SetRotAngleX(float fAngle, float x, float y, float z) { m_rotX = {fAngle, x, y, z}; }
    // Rotation applied after moving to the position: the spin about the vertical.
    void SetRotAngleY(float fAngle, float x, float y, float z) { m_rotY = {fAngle, x, y, z}; }
    void SetColor(float r, float g, float b, float a = 1.0f) {
        m_aColor[0] = r; m_aColor[1] = g; m_aColor[2] = b; m_aColor[3] = a;
    }
    void UseNotTexturedColor(bool bUse) { m_bUseColor = bUse; }

    const float* GetPos() const { return m_aPos; }
    const float* GetScale() const { return m_aScale; }
    const SRotation& GetRotX() const { return m_rotX; }
    const SRotation& GetRotY() const { return m_rotY; }
    const float* GetColor() const { return m_aColor; }
    bool IsColorUsed() const { return m_bUseColor; }

    // Draws the model with the transform set; nothing without a model or a renderer.
    virtual void Draw();

protected:
    ModelHandle m_hModel = kNoModel;
    float m_aPos[3] = {0.0f, 0.0f, 0.0f};
    float m_aScale[3] = {1.0f, 1.0f, 1.0f};
    SRotation m_rotX;
    SRotation m_rotY;
    float m_aColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool m_bUseColor = false;
};
