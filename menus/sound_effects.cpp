// The sound table and effect playing. The table of created sounds and the number played last sit
// behind one lock, held while a sound is played, created or released, so the sound thread never
// plays a sound the window thread is deleting.
#include "menus/sound_effects.h"

#include <atomic>
#include <mutex>

#include "core/app_messages.h"
#include "core/asset_names.h"
#include "app/framework/resource.h"
#include "app/framework/sound.h"
#include "app/msg_thread.h"
#include "platform/log.h"

namespace {

constexpr int kPlayOnce = 0;
constexpr int kPlayLooping = 1;
constexpr int kPlayPriority = 0;

struct SGameSounds {
    std::mutex mutex;
    std::array<CSound*, kGameSoundCount> sounds{};  // null until created
    int nLastPlayed = 0;                            // the effect the sound thread played last
};

// Never destroyed: the game may leave its sounds alive when the process ends.
SGameSounds& Sounds() {
    static auto* pSounds = new SGameSounds;
    return *pSounds;
}

std::atomic<CMsgThread*> g_pSoundThread{nullptr};

bool IsSoundNumber(int nSound) { return nSound >= 0 && nSound < kGameSoundCount; }

}  // namespace

void CreateGameSounds(CSoundManager (&managers)[kGameSoundCount], CResource& pack, HWND hWnd) {
    // The old sounds go first, so the new ones take back their channels (one per sound).
    ReleaseGameSounds();
    SGameSounds& s = Sounds();
    for (int i = 0; i < kGameSoundCount; ++i) {
        CSound* pNew = nullptr;
        CSoundManager& manager = managers[i];
        if (manager.Initialize(hWnd, kSoundCoopLevelPriority, kSoundOutputChannels, kSoundRate, kSoundBits) == 0)
            manager.CreateFromRes(&pNew, assets::kSounds[static_cast<size_t>(i)], pack, assets::kSoundFolder,
                                  kSoundBufferFlags, nullptr, 1);
        std::lock_guard lock(s.mutex);
        s.sounds[static_cast<size_t>(i)] = pNew;
    }
}

void ReleaseGameSounds() {
    SGameSounds& s = Sounds();
    std::array<CSound*, kGameSoundCount> old{};
    {
        std::lock_guard lock(s.mutex);
        old.swap(s.sounds);
    }
    for (CSound* p : old) delete p;
}

CSound* GetGameSound(int nSound) {
    if (!IsSoundNumber(nSound)) return nullptr;
    SGameSounds& s = Sounds();
    std::lock_guard lock(s.mutex);
    return s.sounds[static_cast<size_t>(nSound)];
}

void SetSoundThread(CMsgThread* pThread) { g_pSoundThread.store(pThread); }

void RequestSound(int nSound, long nVolume) {
    CMsgThread* pThread = g_pSoundThread.load();
    if (!pThread) return;
    pThread->Post(UM_PLAY_SOUND, static_cast<uintptr_t>(static_cast<intptr_t>(nVolume)), nSound);
}

void SoundThreadHandler(const platform::SMessage& msg, void* /*param*/) {
    if (msg.nMsg != UM_PLAY_SOUND) return;
    // Volumes are attenuations (zero or negative), carried through the unsigned wParam.
    PlaySoundNow(static_cast<int>(msg.lParam), static_cast<long>(static_cast<intptr_t>(msg.wParam)));
}

void PlaySoundNow(int nSound, long nVolume) {
    if (!IsSoundNumber(nSound)) {
        platform::Log("Sound %d requested: there are only %d; ignored", nSound, kGameSoundCount);
        return;
    }
    SGameSounds& s = Sounds();
    std::lock_guard lock(s.mutex);
    CSound* pSound = s.sounds[static_cast<size_t>(nSound)];
    if (!pSound) return;
    if (nSound != s.nLastPlayed) {
        CSound* pLast = s.sounds[static_cast<size_t>(s.nLastPlayed)];
        if (pLast && s.nLastPlayed != SOUND_BEGIN) pLast->Stop();
        s.nLastPlayed = nSound;
    }
    pSound->Reset();
    pSound->Stop();
    if (CSoundBuffer* pBuffer = pSound->GetBuffer(0)) pBuffer->SetVolume(nVolume);
    pSound->Play(kPlayPriority, kPlayOnce);
}

void PlayMenuMusic() {
    SGameSounds& s = Sounds();
    std::lock_guard lock(s.mutex);
    if (CSound* pMusic = s.sounds[SOUND_MENU_MUSIC]) pMusic->Play(kPlayPriority, kPlayLooping);
}

void StopMenuMusic() {
    SGameSounds& s = Sounds();
    std::lock_guard lock(s.mutex);
    if (CSound* pMusic = s.sounds[SOUND_MENU_MUSIC]) pMusic->Stop();
}
