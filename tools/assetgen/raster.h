// A small software renderer for the generated models: menu pictures of boards and draughts, and
// previews to check the models by eye before the game's own renderer exists.
#pragma once

#include <vector>

#include "tools/assetgen/image.h"
#include "tools/assetgen/models.h"

namespace assetgen {

struct View {
  Vec3 eye{0, 2, 2};
  Vec3 target{0, 0, 0};
  float fovYDegrees = 40;
};

struct Placement {
  Vec3 position{0, 0, 0};
  float turnYDegrees = 0;  // about the vertical axis, as the game turns models
  float scale = 1;
};

// Per-corner normals the way 3DS readers make them: faces that share a position and a smoothing
// bit are averaged. Result: three normals per face, in face order.
std::vector<Vec3> SmoothedNormals(const MeshObject& object);

class Renderer {
 public:
  // Renders at `supersample` times the size and averages down in Result().
  Renderer(int width, int height, int supersample, const View& view);
  void Draw(const BuiltModel& model, const Placement& where);
  // Draws with lighting off: the material colour as is (the game draws the stars this way).
  void DrawUnlit(const BuiltModel& model, const Placement& where);
  Image Result() const;

 private:
  void DrawImpl(const BuiltModel& model, const Placement& where, bool lit);
  int w_, h_, ss_;
  View view_;
  Image colour_;
  std::vector<float> depth_;
};

}  // namespace assetgen
