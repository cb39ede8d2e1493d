// The motion record queue and its real-time playback: one recorded step per frame time,
// records skipped when frames come slower, so the motion keeps its speed on screen.
// Threads: everything here runs on the window thread, except ClearMotions, which the
// simulation and the look-ahead also call while no playback runs. The queue lock guards
// the queue and the cursor reset; cursor moves and record copies need no lock because
// appending and playing both happen on the window thread.
#include <algorithm>
#include <iterator>

#include "core/game_settings.h"
#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/free_memory.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace {

// Wall-clock length of one record when the settings give none (or a nonsense one).
constexpr int kDefaultFrameMs = 10;
constexpr int kFullVolume = 0;      // hundredths of a decibel: 0 is loudest
constexpr int kShotSound = 15;      // the flick itself, at playback start
constexpr int kKnockSounds[] = {0,  // bone
                                2,  // wood
                                1}; // stone
constexpr int kPlaybackFailBeepHz = 4000;
constexpr int kPlaybackFailBeepMs = 100;

}  // namespace

void CKickPhysics::QueueMotion(std::unique_ptr<CDesk> pRecord) {
    try {
        std::lock_guard lock(m_queueLock);
        m_motions.push_back(pRecord.get());
        pRecord.release();  // the list owns it now
    } catch (...) {
        // Out of memory for a list node: the step is lost, not leaked; the playback skips it.
        platform::Log("A motion record could not be queued: the playback skips one step");
    }
}

void CKickPhysics::OnQueueMotion(std::unique_ptr<CDesk> pRecord) {
    QueueMotion(std::move(pRecord));
    // Released even when queueing failed, so the simulation never waits for ever.
    m_motionEvent.Set();
}

void CKickPhysics::ClearMotions() {
    // Deleting plain values and erasing list nodes cannot throw; the guard frees the lock anyway.
    std::lock_guard lock(m_queueLock);
    for (CDesk* pRecord : m_motions) delete pRecord;  // null entries: delete does nothing
    m_motions.clear();
    m_cursor = m_motions.end();
}

void CKickPhysics::StartPlayback() {
    m_nStartTime = platform::TimeGetTime();
    m_bPlaying = true;
}

void CKickPhysics::StopPlayback() { m_bPlaying = false; }

size_t CKickPhysics::MotionCount() const {
    std::lock_guard lock(m_queueLock);
    return m_motions.size();
}

void CKickPhysics::FinishPlayback() {
    // A late frame may skip past the last records: the flick still ends on the board exactly
    // where it came to rest (the position the next flick and the computer start from).
    {
        std::lock_guard lock(m_queueLock);
        auto last = std::find_if(m_motions.rbegin(), m_motions.rend(), [](const CDesk* p) { return p; });
        if (last != m_motions.rend() && m_pDesk) *m_pDesk = **last;
    }
    g_bPlaybackStarted = 0;
    m_bPlaying = false;
    // Cleared before the message: its handler waits while a flick is running.
    g_bKickRunning = 0;
    ClearMotions();
    platform::ReturnFreeMemory();
    if (m_sendMessage) m_sendMessage(m_messages.nFinished, 0, 0);
}

void CKickPhysics::PlayMotion() {
    if (!m_bPlaying) return;
    try {
        size_t nCount;
        {
            std::lock_guard lock(m_queueLock);
            nCount = m_motions.size();
        }
        // A flick that recorded nothing still ends, or its finish message would never come.
        if (nCount == 0) {
            FinishPlayback();
            return;
        }
        bool bAdvance = true;
        if (!g_bPlaybackStarted) {
            m_nStartTime = platform::TimeGetTime();
            g_bPlaybackStarted = 1;
            {
                std::lock_guard lock(m_queueLock);
                m_cursor = m_motions.begin();
            }
            g_nPlaybackFrame = 0;
            if (m_requestSound) m_requestSound(kShotSound, kFullVolume);
        }
        if (size_t(g_nPlaybackFrame.load()) >= nCount) {
            FinishPlayback();
            return;
        }

        int nFrameMs = m_pSettings ? m_pSettings->m_nFrameMs : kDefaultFrameMs;
        if (nFrameMs <= 0) nFrameMs = kDefaultFrameMs;
        m_nNow = platform::TimeGetTime();
        const uint32_t nElapsed = m_nNow - m_nStartTime;  // wraps like the 32-bit clock
        if (nElapsed < uint32_t(nFrameMs)) return;

        // Frames slower than a record skip the records that are past due.
        const uint32_t nSkip = nElapsed / uint32_t(nFrameMs) - 1;
        for (uint32_t i = 0; i < nSkip; ++i) {
            ++g_nPlaybackFrame;
            if (size_t(g_nPlaybackFrame.load()) >= nCount) {
                FinishPlayback();
                return;
            }
            ++m_cursor;
            // The record landed on is shown now and once more by the next frame.
            bAdvance = false;
        }
        m_nStartTime = m_nNow;  // the remainder is dropped

        if (m_cursor == m_motions.end()) {  // the cursor always trails the count; never here
            FinishPlayback();
            return;
        }
        if (*m_cursor && m_pDesk) *m_pDesk = **m_cursor;

        if (m_pDesk && m_pDesk->m_bKnock == 1 && m_pSettings && m_requestSound) {
            const int nType = m_pSettings->CheckType;
            // An unknown material plays no knock.
            if (nType >= 0 && nType < int(std::size(kKnockSounds)))
                m_requestSound(kKnockSounds[nType], m_pDesk->m_nKnockVolume);
        }

        if (bAdvance) {
            ++m_cursor;
            ++g_nPlaybackFrame;
        }
    } catch (...) {
        // Playing stays as it was, so the next frame tries again.
        platform::Beep(kPlaybackFailBeepHz, kPlaybackFailBeepMs);
        g_bKickRunning = 0;
    }
}
