// A position: the 20 draughts of a board plus the knock data of the step it records
// and the layout tables. A plain value, copied whole for look-ahead and records.
#pragma once

#include <cstdint>

#include "core/board_table.h"
#include "physics/check.h"

inline constexpr int kCheckCount = 20;
inline constexpr int kQuietKnockVolume = -1500;  // hundredths of a decibel

class CDesk {
public:
    CDesk() = default;
    CDesk(const CDesk&) = default;
    CDesk& operator=(const CDesk&) = default;

    void GetCheck(int i, CCheck& out) const { out = m_aChecks[i]; }
    void SetCheck(int i, const CCheck& in) { m_aChecks[i] = in; }
    // Draughts on the board by side; other side codes count nowhere.
    void CountOnDesk(int& nWhite, int& nBlack) const;
    void SetKnock(int bKnock) { m_bKnock = bKnock; }
    int GetKnock() const { return m_bKnock; }
    void SetSettings(CGameSettings* pSettings) { m_pSettings = pSettings; }
    CGameSettings* GetSettings() const { return m_pSettings; }

    CCheck m_aChecks[kCheckCount];
    int32_t m_bKnock = 0;                  // a collision happened in the recorded step
    CGameSettings* m_pSettings = nullptr;  // shared settings record
    float m_aLayout[LayoutFloats()] = {};  // every board's start patterns, board by board
    int32_t m_nKnockVolume = 0;            // knock sound volume, 0 loudest
};
