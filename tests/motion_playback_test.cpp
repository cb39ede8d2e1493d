// Playback of the motion records in real time, driven by an injected clock: which record
// each frame shows, the skip rule for slow frames, the sounds, and the one finish message.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "physics/desk.h"
#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace {

constexpr uint32_t kClockStart = 100000;
constexpr float kNothingShown = -1.0f;  // the live position's tag before any record lands
constexpr float kOverwritten = -7.0f;   // put on the live position to see whether a frame copies
constexpr int kShotSound = 15;

// A record tells itself apart by the x of draught 0.
std::unique_ptr<CDesk> Record(int nTag, int bKnock = 0, int nVolume = 0) {
    auto p = std::make_unique<CDesk>();
    p->m_aChecks[0].m_fX = float(nTag);
    p->m_bKnock = bKnock;
    p->m_nKnockVolume = nVolume;
    return p;
}

struct SSound {
    int nSound, nVolume;
    bool operator==(const SSound&) const = default;
};

class MotionPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_nClock = kClockStart;
        platform::SetTimeSource([this] { return m_nClock; });
        platform::SetBeepHandler([this](int nFreq, int nMs) { m_beeps.emplace_back(nFreq, nMs); });
        platform::SetLogSink([this](const std::string& s) { m_log.push_back(s); });
        m_live.m_aChecks[0].m_fX = kNothingShown;
        m_physics.SetSettings(&m_settings);
        m_physics.SetDesk(&m_live);
        m_physics.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_physics.SetSendMessage([this](uint32_t nMsg, uintptr_t w, intptr_t l) {
            m_sent.push_back({nMsg, w, l, nullptr});
        });
        m_physics.SetSoundRequest([this](int nSound, int nVolume) { m_sounds.push_back({nSound, nVolume}); });
        g_bKickRunning = 1;  // as StartKickThread leaves it
        g_bPlaybackStarted = 0;
        g_nPlaybackFrame = 0;
    }
    void TearDown() override {
        platform::SetTimeSource({});
        platform::SetBeepHandler({});
        platform::SetLogSink({});
    }

    void QueueTagged(int nCount) {
        for (int i = 0; i < nCount; ++i) m_physics.OnQueueMotion(Record(i));
    }
    // One frame at the given clock; returns the tag on the live position afterwards.
    float FrameAt(uint32_t nMs) {
        m_nClock = nMs;
        m_physics.PlayMotion();
        return Shown();
    }
    float Shown() const { return m_live.m_aChecks[0].m_fX; }
    int Finishes() const {
        int n = 0;
        for (const platform::SMessage& m : m_sent) n += m.nMsg == UM_FLICK_FINISHED;
        return n;
    }

    uint32_t m_nClock = kClockStart;
    CGameSettings m_settings;
    CDesk m_live;
    CKickPhysics m_physics;
    std::vector<platform::SMessage> m_sent;
    std::vector<SSound> m_sounds;
    std::vector<std::pair<int, int>> m_beeps;
    std::vector<std::string> m_log;
};

// One frame of a playback: ms after the previous frame, the tag it must leave on the
// live position (kOverwritten: it copied nothing) and the finish messages sent so far.
struct SFrame {
    int nAfterMs;
    float fShown;
    int nFinishes;
    const char* why;
};

TEST_F(MotionPlaybackTest, EachFrameShowsTheRecordDueByWallClock) {
    QueueTagged(10);
    m_physics.StartPlayback();
    const SFrame frames[] = {
        {0, kNothingShown, 0, "the first frame takes the start time and shows nothing"},
        {10, 0, 0, "10 ms: the first record"},
        {5, kOverwritten, 0, "5 ms after the shown record: nothing new"},
        {4, kOverwritten, 0, "9 ms after the shown record: nothing new"},
        {1, 1, 0, "10 ms after the shown record: the next one"},
        {10, 2, 0, "in step"},
        {35, 5, 0, "35 ms: records 3 and 4 skipped, the third one shown"},
        {10, 5, 0, "10 ms later the record skipped to is shown once more"},
        {10, 6, 0, "and then it moves on"},
        {27, 8, 0, "27 ms: one skipped, the remainder dropped"},
        {3, kOverwritten, 0, "3 ms: nothing new"},
        {10, 8, 0, "shown once more"},
        {10, 9, 0, "the last record"},
        {1, 9, 1, "the next frame, however soon, finishes on the last record"},
        {10, kOverwritten, 1, "finished: frames do nothing"},
        {100, kOverwritten, 1, "finished: frames do nothing"},
    };
    uint32_t nNow = kClockStart;
    for (size_t i = 0; i < std::size(frames); ++i) {
        const SFrame& f = frames[i];
        nNow += uint32_t(f.nAfterMs);
        if (i > 0) m_live.m_aChecks[0].m_fX = kOverwritten;
        const float fShown = FrameAt(nNow);
        EXPECT_EQ(fShown, f.fShown) << "frame " << i << " (+" << f.nAfterMs << " ms): " << f.why;
        EXPECT_EQ(Finishes(), f.nFinishes) << "frame " << i << ": " << f.why;
    }
}

TEST_F(MotionPlaybackTest, FinishSendsOneMessageAndLeavesNothingRunning) {
    QueueTagged(3);
    m_physics.StartPlayback();
    for (int i = 0; i < 10; ++i) FrameAt(kClockStart + uint32_t(10 * i));
    ASSERT_EQ(m_sent.size(), 1u);
    EXPECT_EQ(m_sent[0].nMsg, uint32_t(UM_FLICK_FINISHED));
    EXPECT_EQ(m_sent[0].wParam, 0u);
    EXPECT_EQ(m_sent[0].lParam, 0);
    EXPECT_EQ(Shown(), 2.0f) << "frames in step show every record, the last one included";
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    EXPECT_FALSE(m_physics.IsPlaying());
    EXPECT_EQ(g_bKickRunning.load(), 0);
    EXPECT_EQ(g_bPlaybackStarted.load(), 0);

    // The next flick's playback starts over from its own first record.
    g_bKickRunning = 1;
    m_physics.OnQueueMotion(Record(40));
    m_physics.OnQueueMotion(Record(41));
    m_physics.StartPlayback();
    const uint32_t nStart = kClockStart + 1000;
    FrameAt(nStart);
    EXPECT_EQ(FrameAt(nStart + 10), 40.0f);
    EXPECT_EQ(FrameAt(nStart + 20), 41.0f);
    FrameAt(nStart + 30);
    EXPECT_EQ(Finishes(), 2);
}

TEST_F(MotionPlaybackTest, AFrameLatePastTheLastRecordFinishesAtOnce) {
    QueueTagged(3);
    m_physics.StartPlayback();
    FrameAt(kClockStart);
    EXPECT_EQ(FrameAt(kClockStart + 10), 0.0f);
    FrameAt(kClockStart + 110);  // ten records due, two left
    EXPECT_EQ(Finishes(), 1);
    EXPECT_EQ(m_live.m_aChecks[0].m_fX, 2.0f) << "the flick ends on its last record, not short of it";
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    FrameAt(kClockStart + 120);
    EXPECT_EQ(Finishes(), 1);
}

TEST_F(MotionPlaybackTest, RecordLengthComesFromTheSettingsAndHoldsAcrossTheClockWrap) {
    struct SCase {
        int nFrameMs;       // the settings' value
        int nRecordMs;      // the length a record is shown
        uint32_t nStart;    // the clock at the first frame
    } cases[] = {{20, 20, kClockStart}, {0, 10, kClockStart}, {-5, 10, kClockStart},
                 {10, 10, 0xFFFFFFF6u}};  // 10 ms before the 32-bit clock wraps
    for (const SCase& c : cases) {
        SCOPED_TRACE("m_nFrameMs " + std::to_string(c.nFrameMs) + " from " + std::to_string(c.nStart));
        m_nClock = c.nStart;
        m_physics.ClearMotions();
        m_sent.clear();
        g_bPlaybackStarted = 0;
        m_settings.m_nFrameMs = c.nFrameMs;
        QueueTagged(3);
        m_physics.StartPlayback();
        FrameAt(c.nStart);
        m_live.m_aChecks[0].m_fX = kOverwritten;
        EXPECT_EQ(FrameAt(c.nStart + uint32_t(c.nRecordMs) - 1), kOverwritten);
        EXPECT_EQ(FrameAt(c.nStart + uint32_t(c.nRecordMs)), 0.0f);
        EXPECT_EQ(FrameAt(c.nStart + uint32_t(3 * c.nRecordMs)), 2.0f) << "one record skipped";
        FrameAt(c.nStart + uint32_t(4 * c.nRecordMs));
        FrameAt(c.nStart + uint32_t(5 * c.nRecordMs));
        EXPECT_EQ(Finishes(), 1);
    }
}

TEST_F(MotionPlaybackTest, TheFlickSoundsOnceAndEachCollisionKnocksInItsMaterial) {
    struct SCase {
        int nCheckType;
        int nKnockSound;  // -1: none
        const char* name;
    } cases[] = {{CHECK_BONE, 0, "bone"},
                 {CHECK_WOOD, 2, "wood"},
                 {CHECK_STONE, 1, "stone"},
                 {7, -1, "unknown material"}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_sounds.clear();
        m_sent.clear();
        m_settings.CheckType = c.nCheckType;
        m_physics.OnQueueMotion(Record(0));
        m_physics.OnQueueMotion(Record(1, 1, -700));
        m_physics.OnQueueMotion(Record(2));
        m_physics.OnQueueMotion(Record(3, 1, -1200));
        m_physics.StartPlayback();
        for (int i = 0; i < 6; ++i) FrameAt(kClockStart + uint32_t(10 * i));
        std::vector<SSound> expected = {{kShotSound, 0}};
        if (c.nKnockSound >= 0) {
            expected.push_back({c.nKnockSound, -700});
            expected.push_back({c.nKnockSound, -1200});
        }
        ASSERT_EQ(m_sounds.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(m_sounds[i], expected[i]) << "sound " << i << ": expected " << expected[i].nSound
                                                << " at " << expected[i].nVolume << ", got "
                                                << m_sounds[i].nSound << " at " << m_sounds[i].nVolume;
        }
        EXPECT_EQ(Finishes(), 1);
    }
}

TEST_F(MotionPlaybackTest, NullRecordsAreSkippedAndTheLivePositionKeepsItsState) {
    m_physics.OnQueueMotion(Record(0));
    m_physics.OnQueueMotion(nullptr);
    m_physics.OnQueueMotion(Record(2));
    m_physics.StartPlayback();
    FrameAt(kClockStart);
    EXPECT_EQ(FrameAt(kClockStart + 10), 0.0f);
    EXPECT_EQ(FrameAt(kClockStart + 20), 0.0f) << "the null record changes nothing";
    EXPECT_EQ(FrameAt(kClockStart + 30), 2.0f);
    FrameAt(kClockStart + 40);
    EXPECT_EQ(Finishes(), 1);
    EXPECT_EQ(m_physics.MotionCount(), 0u);
}

TEST_F(MotionPlaybackTest, PlayingAnEmptyQueueFinishesAtOnce) {
    m_physics.StartPlayback();
    FrameAt(kClockStart);
    EXPECT_EQ(Finishes(), 1);
    EXPECT_FALSE(m_physics.IsPlaying());
    EXPECT_EQ(g_bKickRunning.load(), 0);
    FrameAt(kClockStart + 10);
    EXPECT_EQ(Finishes(), 1);
    EXPECT_TRUE(m_sounds.empty()) << "no flick sound for a flick that recorded nothing";
}

TEST_F(MotionPlaybackTest, APausedPlaybackShowsNothingAndResumesWithoutCatchingUp) {
    QueueTagged(6);
    EXPECT_EQ(FrameAt(kClockStart), kNothingShown) << "nothing before StartPlayback";
    m_physics.StartPlayback();
    FrameAt(kClockStart);
    EXPECT_EQ(FrameAt(kClockStart + 10), 0.0f);
    EXPECT_EQ(FrameAt(kClockStart + 20), 1.0f);
    m_physics.StopPlayback();
    m_live.m_aChecks[0].m_fX = kOverwritten;
    EXPECT_EQ(FrameAt(kClockStart + 500), kOverwritten) << "paused";
    // Continuing takes a fresh start time: the next record, not the ones due by now.
    m_physics.StartPlayback();
    EXPECT_EQ(FrameAt(kClockStart + 505), kOverwritten);
    EXPECT_EQ(FrameAt(kClockStart + 510), 2.0f);
    EXPECT_EQ(FrameAt(kClockStart + 520), 3.0f);
    EXPECT_EQ(Finishes(), 0);
}

TEST_F(MotionPlaybackTest, AFailingFrameBeepsAndTheNextFrameGoesOn) {
    int nThrows = 1;
    m_physics.SetSoundRequest([&](int nSound, int nVolume) {
        if (nSound != kShotSound && nThrows-- > 0) throw std::runtime_error("no sound channel");
        m_sounds.push_back({nSound, nVolume});
    });
    m_physics.OnQueueMotion(Record(0, 1, -500));
    m_physics.OnQueueMotion(Record(1));
    m_physics.StartPlayback();
    FrameAt(kClockStart);
    EXPECT_EQ(FrameAt(kClockStart + 10), 0.0f);
    ASSERT_EQ(m_beeps.size(), 1u);
    EXPECT_EQ(m_beeps[0], std::make_pair(4000, 100));
    EXPECT_EQ(g_bKickRunning.load(), 0);
    EXPECT_TRUE(m_physics.IsPlaying()) << "the next frame tries again";
    EXPECT_EQ(FrameAt(kClockStart + 20), 0.0f) << "the failed record is shown again";
    EXPECT_EQ(FrameAt(kClockStart + 30), 1.0f);
    FrameAt(kClockStart + 40);
    EXPECT_EQ(Finishes(), 1);
    EXPECT_EQ(m_beeps.size(), 1u);
}

TEST_F(MotionPlaybackTest, AFailingFinishHandlerEndsThePlaybackAnyway) {
    int nCalls = 0;
    m_physics.SetSendMessage([&](uint32_t, uintptr_t, intptr_t) {
        ++nCalls;
        throw std::runtime_error("handler failed");
    });
    QueueTagged(1);
    m_physics.StartPlayback();
    for (int i = 0; i < 5; ++i) FrameAt(kClockStart + uint32_t(10 * i));
    EXPECT_EQ(nCalls, 1);
    EXPECT_EQ(m_beeps.size(), 1u);
    EXPECT_FALSE(m_physics.IsPlaying());
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    EXPECT_EQ(g_bKickRunning.load(), 0);
}

TEST_F(MotionPlaybackTest, ClearMotionsEmptiesTheQueueAndToleratesNullAndEmpty) {
    m_physics.ClearMotions();
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    m_physics.QueueMotion(Record(0));
    m_physics.QueueMotion(nullptr);
    m_physics.QueueMotion(Record(2));
    EXPECT_EQ(m_physics.MotionCount(), 3u);
    m_physics.ClearMotions();  // the records are freed: the leak checker sees it
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    m_physics.ClearMotions();
    EXPECT_EQ(m_physics.MotionCount(), 0u);
    m_physics.QueueMotion(Record(5));  // left for the destructor to free
}

}  // namespace
