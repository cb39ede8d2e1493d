// Sound effects and music on SDL2_mixer: one channel per sound, so each sound can be
// restarted or stopped on its own. With no audio device everything is silent and the
// game goes on. Play/Stop/Reset/volume may come from the sound thread or the window thread:
// SDL_mixer's channel calls lock the audio device, and our own state has its own lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CResource;
class CSound;

// The volume control of a sound (the DirectSound buffer's SetVolume).
class CSoundBuffer {
public:
    explicit CSoundBuffer(CSound& owner) : m_owner(owner) {}
    // Hundredths of a decibel: 0 is full volume, -10000 silence.
    void SetVolume(long nVolume);
    long GetVolume() const;

private:
    CSound& m_owner;
};

class CSound {
public:
    ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // Plays on from where Stop left it, else from the start; flags 1 loops. 0 on success.
    int Play(int nPriority = 0, int nFlags = 0);
    // Stops and keeps the place, as a DirectSound buffer does.
    void Stop();
    // Rewinds to the start: a playing sound starts over, a stopped one starts there next Play.
    void Reset();
    CSoundBuffer* GetBuffer(int nIndex);
    bool IsPlaying() const;
    int Channel() const { return m_nChannel; }

private:
    friend class CSoundManager;
    friend class CSoundBuffer;
    CSound();
    struct SChunk;
    std::unique_ptr<SChunk> m_pChunk;
    int m_nChannel = -1;
    std::atomic<long> m_nVolume = 0;
    CSoundBuffer m_buffer;
};

class CSoundManager {
public:
    // Opens the audio device once per process (20 channels) and shares it with every manager.
    // 0 on success; non-zero with no audio device (then CreateFromRes creates nothing and the
    // game is silent). A failure is logged once and remembered until ShutdownSound.
    int Initialize(void* hWnd, int nLevel, int nChannels, int nRate, int nBits);
    // Loads a WAV from the pack; 0 with *ppSound set on success.
    int CreateFromRes(CSound** ppSound, const std::string& file, CResource& pack, const std::string& folder,
                      unsigned nFlags = 0, const void* pGuid = nullptr, int nBuffers = 1);
    // The same from WAV bytes already in memory; name is only for the log.
    int CreateFromMemory(CSound** ppSound, const std::vector<uint8_t>& wav, const std::string& name);
};

// Converts DirectSound hundredths of a decibel into a mixer volume 0..128.
int MixerVolumeFromHundredthsDb(long nVolume);
// Makes platform::Beep also play a short sine tone while the audio device is open.
void InstallBeepTone();
// Closes the audio device (at exit, after every sound is gone; a later Initialize opens it again).
void ShutdownSound();
