// The physics object: the flick simulation, the motion record queue with its real-time
// playback, the simulation thread of a real flick and the computer-turn thread.
//
// Threads: the window thread calls every operation except the thread procedures; the
// simulation thread runs KickThreadProc (a private copy of the position; each record goes
// to the window as a message that owns it, then the motion event); the computer-turn thread
// runs CompTurnThreadProc (copies only, one write of the flicked draught at its end). The
// simulation and the look-ahead share the settings' mover table and knocked-off counts
// and never run at the same time. Both workers stop and pause cooperatively: after
// TerminateThreads returns, nothing of the old flick posts a record or a message.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "physics/board_edges.h"
#include "physics/desk.h"
#include "physics/flick_launch_values.h"
#include "physics/flick_simulation.h"
#include "platform/event.h"
#include "platform/pause_gate.h"
#include "platform/window_queue.h"

class CGameSettings;

// A flick is being simulated or played back.
extern std::atomic<int> g_bKickRunning;
// The playback of this flick has taken its start time.
extern std::atomic<int> g_bPlaybackStarted;
// Index of the record the playback cursor points at.
extern std::atomic<int> g_nPlaybackFrame;

// Where the finger may go, in squared draught radii from the centre: on or next to the
// draught is refused, and beyond the outer edge the flick would be too strong.
inline constexpr float kAimBandInner2 = 2.0f;
inline constexpr float kAimBandOuter2 = 16.0f;

// One tried flick of the computer: own draught against one opponent draught.
struct KickCandidate {
    int32_t nCheck;      // own draught flicked
    int32_t nLostWhite;  // white draughts off the board in the kept try
    int32_t nLostBlack;  // black draughts off the board in the kept try
    int32_t bValid;      // 1 when the search filled the entry
    float fVx, fVy;      // launch velocity of the kept try
    float fDirX, fDirY;  // its unit direction
    float fSpin;         // launch spin, always 0
};
inline constexpr int kCandidateRows = 10;
inline constexpr int kCandidateCols = 10;
using KickCandidateTable = KickCandidate[kCandidateRows][kCandidateCols];

// The ids of the window messages of a flick, given by the window.
struct SFlickMessages {
    uint32_t nQueueMotion = 0;    // posted for each record, which it carries (a CDesk)
    uint32_t nStartPlayback = 0;  // posted when the simulation has ended
    uint32_t nFinished = 0;       // sent when the playback has ended
};

class CKickPhysics {
public:
    CKickPhysics();
    virtual ~CKickPhysics();
    CKickPhysics(const CKickPhysics&) = delete;
    CKickPhysics& operator=(const CKickPhysics&) = delete;

    // --- set up once by the game window ---
    void SetMessages(const SFlickMessages& ids) { m_messages = ids; }
    void SetSettings(CGameSettings* pSettings) { m_pSettings = pSettings; }
    void SetDesk(CDesk* pDesk) { m_pDesk = pDesk; }
    // Where records and the playback message are posted (the window's queue).
    void SetWindow(HWND hWnd) { m_hWnd = hWnd; }
    // SendMessageA to the window (a direct dispatch on the window thread).
    void SetSendMessage(std::function<void(uint32_t, uintptr_t, intptr_t)> send) {
        m_sendMessage = std::move(send);
    }
    // RequestSound(sound, volume): knock and shot sounds of the playback.
    void SetSoundRequest(std::function<void(int nSound, int nVolume)> request) {
        m_requestSound = std::move(request);
    }

    // --- the simulation ---
    // Simulates the flick of checkIndex from a copy of desk; the final position goes to
    // result when given. animate: spin decay, falls and knock data; record: every step is
    // handed to the window as a motion record.
    void SimulateKick(int checkIndex, CDesk desk, CDesk* result, int animate, int record);
    // The same on the caller's working copy, abandoned when stop is requested.
    EFlickEnd SimulateKickStoppable(int checkIndex, CDesk& desk, CDesk* result, int animate,
                                    int record, std::stop_token stop);

    // --- motion queue and playback (window thread) ---
    void QueueMotion(std::unique_ptr<CDesk> pRecord);
    // Handler of the record message: queue the record, then release the waiting simulation.
    void OnQueueMotion(std::unique_ptr<CDesk> pRecord);
    void ClearMotions();
    void StartPlayback();
    void StopPlayback();
    bool IsPlaying() const { return m_bPlaying.load(); }
    void PlayMotion();
    size_t MotionCount() const;

    // --- threads ---
    int StartKickThread(int checkIndex);
    // The draught of the last flick started.
    int KickCheck() const { return m_nKickCheck; }
    static unsigned KickThreadProc(CKickPhysics* pPhysics, std::stop_token stop);
    void SuspendThreads();
    void ResumeThreads();
    void TerminateThreads();
    void TerminateKickThread();
    bool HasKickThread() const { return m_kickThread.joinable(); }
    bool HasCompThread() const { return m_compThread.joinable(); }
    // The draught and launch of the flick started last, as written into the live position,
    // once: false when no flick was started since the last take or the last Terminate.
    // Window thread, after the flick's end arrived.
    bool TakeStartedFlick(int& nCheck, SFlickLaunch& launch);

    // --- the player's aim (window thread) ---
    // The first draught (lowest index) not of nExcludedSide, still on the board, whose disc
    // (rim included) holds the board point (x, y). False when there is none.
    bool PickOwnDraught(float x, float y, int nExcludedSide, const CDesk& desk, int& nIndex);
    // Squared board distance of point p = (x, height, y) from the draught's slide start.
    float MarkDistance2(const float p[3], const CCheck& c);
    // Writes the launch of draught i from the finger at board point p = (x, y, y) towards
    // its centre into c and starts the settings' mover table with it. False, and nothing
    // written, when p lies outside the allowed band or the board shape is unknown. p.x is
    // nudged when it equals firstMark.x, so the line is never parallel to the y axis.
    bool MakeFlick(int i, const float firstMark[3], float p[3], CCheck& c);

    // --- the computer opponent ---
    int StartCompTurn(int side);
    static unsigned CompTurnThreadProc(CKickPhysics* pPhysics, std::stop_token stop);
    // Called directly (tests, tools) it cannot be paused or stopped; the computer-turn
    // thread uses the stoppable form, which passes the pause gate before every trial.
    int CalcKickAI(int side, CDesk* desk);
    int CalcKickAI(int side, CDesk* desk, std::stop_token stop);
    int CalcKickCandidates(int i, int side, KickCandidateTable& table, int r, CDesk P);
    // Threads the computer's search runs on, 1 or 2 (the result is the same); set it only
    // while no computer turn runs.
    void SetSearchThreads(int nThreads) { m_nSearchThreads = nThreads; }
    // Called before every trial simulation of the search, on the searching threads (tests).
    void SetTrialHook(std::function<void()> hook) { m_trialHook = std::move(hook); }

    // Held by the computer-turn thread while it writes its flick into the live position,
    // and by the window thread while it draws the live draughts, so the two never meet.
    std::mutex& LiveDeskLock() { return m_liveDeskLock; }

    const SPhysicsConstants& Constants() const { return m_k; }
    CGameSettings* GetSettings() const { return m_pSettings; }
    CDesk* GetDesk() const { return m_pDesk; }

private:
    class CRecordHandOver;
    void FinishPlayback();
    // Purges records and the playback message of an abandoned flick from the window queue.
    void PurgeWindowQueue();

    mutable std::mutex m_queueLock;          // guards the motion queue and its cursor
    std::mutex m_liveDeskLock;               // the computer's one write against the drawing
    std::atomic<bool> m_bPlaying{false};     // playback runs
    SFlickMessages m_messages;               // the ids of the flick's window messages
    CGameSettings* m_pSettings = nullptr;    // shared settings record
    CDesk* m_pDesk = nullptr;                // the window's live position
    int m_nCompSide = 0;                     // side of the current computer turn
    int m_nKickCheck = 0;                    // draught of the simulated flick
    SPhysicsConstants m_k;                   // g 9.8, fall factor 0.008
    uint32_t m_nStartTime = 0;               // ms at which the shown record began
    uint32_t m_nNow = 0;                     // ms of the current PlayMotion call
    std::list<CDesk*> m_motions;             // recorded steps in order; owned
    std::list<CDesk*>::iterator m_cursor;    // the record to show next
    HWND m_hWnd = nullptr;
    std::function<void(uint32_t, uintptr_t, intptr_t)> m_sendMessage;
    std::function<void(int, int)> m_requestSound;
    platform::CEvent m_motionEvent;          // auto-reset: a record has been queued
    platform::CPauseGate m_pauseGate;        // closed while the game is paused
    std::jthread m_kickThread;               // the simulation of a real flick
    int m_nSearchThreads = 2;                // threads of the computer's search
    std::function<void()> m_trialHook;       // observer of the search's trials (tests)
    std::jthread m_compThread;               // the computer's choice
    // The last started flick; set by the thread that starts it, taken after its end message.
    std::atomic<bool> m_bFlickStarted{false};
    int m_nStartedCheck = 0;
    SFlickLaunch m_startedLaunch;
};
