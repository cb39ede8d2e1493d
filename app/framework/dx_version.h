// GetDirectXVersion stand-in: 0x900 when SDL's video subsystem starts with a driver that
// shows something, 0 when it cannot, so the game shows its "install DirectX" message instead
// of failing later or running unseen. The video it starts stays started for the window
// (video_start.h). Main thread.
#pragma once

inline constexpr int kVideoReadyVersion = 0x900;

int GetDirectXVersion();

// Tests: the value GetDirectXVersion reports from now on; a negative value restores the probe.
void SetDirectXVersionForTest(int nVersion);
