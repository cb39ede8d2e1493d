// One match played by two programs in lockstep: only flicks travel, both sides play each one
// on their own position and compare the position hashes once it rests. Flicks carry the count
// of flicks before them, so none is lost or played twice, and a new one goes out only after both
// sides agreed on the last. Should they ever disagree, the host's position is sent and the
// joiner takes it. The host plays white and chooses the match; the joiner plays black. Whose
// turn it is stays with the match rules of the caller. After a set both players choose how to go
// on; the flick count and the record run on over sets and matches. One thread owns a session.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/match_record.h"
#include "net/net_link.h"

class CDesk;
class CGameSettings;

// The live aim goes out at most this often.
inline constexpr uint32_t kNetAimIntervalMs = 150;

struct SSessionEvent {
    enum class EType { None, Started, RemoteFlick, PositionTaken, Aim, Refused, Ended, Next };
    EType type = EType::None;
    int nCheck = -1;  // RemoteFlick: the draught whose launch is now written into the position
    SNetAim aim;      // Aim
    std::string text; // Refused, Ended: for the player
    ENetNext next = ENetNext::NextSet;  // Next: what both chose; both sides begin it now
};

class CLockstepSession {
public:
    // desk and settings: the match's position and settings, used until the session ends.
    CLockstepSession(CDesk& desk, CGameSettings& settings, std::string program);

    CNetLink& Link() { return m_link; }
    // Network work and at most one event; waits at most nWaitMs. On Started the joiner's
    // settings hold the host's setup and the caller lays out the set.
    SSessionEvent Poll(uint32_t nWaitMs);
    // Both sides rest and agree: a local flick may go out.
    bool CanFlick() const { return m_bStarted && m_ePhase == EPhase::Idle && m_link.IsConnected(); }
    // Sends the flick of draught nCheck whose launch is written into the position and not yet
    // played; false when it may not go out now or the draught is not ours on the board.
    bool SendFlick(int nCheck);
    // The flick in play, local or remote, came to rest.
    void FlickRested();
    // This player's choice at the end of a set, told to the other; Next comes once both chose
    // the same and agree on the last flick. False when there is no game.
    bool ChooseNext(ENetNext what);
    // This player chose and the other has not yet chosen the same.
    bool WaitsForOther() const { return m_bChosen && !(m_bOtherChose && m_otherChoice == m_choice); }
    // False when the last aim went out too recently or there is no game.
    bool SendAim(const SNetAim& aim);

    int LocalSide() const;
    uint32_t Played() const { return m_nPlayed; }
    int Mismatches() const { return m_nMismatches; }
    // Every flick that came to rest, either side's, with the hash both sides agreed on (the
    // host's after a mismatch): the match record of both players.
    const std::vector<SRecordFlick>& Flicks() const { return m_flicks; }

private:
    enum class EPhase { Idle, Flicking, Checking, AwaitPosition };
    SSessionEvent Message(const SNetMessage& message);
    SSessionEvent Fail(const char* what);
    void Compare();
    void Begin(int nSide, int nCheck, const SFlickLaunch& launch);

    CNetLink m_link;
    CDesk& m_desk;
    CGameSettings& m_settings;
    bool m_bStarted = false;
    EPhase m_ePhase = EPhase::Idle;
    uint32_t m_nPlayed = 0;  // flicks begun, the one in play included
    uint64_t m_nLocalHash = 0;
    bool m_bRemoteCheck = false;
    SNetCheck m_remoteCheck;
    int m_nMismatches = 0;
    SRecordFlick m_inPlay;
    std::vector<SRecordFlick> m_flicks;
    bool m_bChosen = false, m_bOtherChose = false;
    ENetNext m_choice = ENetNext::NextSet, m_otherChoice = ENetNext::NextSet;
    uint32_t m_nLastAim = 0;
    bool m_bAimSent = false;
};
