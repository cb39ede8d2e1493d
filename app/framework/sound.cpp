// Sounds on SDL2_mixer: one process-wide audio device shared by every manager, one mixer channel
// per sound, and a spare channel for the beep tone. Thread rule: every entry point takes the
// process-wide lock below; SDL_mixer's channel calls also lock the audio device themselves.
#include "app/framework/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "app/framework/resource.h"
#include "app/framework/wav_format.h"
#include "platform/beep.h"
#include "platform/log.h"

namespace {

// Device format when the caller asks for something unusable; it is also what the game asks for.
constexpr int kDefaultRate = 22050;
constexpr int kDefaultOutputChannels = 2;
constexpr int kDefaultBits = 16;
constexpr int kMinDeviceRate = 8000;
constexpr int kMaxDeviceRate = 48000;
// Frames per mixing period: about 46 ms at 22050 Hz, short enough for knocks to match the picture.
constexpr int kMixPeriodFrames = 1024;
// One channel per game sound, plus one for the beep so a tone never cuts an effect.
constexpr int kSoundChannels = 20;
constexpr int kBeepChannel = kSoundChannels;
constexpr int kMixerChannels = kSoundChannels + 1;
constexpr int kLoopForever = -1;
constexpr int kPlayFlagLooping = 1;
// DirectSound volume range, hundredths of a decibel of attenuation.
constexpr long kSilentHundredthsDb = -10000;
constexpr long kFullHundredthsDb = 0;
constexpr double kHundredthsDbPerDecade = 2000.0;  // 20 dB per factor of ten in amplitude
// A beep longer than this is cut short; the longest the game asks for is well under it.
constexpr int kMaxBeepMs = 2000;
constexpr int kMinBeepHz = 37;
constexpr int kMaxBeepHz = kDefaultRate / 2 - 1;

enum EResult : int {
    kOk = 0,
    kNoDevice = 1,
    kBadArgument = 2,
    kNotInPack = 3,
    kBadWav = 4,
    kMixerError = 5,
};

enum class EDevice { Closed, Open, Failed };

struct SAudioState {
    std::mutex mutex;
    EDevice device = EDevice::Closed;
    // Bumped each time the device opens: a sound loaded on an older device never touches the
    // channels of a newer one.
    unsigned generation = 0;
    std::array<int, kSoundChannels> channelUsers{};  // sounds assigned to each channel
    int nextSharedChannel = 0;
    Mix_Chunk* pBeep = nullptr;
};

// Never destroyed: sounds held in process-wide pointers may be deleted during static teardown.
SAudioState& Audio() {
    static SAudioState* pState = new SAudioState;
    return *pState;
}

Uint16 MixFormatFromBits(int nBits) { return nBits == 8 ? AUDIO_U8 : AUDIO_S16SYS; }

// Channel for a new sound: the lowest free one, or (when 20 sounds are alive) a shared one.
int TakeChannel(SAudioState& a, const std::string& name) {
    for (int ch = 0; ch < kSoundChannels; ++ch) {
        if (a.channelUsers[static_cast<size_t>(ch)] == 0) {
            ++a.channelUsers[static_cast<size_t>(ch)];
            return ch;
        }
    }
    const int ch = a.nextSharedChannel;
    a.nextSharedChannel = (a.nextSharedChannel + 1) % kSoundChannels;
    ++a.channelUsers[static_cast<size_t>(ch)];
    platform::Log("Sound %s: all %d channels are taken; it shares channel %d and may cut that sound",
                  name.c_str(), kSoundChannels, ch);
    return ch;
}

// A chunk from WAV bytes, converted by SDL to the device format; null with a log line on failure.
Mix_Chunk* LoadChunk(const std::vector<uint8_t>& wav, const std::string& name) {
    SDL_RWops* rw = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
    Mix_Chunk* pChunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (!pChunk) {
        platform::Log("Sound %s: the mixer cannot load it (%s)", name.c_str(), Mix_GetError());
        return nullptr;
    }
    // The mixer converts into a buffer sized for the largest step of the conversion (twice the
    // sound, or more) and keeps it; only alen bytes are sound. The chunk is not playing yet.
    if (pChunk->allocated && pChunk->alen > 0)
        if (void* pShrunk = SDL_realloc(pChunk->abuf, pChunk->alen)) pChunk->abuf = static_cast<Uint8*>(pShrunk);
    return pChunk;
}

void PlayBeepTone(int nFreq, int nMs) {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (a.device != EDevice::Open || nMs <= 0) return;
    int rate = kDefaultRate;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    const int freq = std::clamp(nFreq, kMinBeepHz, std::min(kMaxBeepHz, rate / 2 - 1));
    const std::vector<int16_t> tone = MakeToneSamples(freq, std::min(nMs, kMaxBeepMs), rate);
    if (tone.empty()) return;
    // Halting first guarantees the mixer no longer reads the old tone when it is freed.
    Mix_HaltChannel(kBeepChannel);
    Mix_FreeChunk(a.pBeep);
    a.pBeep = LoadChunk(MakeWav(tone, rate), "beep");
    if (!a.pBeep) return;
    Mix_Volume(kBeepChannel, MIX_MAX_VOLUME);
    Mix_PlayChannel(kBeepChannel, a.pBeep, 0);
}

}  // namespace

namespace {

// True while a sound loaded on device generation g may use the mixer; call with the lock held.
bool IsLive(const SAudioState& a, unsigned g) { return a.device == EDevice::Open && g == a.generation; }

}  // namespace

struct CSound::SChunk {
    Mix_Chunk* pChunk = nullptr;
    unsigned generation = 0;  // the device it was loaded on
    int nLoops = 0;           // of the last Play, so a rewind keeps looping

    // True while this chunk is on its channel, playing or paused (channels may be shared);
    // lock held.
    bool IsOn(const SAudioState& a, int nChannel) const {
        return IsLive(a, generation) && Mix_Playing(nChannel) != 0 && Mix_GetChunk(nChannel) == pChunk;
    }
    bool IsPaused(const SAudioState& a, int nChannel) const { return IsOn(a, nChannel) && Mix_Paused(nChannel) != 0; }
};

// ---- volume ----------------------------------------------------------------------------------

int MixerVolumeFromHundredthsDb(long nVolume) {
    if (nVolume >= kFullHundredthsDb) return MIX_MAX_VOLUME;
    if (nVolume <= kSilentHundredthsDb) return 0;
    const double gain = std::pow(10.0, static_cast<double>(nVolume) / kHundredthsDbPerDecade);
    return std::clamp(static_cast<int>(std::lround(MIX_MAX_VOLUME * gain)), 0, MIX_MAX_VOLUME);
}

void CSoundBuffer::SetVolume(long nVolume) {
    const long volume = std::clamp(nVolume, kSilentHundredthsDb, kFullHundredthsDb);
    m_owner.m_nVolume = volume;
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    // A playing sound changes loudness at once, as a DirectSound buffer does.
    if (m_owner.m_pChunk && m_owner.m_pChunk->IsOn(a, m_owner.m_nChannel))
        Mix_Volume(m_owner.m_nChannel, MixerVolumeFromHundredthsDb(volume));
}

long CSoundBuffer::GetVolume() const { return m_owner.m_nVolume; }

// ---- sound -----------------------------------------------------------------------------------

CSound::CSound() : m_buffer(*this) {}

CSound::~CSound() {
    if (!m_pChunk) return;
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (IsLive(a, m_pChunk->generation)) --a.channelUsers[static_cast<size_t>(m_nChannel)];
    // Safe after the device closed too: the mixer then has no channels left to halt.
    Mix_FreeChunk(m_pChunk->pChunk);
}

int CSound::Play(int /*nPriority*/, int nFlags) {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (!m_pChunk || !IsLive(a, m_pChunk->generation)) return kNoDevice;
    const int nLoops = (nFlags & kPlayFlagLooping) ? kLoopForever : 0;
    Mix_Volume(m_nChannel, MixerVolumeFromHundredthsDb(m_nVolume));
    // A stopped buffer plays on from where it stopped; the loop count of a paused channel
    // cannot change, so a different one starts over.
    if (m_pChunk->IsPaused(a, m_nChannel) && nLoops == m_pChunk->nLoops) {
        Mix_Resume(m_nChannel);
        return kOk;
    }
    m_pChunk->nLoops = nLoops;
    if (Mix_PlayChannel(m_nChannel, m_pChunk->pChunk, m_pChunk->nLoops) < 0) {
        platform::Log("Sound on channel %d cannot play: %s", m_nChannel, Mix_GetError());
        return kMixerError;
    }
    return kOk;
}

void CSound::Stop() {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (!m_pChunk || !m_pChunk->IsOn(a, m_nChannel)) return;
    // Paused, not halted: the next Play goes on from here, as a DirectSound buffer does. The
    // mixer marks a pause with the tick count, so one in SDL's first millisecond does not take.
    Mix_Pause(m_nChannel);
    if (Mix_Paused(m_nChannel) == 0) Mix_HaltChannel(m_nChannel);
}

void CSound::Reset() {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (!m_pChunk || !m_pChunk->IsOn(a, m_nChannel)) return;
    // The mixer cannot seek: a stopped sound forgets its place, so the next Play starts at
    // the beginning, and a playing one starts its chunk again.
    if (m_pChunk->IsPaused(a, m_nChannel))
        Mix_HaltChannel(m_nChannel);
    else
        Mix_PlayChannel(m_nChannel, m_pChunk->pChunk, m_pChunk->nLoops);
}

CSoundBuffer* CSound::GetBuffer(int nIndex) { return nIndex == 0 ? &m_buffer : nullptr; }

bool CSound::IsPlaying() const {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    return m_pChunk && m_pChunk->IsOn(a, m_nChannel) && Mix_Paused(m_nChannel) == 0;
}

// ---- manager ---------------------------------------------------------------------------------

int CSoundManager::Initialize(void* /*hWnd*/, int /*nLevel*/, int nChannels, int nRate, int nBits) {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (a.device == EDevice::Open) return kOk;
    if (a.device == EDevice::Failed) return kNoDevice;
    const bool usable = (nChannels == 1 || nChannels == 2) && (nBits == 8 || nBits == 16) && nRate >= kMinDeviceRate &&
                        nRate <= kMaxDeviceRate;
    if (!usable) {
        platform::Log("Sound: %d channels, %d Hz, %d bits cannot be opened; using %d Hz %d-bit stereo", nChannels,
                      nRate, nBits, kDefaultRate, kDefaultBits);
        nChannels = kDefaultOutputChannels;
        nRate = kDefaultRate;
        nBits = kDefaultBits;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        platform::Log("Sound: no audio driver (%s); the game goes on silent", SDL_GetError());
        a.device = EDevice::Failed;
        return kNoDevice;
    }
    if (Mix_OpenAudio(nRate, MixFormatFromBits(nBits), nChannels, kMixPeriodFrames) != 0) {
        platform::Log("Sound: the audio device cannot be opened with driver %s (%s); the game goes on silent",
                      SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "none", Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        a.device = EDevice::Failed;
        return kNoDevice;
    }
    Mix_AllocateChannels(kMixerChannels);
    a.device = EDevice::Open;
    ++a.generation;
    a.channelUsers.fill(0);
    a.nextSharedChannel = 0;
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    platform::Log("Sound: driver %s, %d Hz, %d channels, %d-bit", SDL_GetCurrentAudioDriver(), rate, channels,
                  SDL_AUDIO_BITSIZE(format));
    return kOk;
}

int CSoundManager::CreateFromRes(CSound** ppSound, const std::string& file, CResource& pack,
                                 const std::string& folder, unsigned /*nFlags*/, const void* /*pGuid*/,
                                 int /*nBuffers*/) {
    if (!ppSound) return kBadArgument;
    {
        SAudioState& a = Audio();
        std::lock_guard lock(a.mutex);
        if (a.device != EDevice::Open) return kNoDevice;  // already logged by Initialize
    }
    const std::string name = CResource::JoinPath(folder, file);
    std::vector<uint8_t> wav;
    if (!pack.ReadFile(folder, file, wav)) {
        platform::Log("Sound %s: not readable from the pack; it stays silent", name.c_str());
        return kNotInPack;
    }
    return CreateFromMemory(ppSound, wav, name);
}

int CSoundManager::CreateFromMemory(CSound** ppSound, const std::vector<uint8_t>& wav, const std::string& name) {
    if (!ppSound) return kBadArgument;
    SWavInfo info;
    std::string error;
    if (!ParseWav(wav, info, error)) {
        platform::Log("Sound %s: %s; it stays silent", name.c_str(), error.c_str());
        return kBadWav;
    }
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (a.device != EDevice::Open) return kNoDevice;
    Mix_Chunk* pChunk = LoadChunk(wav, name);
    if (!pChunk) return kMixerError;
    auto* pSound = new CSound;
    pSound->m_pChunk = std::make_unique<CSound::SChunk>();
    pSound->m_pChunk->pChunk = pChunk;
    pSound->m_pChunk->generation = a.generation;
    pSound->m_nChannel = TakeChannel(a, name);
    *ppSound = pSound;
    return kOk;
}

// ---- process -----------------------------------------------------------------------------------

void InstallBeepTone() { platform::SetBeepHandler(PlayBeepTone); }

void ShutdownSound() {
    SAudioState& a = Audio();
    std::lock_guard lock(a.mutex);
    if (a.device == EDevice::Open) {
        Mix_HaltChannel(-1);
        Mix_FreeChunk(a.pBeep);
        a.pBeep = nullptr;
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // Sounds still alive become silent; their chunks are freed when they are deleted.
    a.device = EDevice::Closed;
    a.channelUsers.fill(0);
}
