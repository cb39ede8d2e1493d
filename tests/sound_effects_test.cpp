// The game's sound effects through SDL's dummy audio driver and the real pack: every sound of the
// table loads, the sound worker plays one effect at a time (a new one cuts the last, the start
// jingle is left to finish, the same one starts over), the menu music is left alone by effects,
// and requests for sounds that do not exist are harmless.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "app/framework/resource.h"
#include "app/framework/sound.h"
#include "app/msg_thread.h"
#include "menus/sound_effects.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kHandledLimit = 3s;

// Counts messages the sound worker has finished, so a test knows a request has been played.
std::mutex g_handledMutex;
std::condition_variable g_handledCv;
int g_nHandled = 0;

void CountingSoundHandler(const platform::SMessage& msg, void* param) {
    SoundThreadHandler(msg, param);
    {
        std::lock_guard lock(g_handledMutex);
        ++g_nHandled;
    }
    g_handledCv.notify_all();
}

int Handled() {
    std::lock_guard lock(g_handledMutex);
    return g_nHandled;
}

class SoundEffectsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const std::filesystem::path path(KD_RES_PACK_PATH);
        s_pPack = new CResource;
        s_pPack->SetDatFile(path.filename().string());
        s_pPack->AddSearchDir(path.parent_path().string());
        s_bPackOpen = s_pPack->Open();
    }
    static void TearDownTestSuite() {
        ReleaseGameSounds();
        delete s_pPack;
        ShutdownSound();
    }
    void SetUp() override {
        ASSERT_TRUE(s_bPackOpen) << s_pPack->LastError();
        CreateGameSounds(Managers(), *s_pPack);
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
    static CSoundManager (&Managers())[kGameSoundCount] { return s_managers; }
    // Requests the sounds in order and waits until the worker has played them all.
    void RequestAndWait(std::initializer_list<std::pair<int, long>> requests) {
        const int target = Handled() + static_cast<int>(requests.size());
        for (const auto& [nSound, nVolume] : requests) RequestSound(nSound, nVolume);
        std::unique_lock lock(g_handledMutex);
        ASSERT_TRUE(g_handledCv.wait_for(lock, kHandledLimit, [&] { return g_nHandled >= target; }))
            << "the sound worker did not take the requests";
    }
    static bool Playing(int nSound) {
        CSound* p = GetGameSound(nSound);
        return p && p->IsPlaying();
    }
    static long Volume(int nSound) { return GetGameSound(nSound)->GetBuffer(0)->GetVolume(); }

    static CResource* s_pPack;
    static bool s_bPackOpen;
    static CSoundManager s_managers[kGameSoundCount];
    CMsgThread m_worker;
};

CResource* SoundEffectsTest::s_pPack = nullptr;
bool SoundEffectsTest::s_bPackOpen = false;
CSoundManager SoundEffectsTest::s_managers[kGameSoundCount];

TEST_F(SoundEffectsTest, EverySoundOfTheTableLoadsFromThePack) {
    for (int i = 0; i < kGameSoundCount; ++i) {
        EXPECT_NE(GetGameSound(i), nullptr) << "sound " << i << " was not created";
    }
}

TEST_F(SoundEffectsTest, CreatingTheSoundsAgainKeepsOneChannelPerSound) {
    // A window switch creates every sound anew; they must not end up sharing channels.
    for (int round = 0; round < 3; ++round) {
        CreateGameSounds(Managers(), *s_pPack);
        bool used[kGameSoundCount] = {};
        for (int i = 0; i < kGameSoundCount; ++i) {
            CSound* p = GetGameSound(i);
            ASSERT_NE(p, nullptr) << "round " << round << " sound " << i;
            ASSERT_GE(p->Channel(), 0);
            ASSERT_LT(p->Channel(), kGameSoundCount);
            EXPECT_FALSE(used[p->Channel()]) << "round " << round << ": channel " << p->Channel() << " shared";
            used[p->Channel()] = true;
        }
    }
}

TEST_F(SoundEffectsTest, NewEffectCutsThePreviousOneAndTakesItsVolume) {
    // win.wav and lost.wav last over a second, so "stopped" cannot mean "ended by itself".
    RequestAndWait({{SOUND_WIN, -300}});
    EXPECT_TRUE(Playing(SOUND_WIN));
    EXPECT_EQ(Volume(SOUND_WIN), -300);
    RequestAndWait({{SOUND_LOST, -700}});
    EXPECT_FALSE(Playing(SOUND_WIN)) << "the earlier effect goes on under the new one";
    EXPECT_TRUE(Playing(SOUND_LOST));
    EXPECT_EQ(Volume(SOUND_LOST), -700);
}

TEST_F(SoundEffectsTest, StartJingleIsLeftToFinish) {
    RequestAndWait({{SOUND_BEGIN, kFullVolume}});
    ASSERT_TRUE(Playing(SOUND_BEGIN));
    RequestAndWait({{SOUND_CLICK, -100}});
    EXPECT_TRUE(Playing(SOUND_BEGIN)) << "a click cut the start jingle";
    EXPECT_EQ(Volume(SOUND_CLICK), -100) << "the click was not played";
    RequestAndWait({{SOUND_WIN, kFullVolume}});
    EXPECT_TRUE(Playing(SOUND_BEGIN));
    EXPECT_TRUE(Playing(SOUND_WIN));
    // Once something else was played last, the jingle no longer protects what follows it.
    RequestAndWait({{SOUND_LOST, kFullVolume}});
    EXPECT_FALSE(Playing(SOUND_WIN));
}

TEST_F(SoundEffectsTest, SameSoundRequestedAgainStartsOver) {
    // win.wav lasts 1.5 s: asked again after 1 s, it must still sound 0.8 s later.
    RequestAndWait({{SOUND_WIN, -200}});
    std::this_thread::sleep_for(1000ms);
    ASSERT_TRUE(Playing(SOUND_WIN)) << "the sound ended early";
    RequestAndWait({{SOUND_WIN, -400}});
    EXPECT_EQ(Volume(SOUND_WIN), -400);
    std::this_thread::sleep_for(800ms);
    EXPECT_TRUE(Playing(SOUND_WIN)) << "the second request did not start it over";
    const auto deadline = Clock::now() + 5s;
    while (Playing(SOUND_WIN) && Clock::now() < deadline) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(Playing(SOUND_WIN)) << "an effect plays once, it does not loop";
}

TEST_F(SoundEffectsTest, EffectsLeaveTheMenuMusicAlone) {
    PlayMenuMusic();
    ASSERT_TRUE(Playing(SOUND_MENU_MUSIC));
    RequestAndWait({{SOUND_MENU_MOVE, kFullVolume}, {SOUND_CLICK, kFullVolume}, {SOUND_SET, kFullVolume}});
    EXPECT_TRUE(Playing(SOUND_MENU_MUSIC));
    StopMenuMusic();
    EXPECT_FALSE(Playing(SOUND_MENU_MUSIC));
}

TEST_F(SoundEffectsTest, RequestsForSoundsThatDoNotExistAreHarmless) {
    RequestAndWait({{SOUND_WIN, kFullVolume}});
    RequestAndWait({{-1, kFullVolume}, {kGameSoundCount, kFullVolume}, {1000, kFullVolume}});
    EXPECT_TRUE(Playing(SOUND_WIN)) << "a request for no sound cut the playing one";

    // With nothing created (a pack that is not open), every request and the music do nothing.
    ReleaseGameSounds();
    CResource closedPack;
    CreateGameSounds(Managers(), closedPack);
    for (int i = 0; i < kGameSoundCount; ++i) EXPECT_EQ(GetGameSound(i), nullptr) << "sound " << i;
    for (int i = 0; i < kGameSoundCount; ++i) RequestAndWait({{i, kFullVolume}});
    PlayMenuMusic();
    StopMenuMusic();

    // Created again (as after a window switch), the same worker plays them.
    CreateGameSounds(Managers(), *s_pPack);
    RequestAndWait({{SOUND_LOST, -50}});
    EXPECT_TRUE(Playing(SOUND_LOST));
    EXPECT_EQ(Volume(SOUND_LOST), -50);
}

}  // namespace
