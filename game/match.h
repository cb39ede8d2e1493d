// CMatch: one match of the game. It owns the state of the match in progress (whose move, busy,
// the turn text, the two players' views, the aiming picks and the hand) and its rules: set and
// campaign starts and ends, the turn order of both turn rules, the player's two-click flick,
// the computer's turns, the camera keys and the focus on an own draught. The values the
// settings record keeps for a match (set result, shifts, totals, focus, who moves) stay there.
// It reaches the rest of the program through IMatchHost. Window thread only.
#pragma once

#include "core/camera.h"
#include "game/match_host.h"

class CCheck;
class CDesk;
class CGameSettings;
class CKickPhysics;
class IMatchRecorder;
struct SCampaignSet;

inline constexpr int kTurnTextSize = 64;

// A scene point (x, height, z).
using TScenePoint = float[3];

class CMatch {
public:
    CMatch(IMatchHost& host, CGameSettings& settings, CDesk& desk, CKickPhysics& physics);
    CMatch(const CMatch&) = delete;
    CMatch& operator=(const CMatch&) = delete;

    // ---- A match and its sets (match_rules.cpp). ----
    // A new match: first set, start view, who moves first, fresh campaign totals.
    void StartMatch();
    // A campaign played on from the start of a set it had reached; the settings that shape
    // play are already those of the campaign.
    void ResumeCampaign(const SCampaignSet& set);
    // Where the match reports its record and campaign sets (match_record_hooks.cpp); none by default.
    void SetRecorder(IMatchRecorder* pRecorder) { m_pRecorder = pRecorder; }
    // Every flick thread stops, the playback too; a pending computer start is dropped.
    void StopMatch();
    // The next campaign set after a result screen.
    void NextSet();
    // ESC and its way back: the flick threads and the playback stop where they are.
    void PauseMatch();
    void ContinueMatch();
    void OnFlickFinished();
    void StartComputerTurn();
    // A set's layout and start view; the end of a set or campaign (true when it ended and
    // the result screen is shown); the turn order; who starts the next campaign set.
    void NewSet(int nWhiteShift, int nBlackShift);
    bool CheckSetOver();
    bool CheckCampaignOver();
    void PassTurnByTurn();
    void PassTurnToAMiss();
    void PassTurn();
    void ToAMissStarter();
    void ByTurnStarter();

    // ---- The player's flick (aiming.cpp). nPos is the packed mouse position. ----
    void OnPlayerClick(long nPos);
    void OnAimMove(long nPos);
    void CancelFlick();

    // ---- The camera (camera_control.cpp). ----
    // One step of a held camera key or button.
    void CameraKeyStep(unsigned nKey);
    void OnGameKeyDown(unsigned nKey);
    void OnGameKeyUp() { m_bShiftTurn = false; }
    void LookAtDraught(const CCheck& check);
    void AimCameraAtFocus();
    // TAB: the next own draught on the board, after the last the board centre.
    void SwapFocus();

    // ---- Two players on two machines (match_remote.cpp). ----
    // The side this machine plays (SIDE_WHITE or SIDE_BLACK), 0 when both play here. With a
    // side, only its draughts may be picked on its turn and each view stays where its player
    // leaves it.
    void SetNetSide(int nSide) { m_nNetSide = nSide; }
    int NetSide() const { return m_nNetSide; }
    // The other machine's flick of draught nCheck, its launch already in the position: played
    // as a local flick is.
    void PlayRemoteFlick(int nCheck);

    // ---- State, for drawing and tests. ----
    bool IsBusy() const { return m_bBusy; }
    int Selected() const { return m_nSelected; }
    // A first mark is placed and the finger is awaited.
    bool IsMarkSet() const { return m_bMarkSet; }
    const TScenePoint& FirstMark() const { return m_vFirstMark; }
    const TScenePoint& HandPoint() const { return m_vHand; }
    bool IsHandShown() const { return m_bHandShown; }
    bool IsHandInvalid() const { return m_bHandInvalid; }
    const char* TurnText() const { return m_szTurnText; }
    // One-player mode names the mover when drawn.
    void SetTurnText(const char* szText);
    bool IsResultShown() const { return m_bResultShown; }
    void SetResultShown() { m_bResultShown = true; }
    const stCamGeom& WhiteView() const { return m_camWhite; }
    const stCamGeom& BlackView() const { return m_camBlack; }

private:
    friend class CMatchProbe;  // tests

    bool IsOnePlayer() const;
    void BeginMatch(int nWhiteShift, int nBlackShift);
    // The other side flicks first in the set: played as a missed flick of the MyWhite side.
    void OtherSideStartsSet();
    // The record's and the campaign's share of the match (match_record_hooks.cpp).
    void RecordMatchStart();
    void RecordSetStart(int nWhiteShift, int nBlackShift);
    void RecordFinishedFlick();
    void ReportCampaignSet(int nStarter);
    void ReportNextCampaignSet();
    void ReportCampaignOver();
    void WriteTurnText(const char* szWho);
    void ShowStartView(int nSide);
    void SaveSideCamera();
    void RestoreSideCamera();
    void ClearFirstMark() { m_bMarkSet = false; }
    // The side to move is the other machine's, or it has not yet agreed on the last flick.
    bool IsRemoteTurn() const;
    // The flick of nIndex, written into the position, starts playing.
    void LaunchFlick(int nIndex);
    void TurnToDraught(const CCheck& c);
    void TurnToCentre();
    void ZoomStep(double direction);

    IMatchHost& m_host;
    CGameSettings& m_settings;
    CDesk& m_desk;
    CKickPhysics& m_physics;
    IMatchRecorder* m_pRecorder = nullptr;

    int m_nSelected = -1;            // draught under the first mark, -1 none
    bool m_bBusy = false;            // a flick runs or the computer chooses
    char m_szTurnText[kTurnTextSize] = {};
    stCamGeom m_camWhite{};          // saved views of the two sides (two players)
    stCamGeom m_camBlack{};
    bool m_bResultShown = false;     // the result screen has played its sound
    TScenePoint m_ptPick = {0.0f, 0.0f, 0.0f};  // scene point under the mouse
    bool m_bMarkSet = false;
    TScenePoint m_vFirstMark = {0.0f, 0.0f, 0.0f};
    TScenePoint m_vHand = {0.0f, 0.0f, 0.0f};  // hand point of the last mouse move
    bool m_bHandShown = false;
    bool m_bHandInvalid = false;     // the hand is outside the allowed band
    bool m_bShiftTurn = false;       // after a SHIFT turn, until the next key up
    bool m_bPausedPlayback = false;  // the playback ran when the game was paused
    bool m_bPausedBusy = false;      // a flick or the computer's choice was under way at the pause
    int m_nNetSide = 0;              // the side played here when the other plays elsewhere
};
