// The game's 3D scene rebuilt for looking at and timing: star models, a star-point field, a
// board with the 20 draughts of the start layout, the hands, one light; drawn in the game's
// order. Window thread, with the GL context of COffscreenGl current.
#pragma once

#include <string>

#include "app/framework/camera.h"
#include "core/gl_object.h"
#include "app/framework/light.h"
#include "core/game_settings.h"
#include "physics/desk.h"

class CResource;

inline constexpr int kBoardKinds = kBoardCount;
inline constexpr int kMaterialKinds = kMaterialCount;
inline constexpr int kStarModels = 4;
inline constexpr int kHandModels = 2;

class CViewerScene {
public:
    // Loads every model and compiles a field of nFieldPoints stars; false with a reason.
    bool Load(CResource& pack, int nFieldPoints, std::string& error);
    // Board and draught material (the settings codes); lays out the start position.
    bool SetBoard(int nBoardType, int nCheckType);
    CDesk& Desk() { return m_desk; }
    CGameSettings& Settings() { return m_settings; }
    CGLObject& Hand(int i) { return m_hands[i]; }
    // Hands are drawn only after they were given a place.
    void ShowHands(bool bShow) { m_bHands = bShow; }

    // One frame: clears, loads the camera, draws the sky (star models turned by fSkyAngle),
    // the field, the board, the draughts and the hands.
    void Draw(const stCamGeom& cam, float fSkyAngle);
    void Release();

private:
    CGameSettings m_settings;
    CDesk m_desk;
    CGLObject m_boards[kBoardKinds];
    CGLObject m_black[kMaterialKinds];
    CGLObject m_white[kMaterialKinds];
    CGLObject m_hands[kHandModels];
    CGLObject m_stars[kStarModels];
    CGLObject m_field;
    CGLight m_light;
    unsigned m_nFieldList = 0;
    bool m_bHands = false;
};

// The game's start view from white's side, raised by fElevationDeg, at fDistance from the centre.
stCamGeom WhiteSideCamera(double fElevationDeg, double fDistance);
