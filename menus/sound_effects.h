// The game's 20 sounds: the table of files, their creation from the pack, and how effects are
// played. Effects are requested from the window thread (RequestSound) and played on the sound
// worker (SoundThreadHandler); the menu music is started and stopped on the window thread.
// Create/Release run on the window thread; a lock keeps the sound thread off a sound being released.
#pragma once

#include <array>
#include <cstdint>

#include "platform/window_queue.h"

class CMsgThread;
class CResource;
class CSound;
class CSoundManager;

inline constexpr int kGameSoundCount = 20;
inline constexpr int kSoundFileChars = 260;

struct SSoundRecord {
    int32_t nId;                    // equals the record's index: the sound number used everywhere
    char szFile[kSoundFileChars];   // file in the pack's "sound" folder, zero-terminated
};

enum EGameSound : int {
    SOUND_BONE = 0,  // knocks during playback (0..2 by draught material)
    SOUND_STONE = 1,
    SOUND_WOOD = 2,
    SOUND_CLICK = 3,  // menu buttons and selectors
    SOUND_WIN = 4,
    SOUND_LOST = 5,
    SOUND_TIEUP = 6,
    SOUND_CAMPAIGN_OVER = 7,
    SOUND_TURN = 8,
    SOUND_PAUSE = 9,
    SOUND_MENU_MOVE = 10,
    SOUND_BOX = 11,
    SOUND_ROUND = 12,
    SOUND_MULTI = 13,
    SOUND_FIRST_FRAME = 14,
    SOUND_SHOT = 15,  // a flick is launched
    SOUND_SET = 16,
    SOUND_MENU_MUSIC = 17,  // looping, window thread only; never requested as an effect
    SOUND_BEGIN = 18,       // start jingle: a later effect does not cut it
    SOUND_ERROR = 19,
};

extern const std::array<SSoundRecord, kGameSoundCount> kSoundTable;

// Pack folder of the sounds and how each manager opens the device.
inline constexpr const char* kSoundFolder = "sound";
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
