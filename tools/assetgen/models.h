// The fifteen scene models: boards, draughts, hands and star clusters, with their texture pictures.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/image.h"
#include "tools/assetgen/mesh.h"
#include "tools/assetgen/textures.h"

namespace assetgen {

struct BuiltModel {
  Model model;
  std::vector<std::pair<std::string, Image>> textures;  // file name (beside the model), picture
};

BuiltModel DraughtModel(DraughtMaterial material, bool white);
BuiltModel SquareBoardModel();
BuiltModel RoundBoardModel();
BuiltModel TwelveBoardModel();
BuiltModel HandModel(bool closed);
// which: 1 turning spiral, 2 far constellation, 3 overhead cluster, 4 wide field below.
BuiltModel StarsModel(int which);

// The model written under a game file name (one of assets::kModels); throws for an unknown name.
BuiltModel ModelForFile(const std::string& file);

}  // namespace assetgen
