// Every file name the game loads from res.dat, in one place: the game, the viewer and the generator
// read them here, and the asset test checks them. Pack paths use forward slashes; names keep the game's spelling and case.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_sounds.h"

namespace assets {

inline constexpr const char* kManifest = "manifest.txt";
inline constexpr const char* kModelFolder = "models/3ds";
inline constexpr const char* kSoundFolder = "sound";
inline constexpr const char* kHighlightSuffix = "a";  // "single.tga" -> "singlea.tga"
inline constexpr const char* kImageExtension = ".tga";

// Pack folders of the pictures.
namespace folder {
inline constexpr const char* kTextures = "textures";
inline constexpr const char* kScene = "textures/scene";
inline constexpr const char* kCommon = "textures/common";
inline constexpr const char* kMainMenu = "textures/mmenu";
inline constexpr const char* kTwoPlayers = "textures/mplayer";
inline constexpr const char* kResults = "textures/resmenu";
inline constexpr const char* kHelp = "textures/help";
inline constexpr const char* kGame = "textures/game";
inline constexpr const char* kSetup = "textures/smenu";
inline constexpr const char* kSetupBoards = "textures/smenu/desk";
inline constexpr const char* kSetupDraughts = "textures/smenu/checks";
inline constexpr const char* kSetupBoardTexts = "textures/smenu/descr";
inline constexpr const char* kSetupBoardPictures = "textures/smenu/left";
inline constexpr const char* kSetupDraughtTexts = "textures/smenu/chdescr";
}  // namespace folder

// One file of the pack, by folder and name.
struct PackFile {
  const char* folder;
  const char* file;
  std::string Path() const { return std::string(folder) + "/" + file; }
};
constexpr bool operator==(const PackFile& a, const PackFile& b) {
  return std::string_view(a.folder) == b.folder && std::string_view(a.file) == b.file;
}

// Single images: the scene's, the frame's and those the screens show.
namespace image {
inline constexpr PackFile kFont{folder::kTextures, "font.tga"};
// The window's icon: the desktop icon's picture at kIconImageSize.
inline constexpr PackFile kIcon{folder::kTextures, "icon.tga"};
// The nebula sky the match scene is drawn in front of.
inline constexpr PackFile kSky{folder::kScene, "nebula.tga"};
inline constexpr PackFile kCursor{folder::kTextures, "cursor.tga"};
inline constexpr PackFile kSight{folder::kTextures, "sight.tga"};
inline constexpr PackFile kBackground{folder::kCommon, "BACKGR.tga"};
inline constexpr PackFile kMainForeground{folder::kMainMenu, "main_fg.tga"};
inline constexpr PackFile kLogo{folder::kMainMenu, "kelvdar.tga"};
inline constexpr PackFile kSetupTitle{folder::kSetup, "frgopt.tga"};
inline constexpr PackFile kGameOverBanner{folder::kResults, "gameover.tga"};
inline constexpr PackFile kQuickGameCaption{folder::kResults, "shortt.tga"};
inline constexpr PackFile kCampaignCaption{folder::kResults, "longt.tga"};
inline constexpr PackFile kLargeGlow{folder::kTextures, "backsmsh.tga"};
inline constexpr PackFile kSmallGlow{folder::kTextures, "back_ab.tga"};
inline constexpr PackFile kTwoPlayersRibbon{folder::kTwoPlayers, "hit.tga"};
inline constexpr PackFile kHelpTitle{folder::kHelp, "thelp.tga"};
inline constexpr PackFile kHelpDecoration{folder::kHelp, "helpadd.tga"};
inline constexpr PackFile kAboutTitle{folder::kHelp, "tabout.tga"};
inline constexpr PackFile kAboutDecoration{folder::kHelp, "aboutadd.tga"};
}  // namespace image

inline constexpr int kIconImageSize = 64;  // pixels a side
// The font's metrics, beside its picture.
inline constexpr PackFile kFontMetricsFile{folder::kTextures, "font.txt"};
// Pack paths of the font's two files.
inline const std::string kFontImage = image::kFont.Path();
inline const std::string kFontMetrics = kFontMetricsFile.Path();

// The 3DS models, all in kModelFolder. Boards by board type, draughts by material (bone, wood,
// stone); the board table names each board's model from here.
inline constexpr const char* kBoardModels[] = {"desk_kr.3ds", "desk_iy.3ds", "desk_M.3ds"};
inline constexpr const char* kBlackDraughtModels[] = {"bone_B.3ds", "wood_b.3ds", "rock_B.3ds"};
inline constexpr const char* kWhiteDraughtModels[] = {"bone_W.3ds", "wood_W.3ds", "rock_W.3ds"};
inline constexpr const char* kHandModels[] = {"hand1.3ds", "hand2.3ds"};  // open hand, closed hand
inline constexpr const char* kStarModels[] = {"stars1.3ds", "stars2.3ds", "stars3.3ds", "stars4.3ds"};
// Textures the models name, in kModelFolder beside them: each board's top, by board type, the
// side all boards share, and the draughts' faces by material.
inline constexpr const char* kBoardTextures[] = {"deskkr.tga", "deskiy.tga", "deskm.tga"};
inline constexpr const char* kBoardSideTexture = "deskside.tga";
inline constexpr const char* kBlackDraughtTextures[] = {"boneb.tga", "woodb.tga", "rockb.tga"};
inline constexpr const char* kWhiteDraughtTextures[] = {"bonew.tga", "woodw.tga", "rockw.tga"};
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
constexpr bool operator==(const Button& a, const Button& b) {
  return std::string_view(a.base) == b.base && std::string_view(a.folder) == b.folder;
}
namespace button {
inline constexpr Button kAgain{"again", folder::kResults, "PLAY AGAIN"};
inline constexpr Button kBack{"back", folder::kMainMenu, "BACK"};
inline constexpr Button kContinue{"cont", folder::kResults, "CONTINUE"};
inline constexpr Button kMainMenu{"mainmnu", folder::kCommon, "MAIN MENU"};
inline constexpr Button kLeaveGame{"leavegm", folder::kCommon, "LEAVE GAME"};
inline constexpr Button kBeginner{"beginer", folder::kMainMenu, "BEGINNER"};
inline constexpr Button kExpert{"expert", folder::kMainMenu, "EXPERT"};
inline constexpr Button kPro{"proffi", folder::kMainMenu, "PRO"};
inline constexpr Button kSingle{"single", folder::kMainMenu, "ONE PLAYER"};
inline constexpr Button kMulti{"multi", folder::kMainMenu, "TWO PLAYERS"};
inline constexpr Button kHelp{"help", folder::kMainMenu, "HELP"};
inline constexpr Button kAbout{"about", folder::kMainMenu, "ABOUT"};
inline constexpr Button kSetup{"setup", folder::kMainMenu, "SETUP"};
inline constexpr Button kExit{"exit", folder::kMainMenu, "EXIT"};
inline constexpr Button kArrowUp{"arrup", folder::kHelp, ""};
inline constexpr Button kArrowDown{"arrdown", folder::kHelp, ""};
inline constexpr Button kDefaults{"default", folder::kSetup, "DEFAULTS"};
inline constexpr Button kTurnLeft{"rot_left", folder::kGame, ""};
inline constexpr Button kTurnRight{"rot_right", folder::kGame, ""};
inline constexpr Button kTurnUp{"rot_up", folder::kGame, ""};
inline constexpr Button kTurnDown{"rot_down", folder::kGame, ""};
inline constexpr Button kZoomOut{"minus", folder::kGame, ""};
inline constexpr Button kZoomIn{"plus", folder::kGame, ""};
inline constexpr Button kFocus{"focus", folder::kGame, ""};
inline constexpr Button kNextSet{"nextl", folder::kResults, "NEXT SET"};
inline constexpr Button kResume{"resume", folder::kMainMenu, "CONTINUE THE CAMPAIGN?"};
inline constexpr Button kDiscard{"discard", folder::kMainMenu, "NO, FORGET IT"};
inline constexpr Button kNetwork{"network", folder::kMainMenu, "NETWORK"};
inline constexpr Button kHost{"host", folder::kMainMenu, "HOST"};
inline constexpr Button kJoin{"join", folder::kMainMenu, "JOIN"};
}  // namespace button
inline constexpr std::array<Button, 30> kButtons = {
    button::kAgain,    button::kBack,      button::kContinue, button::kMainMenu, button::kLeaveGame,
    button::kBeginner, button::kExpert,    button::kPro,      button::kSingle,   button::kMulti,
    button::kHelp,     button::kAbout,     button::kSetup,    button::kExit,     button::kArrowUp,
    button::kArrowDown, button::kDefaults, button::kTurnLeft, button::kTurnRight, button::kTurnUp,
    button::kTurnDown, button::kZoomOut,   button::kZoomIn,   button::kFocus,    button::kNextSet,
    button::kResume,   button::kDiscard,   button::kNetwork,  button::kHost,     button::kJoin};

// Setup selector items. Clickable lists also have a highlighted image (<name>a.tga).
struct SelectorItem {
  const char* folder;
  const char* file;
  bool highlighted;
};
constexpr bool operator==(const SelectorItem& a, const SelectorItem& b) {
  return std::string_view(a.folder) == b.folder && std::string_view(a.file) == b.file;
}
namespace selector {
// The board list, the draught list and the pictures and descriptions that follow them.
inline constexpr SelectorItem kSquareBoard{folder::kSetupBoards, "krest.tga", true};
inline constexpr SelectorItem kRoundBoard{folder::kSetupBoards, "shaman.tga", true};
inline constexpr SelectorItem kTwelveBoard{folder::kSetupBoards, "maked.tga", true};
inline constexpr SelectorItem kBoneDraughts{folder::kSetupDraughts, "bone.tga", true};
inline constexpr SelectorItem kWoodDraughts{folder::kSetupDraughts, "wood.tga", true};
inline constexpr SelectorItem kStoneDraughts{folder::kSetupDraughts, "rock.tga", true};
inline constexpr SelectorItem kSquareBoardText{folder::kSetupBoardTexts, "knight.tga", false};
inline constexpr SelectorItem kRoundBoardText{folder::kSetupBoardTexts, "shaman.tga", false};
inline constexpr SelectorItem kTwelveBoardText{folder::kSetupBoardTexts, "maked.tga", false};
inline constexpr SelectorItem kSquareBoardPicture{folder::kSetupBoardPictures, "krest.tga", false};
inline constexpr SelectorItem kRoundBoardPicture{folder::kSetupBoardPictures, "shaman.tga", false};
inline constexpr SelectorItem kTwelveBoardPicture{folder::kSetupBoardPictures, "maked.tga", false};
inline constexpr SelectorItem kBoneText{folder::kSetupDraughtTexts, "bone.tga", false};
inline constexpr SelectorItem kWoodText{folder::kSetupDraughtTexts, "wood.tga", false};
inline constexpr SelectorItem kStoneText{folder::kSetupDraughtTexts, "rock.tga", false};
// The two-valued lists.
inline constexpr SelectorItem kPlayWhite{folder::kSetup, "white.tga", true};
inline constexpr SelectorItem kPlayBlack{folder::kSetup, "black.tga", true};
inline constexpr SelectorItem kByTurn{folder::kSetup, "modern.tga", true};
inline constexpr SelectorItem kToAMiss{folder::kSetup, "classic.tga", true};
inline constexpr SelectorItem kQuickGame{folder::kSetup, "short.tga", true};
inline constexpr SelectorItem kCampaign{folder::kSetup, "long.tga", true};
inline constexpr SelectorItem kWindowed{folder::kSetup, "winmode.tga", true};
inline constexpr SelectorItem kFullScreen{folder::kSetup, "fullscr.tga", true};
inline constexpr SelectorItem kStarsOn{folder::kSetup, "starsOn.tga", true};
inline constexpr SelectorItem kStarsOff{folder::kSetup, "starsOff.tga", true};
}  // namespace selector
inline constexpr std::array<SelectorItem, 25> kSelectorItems = {
    selector::kSquareBoard,        selector::kRoundBoard,        selector::kTwelveBoard,
    selector::kBoneDraughts,       selector::kWoodDraughts,      selector::kStoneDraughts,
    selector::kSquareBoardText,    selector::kRoundBoardText,    selector::kTwelveBoardText,
    selector::kSquareBoardPicture, selector::kRoundBoardPicture, selector::kTwelveBoardPicture,
    selector::kBoneText,           selector::kWoodText,          selector::kStoneText,
    selector::kPlayWhite,          selector::kPlayBlack,         selector::kByTurn,
    selector::kToAMiss,            selector::kQuickGame,         selector::kCampaign,
    selector::kWindowed,           selector::kFullScreen,        selector::kStarsOn,
    selector::kStarsOff};

// Single images shown by the screens (background, banners, decorations, cursor, sight).
inline constexpr std::array<PackFile, 17> kImages = {
    image::kMainForeground,   image::kLogo,          image::kSetupTitle,       image::kCursor,
    image::kSight,            image::kBackground,    image::kGameOverBanner,   image::kLargeGlow,
    image::kSmallGlow,        image::kTwoPlayersRibbon, image::kQuickGameCaption, image::kCampaignCaption,
    image::kHelpTitle,        image::kHelpDecoration, image::kAboutTitle,      image::kAboutDecoration,
    image::kFont};

// A button's picture, plain or highlighted.
inline std::string ButtonFile(const Button& b, bool highlighted) {
  return std::string(b.folder) + "/" + b.base + (highlighted ? kHighlightSuffix : "") + kImageExtension;
}

inline std::string HighlightName(const std::string& file) {
  const auto dot = file.rfind('.');
  if (dot == std::string::npos) return file + kHighlightSuffix;
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
    add(ButtonFile(b, false));
    add(ButtonFile(b, true));
  }
  for (const auto& s : kSelectorItems) {
    add(std::string(s.folder) + "/" + s.file);
    if (s.highlighted) add(std::string(s.folder) + "/" + HighlightName(s.file));
  }
  for (const PackFile& i : kImages) add(i.Path());
  add(kFontMetrics);
  add(image::kIcon.Path());
  add(image::kSky.Path());
  return out;
}

}  // namespace assets
