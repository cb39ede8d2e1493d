// The game's sound effects on the sound worker, through SDL's dummy audio driver and the real
// pack: one channel per sound, one effect at a time (a new one cuts the last, the start jingle is
// left to finish), the menu music left alone, and requests for sounds that do not exist harmless.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/framework/resource.h"
#include "app/framework/sound.h"
#include "app/msg_thread.h"
#include "menus/sound_effects.h"

namespace {

using namespace std::chrono_literals;

// Counts messages the sound worker has finished, so a test knows a request has been played.
std::mutex g_mutex;
std::condition_variable g_cv;
int g_nHandled = 0;

void CountingSoundHandler(const platform::SMessage& msg, void* param) {
    SoundThreadHandler(msg, param);
    std::lock_guard lock(g_mutex);
    ++g_nHandled;
    g_cv.notify_all();
}

class SoundEffectsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        s_pack.SetDatFile(KD_RES_PACK_PATH);
    }
    static void TearDownTestSuite() {
        ReleaseGameSounds();
        ShutdownSound();
    }
    void SetUp() override {
        ASSERT_TRUE(s_pack.Open()) << s_pack.LastError();
        CreateGameSounds(s_managers, s_pack);
        m_worker.SetHandler(CountingSoundHandler);
        ASSERT_EQ(m_worker.Start(nullptr), 1);
        SetSoundThread(&m_worker);
    }
    void TearDown() override {
        SetSoundThread(nullptr);
        m_worker.Stop();
        for (int i = 0; i < kGameSoundCount; ++i)
            if (CSound* p = GetGameSound(i)) p->Stop();
    }
    // Requests the sounds in order and waits until the worker has played them all.
    void Request(std::initializer_list<std::pair<int, long>> requests) {
        std::unique_lock lock(g_mutex);
        const int target = g_nHandled + int(requests.size());
        for (const auto& [sound, volume] : requests) RequestSound(sound, volume);  // the worker waits for the lock
        ASSERT_TRUE(g_cv.wait_for(lock, 3s, [&] { return g_nHandled >= target; })) << "the worker did not take the requests";
    }
    static bool Playing(int sound) { return GetGameSound(sound) && GetGameSound(sound)->IsPlaying(); }
    static long Volume(int sound) { return GetGameSound(sound)->GetBuffer(0)->GetVolume(); }

    static inline CResource s_pack;
    static inline CSoundManager s_managers[kGameSoundCount];
    CMsgThread m_worker;
};

TEST_F(SoundEffectsTest, NewEffectCutsThePreviousOneButNotTheStartJingle) {
    // win.wav and lost.wav last over a second, so "stopped" cannot mean "ended by itself".
    Request({{SOUND_WIN, -300}, {SOUND_LOST, -700}});
    EXPECT_FALSE(Playing(SOUND_WIN)) << "the earlier effect goes on under the new one";
    EXPECT_TRUE(Playing(SOUND_LOST));
    EXPECT_EQ(Volume(SOUND_LOST), -700);

    Request({{SOUND_BEGIN, kFullVolume}, {SOUND_CLICK, -100}, {SOUND_WIN, kFullVolume}});
    EXPECT_TRUE(Playing(SOUND_BEGIN)) << "an effect cut the start jingle";
    EXPECT_EQ(Volume(SOUND_CLICK), -100) << "the click was not played";
    EXPECT_TRUE(Playing(SOUND_WIN));
    Request({{SOUND_LOST, kFullVolume}});
    EXPECT_FALSE(Playing(SOUND_WIN)) << "once something else came last, the jingle protects nothing";
}

TEST_F(SoundEffectsTest, EffectsLeaveTheMenuMusicAloneAndRequestsForNoSoundAreHarmless) {
    Request({{SOUND_WIN, kFullVolume}, {-1, kFullVolume}, {kGameSoundCount, kFullVolume}, {1000, kFullVolume}});
    EXPECT_TRUE(Playing(SOUND_WIN)) << "a request for no sound cut the playing one";
    PlayMenuMusic();
    Request({{SOUND_MENU_MOVE, kFullVolume}, {SOUND_CLICK, kFullVolume}});
    EXPECT_TRUE(Playing(SOUND_MENU_MUSIC));
    StopMenuMusic();
    EXPECT_FALSE(Playing(SOUND_MENU_MUSIC));

    // With nothing created (a pack that is not open), every request and the music do nothing.
    ReleaseGameSounds();
    CResource closed;
    CreateGameSounds(s_managers, closed);
    for (int i = 0; i < kGameSoundCount; ++i) Request({{i, kFullVolume}});
    EXPECT_EQ(GetGameSound(SOUND_WIN), nullptr);
    PlayMenuMusic();
    StopMenuMusic();
    CreateGameSounds(s_managers, s_pack);  // created again, as after a window switch
    Request({{SOUND_LOST, -50}});
    EXPECT_TRUE(Playing(SOUND_LOST));
}

}  // namespace
