// Every file name the game loads from res.dat, in one place: the game, the viewer and the generator
// read them here, and the asset test checks them. Pack paths use forward slashes; names keep the game's spelling and case.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/game_sounds.h"

namespace assets {

inline constexpr const char* kManifest = "manifest.txt";
inline constexpr const char* kFontImage = "textures/font.tga";
inline constexpr const char* kFontMetrics = "textures/font.txt";
// The window's icon, the desktop icon's picture at one size.
inline constexpr const char* kIconImage = "textures/icon.tga";
inline constexpr int kIconImageSize = 64;
// The nebula sky the match scene is drawn in front of.
inline constexpr const char* kSkyImage = "textures/scene/nebula.tga";
inline constexpr const char* kModelFolder = "models/3ds";
inline constexpr const char* kSoundFolder = "sound";
inline constexpr const char* kHighlightSuffix = "a";  // "single.tga" -> "singlea.tga"

// The 3DS models, all in kModelFolder. Boards by board type, draughts by material (bone, wood,
// stone); the board table names each board's model from here.
inline constexpr const char* kBoardModels[] = {"desk_kr.3ds", "desk_iy.3ds", "desk_M.3ds"};
inline constexpr const char* kBlackDraughtModels[] = {"bone_B.3ds", "wood_b.3ds", "rock_B.3ds"};
inline constexpr const char* kWhiteDraughtModels[] = {"bone_W.3ds", "wood_W.3ds", "rock_W.3ds"};
inline constexpr const char* kHandModels[] = {"hand1.3ds", "hand2.3ds"};  // open hand, closed hand
inline constexpr const char* kStarModels[] = {"stars1.3ds", "stars2.3ds", "stars3.3ds", "stars4.3ds"};
inline constexpr std::array<const char*, 15> kModels = {
    kBoardModels[0],        kBoardModels[1],        kBoardModels[2],
    kBlackDraughtModels[0], kBlackDraughtModels[1], kBlackDraughtModels[2],
    kWhiteDraughtModels[0], kWhiteDraughtModels[1], kWhiteDraughtModels[2],
    kHandModels[0],         kHandModels[1],
    kStarModels[0],         kStarModels[1],         kStarModels[2],         kStarModels[3]};

// Sound files, in kSoundFolder, by sound number; two pairs of numbers share a file.
inline constexpr std::array<const char*, kGameSoundCount> kSounds = [] {
  std::array<const char*, kGameSoundCount> s{};
  s[SOUND_BONE] = "bone.wav";
  s[SOUND_STONE] = "stone.wav";
  s[SOUND_WOOD] = "wood.wav";
  s[SOUND_CLICK] = "click.wav";
  s[SOUND_WIN] = "win.wav";
  s[SOUND_LOST] = "lost.wav";
  s[SOUND_TIEUP] = "tieup.wav";
  s[SOUND_CAMPAIGN_OVER] = "fscreen.wav";
  s[SOUND_TURN] = "turn.wav";
  s[SOUND_PAUSE] = "change.wav";
  s[SOUND_MENU_MOVE] = "change.wav";
  s[SOUND_BOX] = "bbox.wav";
  s[SOUND_ROUND] = "bround.wav";
  s[SOUND_MULTI] = "bmulti.wav";
  s[SOUND_FIRST_FRAME] = "fscreen.wav";
  s[SOUND_SHOT] = "shot.wav";
  s[SOUND_SET] = "set.wav";
  s[SOUND_MENU_MUSIC] = "homus.wav";
  s[SOUND_BEGIN] = "begin.wav";
  s[SOUND_ERROR] = "error.wav";
  return s;
}();

// Image buttons: <folder>/<base>.tga and the highlighted <folder>/<base>a.tga.
struct Button {
  const char* base;
  const char* folder;
  const char* label;  // text drawn on the button; empty for icon buttons
};
inline constexpr std::array<Button, 30> kButtons = {{
    {"again", "textures/resmenu", "PLAY AGAIN"},
    {"back", "textures/mmenu", "BACK"},
    {"cont", "textures/resmenu", "CONTINUE"},
    {"mainmnu", "textures/common", "MAIN MENU"},
    {"leavegm", "textures/common", "LEAVE GAME"},
    {"beginer", "textures/mmenu", "BEGINNER"},
    {"expert", "textures/mmenu", "EXPERT"},
    {"proffi", "textures/mmenu", "PRO"},
    {"single", "textures/mmenu", "ONE PLAYER"},
    {"multi", "textures/mmenu", "TWO PLAYERS"},
    {"help", "textures/mmenu", "HELP"},
    {"about", "textures/mmenu", "ABOUT"},
    {"setup", "textures/mmenu", "SETUP"},
    {"exit", "textures/mmenu", "EXIT"},
    {"arrup", "textures/help", ""},
    {"arrdown", "textures/help", ""},
    {"default", "textures/smenu", "DEFAULTS"},
    {"rot_left", "textures/game", ""},
    {"rot_right", "textures/game", ""},
    {"rot_up", "textures/game", ""},
    {"rot_down", "textures/game", ""},
    {"minus", "textures/game", ""},
    {"plus", "textures/game", ""},
    {"focus", "textures/game", ""},
    {"nextl", "textures/resmenu", "NEXT SET"},
    {"resume", "textures/mmenu", "CONTINUE THE CAMPAIGN?"},
    {"discard", "textures/mmenu", "NO, FORGET IT"},
    {"network", "textures/mmenu", "NETWORK"},
    {"host", "textures/mmenu", "HOST"},
    {"join", "textures/mmenu", "JOIN"},
}};

// Setup selector items. Clickable lists also have a highlighted image (<name>a.tga).
struct SelectorItem {
  const char* folder;
  const char* file;
  bool highlighted;
};
inline constexpr std::array<SelectorItem, 25> kSelectorItems = {{
    {"textures/smenu/desk", "krest.tga", true},    {"textures/smenu/desk", "shaman.tga", true},
    {"textures/smenu/desk", "maked.tga", true},    {"textures/smenu/checks", "bone.tga", true},
    {"textures/smenu/checks", "wood.tga", true},   {"textures/smenu/checks", "rock.tga", true},
    {"textures/smenu/descr", "knight.tga", false}, {"textures/smenu/descr", "shaman.tga", false},
    {"textures/smenu/descr", "maked.tga", false},  {"textures/smenu/left", "krest.tga", false},
    {"textures/smenu/left", "shaman.tga", false},  {"textures/smenu/left", "maked.tga", false},
    {"textures/smenu/chdescr", "bone.tga", false}, {"textures/smenu/chdescr", "wood.tga", false},
    {"textures/smenu/chdescr", "rock.tga", false}, {"textures/smenu", "white.tga", true},
    {"textures/smenu", "black.tga", true},         {"textures/smenu", "modern.tga", true},
    {"textures/smenu", "classic.tga", true},       {"textures/smenu", "short.tga", true},
    {"textures/smenu", "long.tga", true},          {"textures/smenu", "winmode.tga", true},
    {"textures/smenu", "fullscr.tga", true},       {"textures/smenu", "starsOn.tga", true},
    {"textures/smenu", "starsOff.tga", true},
}};

// Single images shown by the screens (background, banners, decorations, cursor, sight).
inline constexpr std::array<const char*, 17> kImages = {
    "textures/mmenu/main_fg.tga",   "textures/mmenu/kelvdar.tga", "textures/smenu/frgopt.tga",
    "textures/cursor.tga",          "textures/sight.tga",       "textures/common/BACKGR.tga",
    "textures/resmenu/gameover.tga", "textures/backsmsh.tga",   "textures/back_ab.tga",
    "textures/mplayer/hit.tga",     "textures/resmenu/shortt.tga", "textures/resmenu/longt.tga",
    "textures/help/thelp.tga",      "textures/help/helpadd.tga", "textures/help/tabout.tga",
    "textures/help/aboutadd.tga",   kFontImage};

inline std::string HighlightName(const std::string& file) {
  const auto dot = file.rfind('.');
  return file.substr(0, dot) + kHighlightSuffix + file.substr(dot);
}

// Every pack path the game opens, without duplicates.
inline std::vector<std::string> GameFiles() {
  std::vector<std::string> out;
  auto add = [&out](const std::string& p) {
    for (const auto& q : out)
      if (q == p) return;
    out.push_back(p);
  };
  for (const char* m : kModels) add(std::string(kModelFolder) + "/" + m);
  for (const char* s : kSounds) add(std::string(kSoundFolder) + "/" + s);
  for (const auto& b : kButtons) {
    add(std::string(b.folder) + "/" + b.base + ".tga");
    add(std::string(b.folder) + "/" + b.base + kHighlightSuffix + ".tga");
  }
  for (const auto& s : kSelectorItems) {
    add(std::string(s.folder) + "/" + s.file);
    if (s.highlighted) add(std::string(s.folder) + "/" + HighlightName(s.file));
  }
  for (const char* i : kImages) add(i);
  add(kFontMetrics);
  add(kIconImage);
  add(kSkyImage);
  return out;
}

}  // namespace assets
