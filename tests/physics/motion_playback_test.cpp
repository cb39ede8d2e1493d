// Playback of the motion records in real time, driven by an injected clock: which record
// each frame shows, the skip rule for slow frames, the sounds, and the one finish message.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace {

constexpr uint32_t kClockStart = 0xFFFFFFA0u;  // the clock wraps during each test
constexpr float kNothingShown = -1.0f;  // the live position's tag before any record lands
constexpr float kOverwritten = -7.0f;   // put on the live position to see whether a frame copies
constexpr int kShotSound = 15;

// A record tells itself apart by the x of draught 0.
std::unique_ptr<CDesk> Record(int nTag, int bKnock = 0, int nVolume = 0) {
    auto p = std::make_unique<CDesk>();
    p->m_aChecks[0].m_fX = float(nTag);
    p->m_bKnock = bKnock, p->m_nKnockVolume = nVolume;
    return p;
}

class MotionPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetTimeSource([this] { return m_nClock; });
        platform::SetBeepHandler([this](int nFreq, int nMs) { m_beeps.emplace_back(nFreq, nMs); });
        platform::SetLogSink([](const std::string&) {});
        m_live.m_aChecks[0].m_fX = kNothingShown;
        m_physics.SetSettings(&m_settings);
        m_physics.SetDesk(&m_live);
        m_physics.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_physics.SetSendMessage([this](uint32_t nMsg, uintptr_t w, intptr_t l) { m_nFinishes += nMsg == UM_FLICK_FINISHED && w == 0 && l == 0; });
        m_physics.SetSoundRequest([this](int nSound, int nVolume) { m_sounds.emplace_back(nSound, nVolume); });
        g_bKickRunning = 1;  // as StartKickThread leaves it
        g_bPlaybackStarted = g_nPlaybackFrame = 0;
    }
    void TearDown() override {
        platform::SetTimeSource({}), platform::SetBeepHandler({}), platform::SetLogSink({});
    }
    void Queue(int nFirst, int nCount) {
        for (int i = nFirst; i < nFirst + nCount; ++i) m_physics.OnQueueMotion(Record(i));
        m_physics.StartPlayback();
    }
    // One frame at the given clock; returns the tag on the live position afterwards, which it
    // sets to kOverwritten for the next frame.
    float FrameAt(uint32_t nMs) {
        m_nClock = nMs, m_physics.PlayMotion();
        return std::exchange(m_live.m_aChecks[0].m_fX, kOverwritten);
    }

    uint32_t m_nClock = kClockStart;
    CGameSettings m_settings;
    CDesk m_live;
    CKickPhysics m_physics;
    int m_nFinishes = 0;
    std::vector<std::pair<int, int>> m_sounds, m_beeps;
};

// A frame time of 0 gives the default pace of 10 ms.
TEST_F(MotionPlaybackTest, EachFrameShowsTheRecordDueByWallClockAndTheLastOneEndsIt) {
    m_settings.m_nFrameMs = 0;
    Queue(0, 10);
    const struct {
        int nAfterMs;  // after the previous frame
        float fShown;  // kOverwritten: it copied nothing
        int nFinishes;
    } frames[] = {
        {0, kNothingShown, 0},  // the first frame takes the start time and shows nothing
        {10, 0, 0}, {5, kOverwritten, 0}, {4, kOverwritten, 0}, {1, 1, 0}, {10, 2, 0},
        {35, 5, 0},  // records 3 and 4 skipped, the third one shown
        {10, 5, 0},  // 10 ms later the record skipped to is shown once more
        {10, 6, 0},
        {27, 8, 0},  // one skipped, the remainder dropped
        {3, kOverwritten, 0}, {10, 8, 0}, {10, 9, 0},
        {1, 9, 1},  // the next frame, however soon, finishes on the last record
        {10, kOverwritten, 1}, {100, kOverwritten, 1},
    };
    uint32_t nNow = kClockStart;
    for (size_t i = 0; i < std::size(frames); ++i) {
        nNow += uint32_t(frames[i].nAfterMs);
        EXPECT_EQ(FrameAt(nNow), frames[i].fShown) << "frame " << i;
        EXPECT_EQ(m_nFinishes, frames[i].nFinishes) << "frame " << i;
    }
    EXPECT_TRUE(m_physics.MotionCount() == 0u && !m_physics.IsPlaying() && g_bKickRunning == 0 && g_bPlaybackStarted == 0);
    // The next flick starts over from its own first record; a frame far too late ends on its last.
    Queue(0, 3);
    EXPECT_EQ(FrameAt(kClockStart + 1000), kOverwritten);
    EXPECT_EQ(FrameAt(kClockStart + 1010), 0.0f);
    EXPECT_EQ(FrameAt(kClockStart + 1110), 2.0f) << "the flick ends on its last record, not short of it";
    EXPECT_EQ(m_nFinishes, 2);
}

TEST_F(MotionPlaybackTest, TheFlickSoundsOnceAndEachCollisionKnocksInItsMaterial) {
    for (const auto& [nCheckType, nKnock] : {std::pair{int(CHECK_BONE), 0}, {int(CHECK_WOOD), 2}, {int(CHECK_STONE), 1}, {7, -1}}) {
        m_sounds.clear(), m_settings.CheckType = nCheckType;
        for (int i = 0; i < 4; ++i) m_physics.OnQueueMotion(Record(i, i % 2, -700 * i));
        m_physics.StartPlayback();
        for (int i = 0; i < 6; ++i) FrameAt(kClockStart + uint32_t(10 * i));
        std::vector<std::pair<int, int>> expected = {{kShotSound, 0}};
        if (nKnock >= 0) expected.insert(expected.end(), {{nKnock, -700}, {nKnock, -2100}});
        EXPECT_EQ(m_sounds, expected) << "material " << nCheckType;
    }
}

TEST_F(MotionPlaybackTest, NullRecordsAnEmptyQueueAndAPauseChangeNothing) {
    m_physics.StartPlayback(), FrameAt(kClockStart);
    EXPECT_EQ(m_nFinishes, 1) << "an empty queue finishes at once";
    EXPECT_TRUE(g_bKickRunning == 0 && m_sounds.empty()) << "no flick sound for a flick that recorded nothing";
    m_physics.OnQueueMotion(Record(0)), m_physics.OnQueueMotion(nullptr);
    Queue(2, 4);
    const float shown[] = {kOverwritten, 0.0f, kOverwritten, 2.0f, 3.0f};  // the null record changes nothing
    for (int i = 0; i < 5; ++i) EXPECT_EQ(FrameAt(kClockStart + 100 + uint32_t(10 * i)), shown[i]) << i;
    m_physics.StopPlayback();
    EXPECT_EQ(FrameAt(kClockStart + 500), kOverwritten) << "paused";
    // Continuing takes a fresh start time: the next record, not the ones due by now.
    m_physics.StartPlayback();
    EXPECT_EQ(FrameAt(kClockStart + 505), kOverwritten);
    EXPECT_EQ(FrameAt(kClockStart + 515), 4.0f);
    EXPECT_EQ(m_nFinishes, 1);
    m_physics.QueueMotion(nullptr);  // the records are freed: the leak checker sees it
    m_physics.ClearMotions();
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    m_physics.QueueMotion(Record(5));  // left for the destructor to free
}

TEST_F(MotionPlaybackTest, AFailingFrameBeepsAndTheNextGoesOnAFailingFinishEndsAnyway) {
    int nThrows = 1, nCalls = 0;
    m_physics.SetSoundRequest([&](int nSound, int) { if (nSound != kShotSound && nThrows-- > 0) throw std::runtime_error("no sound channel"); });
    m_physics.OnQueueMotion(Record(0, 1, -500));
    Queue(1, 1);
    FrameAt(kClockStart);
    EXPECT_EQ(FrameAt(kClockStart + 10), 0.0f);
    EXPECT_EQ(m_beeps, (std::vector<std::pair<int, int>>{{4000, 100}}));
    EXPECT_TRUE(g_bKickRunning == 0 && m_physics.IsPlaying()) << "the next frame tries again";
    EXPECT_EQ(FrameAt(kClockStart + 20), 0.0f) << "the failed record is shown again";
    EXPECT_EQ(FrameAt(kClockStart + 30), 1.0f);
    m_physics.SetSendMessage([&](uint32_t, uintptr_t, intptr_t) { ++nCalls, throw std::runtime_error("failed"); });
    for (int i = 4; i < 8; ++i) FrameAt(kClockStart + uint32_t(10 * i));
    EXPECT_TRUE(nCalls == 1 && m_beeps.size() == 2u && !m_physics.IsPlaying() && m_physics.MotionCount() == 0u);
}

}  // namespace
