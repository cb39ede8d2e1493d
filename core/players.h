// The values of the settings record's m_nPlayers: against the computer, or two players at one
// machine. Constants only; any thread.
#pragma once

inline constexpr int kOnePlayer = 1;
inline constexpr int kTwoPlayers = 3;
