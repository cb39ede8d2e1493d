// The game's sounds: their creation from the pack, and how effects are
// played. Effects are requested from the window thread (RequestSound) and played on the sound
// worker (SoundThreadHandler); the menu music is started and stopped on the window thread.
// Create/Release run on the window thread; a lock keeps the sound thread off a sound being released.
#pragma once

#include <array>
#include <cstdint>

#include "core/game_sounds.h"
#include "platform/window_queue.h"

class CMsgThread;
class CResource;
class CSound;
class CSoundManager;

// How each manager opens the device.
inline constexpr int kSoundCoopLevelPriority = 2;
inline constexpr int kSoundOutputChannels = 2;
inline constexpr int kSoundRate = 22050;
inline constexpr int kSoundBits = 16;
inline constexpr unsigned kSoundBufferFlags = 0xE0;  // frequency, pan and volume control
// Volume in hundredths of a decibel of attenuation: 0 is full.
inline constexpr long kFullVolume = 0;

// Creates every sound whose manager initialises; the rest stay null and are silently skipped
// when requested. A sound still alive from an earlier call (a window switch) is replaced.
void CreateGameSounds(CSoundManager (&managers)[kGameSoundCount], CResource& pack, HWND hWnd = nullptr);
// Deletes every sound; requests for them are ignored from then on.
void ReleaseGameSounds();
// The created sound, or null. Valid until ReleaseGameSounds; for the window thread and tests.
CSound* GetGameSound(int nSound);

// The worker that plays effects; null (the default) drops every request.
void SetSoundThread(CMsgThread* pThread);
// Any thread: posts UM_PLAY_SOUND (wParam volume, lParam sound) to the sound worker.
void RequestSound(int nSound, long nVolume = kFullVolume);
// The handler for m_soundThread: UM_PLAY_SOUND plays lParam at volume wParam (taken as signed).
void SoundThreadHandler(const platform::SMessage& msg, void* param);
// Sound thread: one effect at a time. A new effect stops the previous one (except the start
// jingle, which is left to finish); requesting the playing sound again starts it over.
void PlaySoundNow(int nSound, long nVolume);

// Window thread: the looping menu music (sound 17); nothing when it was not created.
void PlayMenuMusic();
void StopMenuMusic();
