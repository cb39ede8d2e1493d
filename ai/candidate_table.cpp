// The candidate table on one or two threads. Each thread takes the next unsearched row
// and searches it with its own settings copy (a trial writes the mover table and counts);
// the rows land in the same entries whichever thread searched them.
#include "ai/candidate_table.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "ai/candidate_search.h"
#include "core/game_settings.h"
#include "platform/log.h"

namespace {

// Marks a mover slot whose draught index no trial of a row has written.
constexpr int32_t kUnwrittenSlot = -1;

// What a trial simulation leaves in the settings.
struct STrialOutputs {
    SMover aMovers[kMoverSlots];
    int nKnockedWhite = 0, nKnockedBlack = 0;
    float fSlideFriction = 0.0f, fSpinFriction = 0.0f, fBounce = 0.0f, fSpinTransfer = 0.0f;

    void Save(const CGameSettings& s) {
        std::copy(std::begin(s.m_aMovers), std::end(s.m_aMovers), aMovers);
        nKnockedWhite = s.m_nKnockedWhite;
        nKnockedBlack = s.m_nKnockedBlack;
        fSlideFriction = s.m_fSlideFriction;
        fSpinFriction = s.m_fSpinFriction;
        fBounce = s.m_fBounce;
        fSpinTransfer = s.m_fSpinTransfer;
    }
    void Restore(CGameSettings& s) const {
        std::copy(std::begin(aMovers), std::end(aMovers), s.m_aMovers);
        s.m_nKnockedWhite = nKnockedWhite;
        s.m_nKnockedBlack = nKnockedBlack;
        s.m_fSlideFriction = fSlideFriction;
        s.m_fSpinFriction = fSpinFriction;
        s.m_fBounce = fBounce;
        s.m_fSpinTransfer = fSpinTransfer;
    }
};

}  // namespace

namespace ai {

bool FillCandidateTable(const SPhysicsConstants& k, CGameSettings& settings, const CDesk& live, int nSide,
                        KickCandidateTable& table, const STrialControl& control, int nThreads) {
    for (auto& row : table)
        for (KickCandidate& e : row) e = KickCandidate{};
    const CDesk P(live);
    int aOwn[kCandidateRows];
    int nRows = 0;
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& c = P.m_aChecks[i];
        if (c.m_bOnDesk != 1 || c.m_nSide != nSide) continue;
        if (nRows == kCandidateRows) {
            platform::Log("Candidate search: more than %d own draughts; the rest are not flicked", kCandidateRows);
            break;
        }
        aOwn[nRows++] = i;
    }

    std::atomic<int> nNextRow{0};
    std::atomic<bool> bAbandoned{false};
    int aTrials[kCandidateRows] = {};
    STrialOutputs aOutputs[kCandidateRows];
    auto searchRows = [&](CGameSettings& s) {
        while (!bAbandoned.load()) {
            const int r = nNextRow.fetch_add(1);
            if (r >= nRows) return;
            // Inactive slots keep the index last written into them; marking them shows
            // afterwards which slots this row wrote, so the merge below can rebuild the
            // table the rows would have left one after another.
            for (SMover& m : s.m_aMovers) m.nCheck = kUnwrittenSlot;
            const int nTrials = SearchCandidateRow(k, s, aOwn[r], nSide, table[r], P, control);
            if (nTrials < 0) {
                bAbandoned = true;
                return;
            }
            aTrials[r] = nTrials;
            if (nTrials > 0) aOutputs[r].Save(s);
        }
    };

    CGameSettings mine(settings);
    CGameSettings helpers(settings);
    std::exception_ptr helperError;
    std::jthread helper;  // declared last: joined before anything it uses goes away
    if (nThreads >= 2 && nRows > 1) {
        try {
            helper = std::jthread([&] {
                try {
                    searchRows(helpers);
                } catch (...) {
                    helperError = std::current_exception();
                    bAbandoned = true;
                }
            });
        } catch (const std::system_error& e) {
            platform::Log("Candidate search: no helper thread (%s); searching on one thread", e.what());
        }
    }
    try {
        searchRows(mine);
    } catch (...) {
        bAbandoned = true;
        throw;
    }
    if (helper.joinable()) helper.join();
    if (helperError) std::rethrow_exception(helperError);
    if (bAbandoned.load()) return false;

    // Leave the settings as the rows searched one after another on one thread would.
    int nLastRow = -1;
    for (int r = 0; r < nRows; ++r) {
        if (aTrials[r] == 0) continue;
        nLastRow = r;
        for (int i = 0; i < kMoverSlots; ++i) {
            const int32_t nWritten = aOutputs[r].aMovers[i].nCheck;
            if (nWritten != kUnwrittenSlot) settings.m_aMovers[i].nCheck = nWritten;
        }
    }
    if (nLastRow >= 0) {
        STrialOutputs merged = aOutputs[nLastRow];
        for (int i = 0; i < kMoverSlots; ++i) merged.aMovers[i].nCheck = settings.m_aMovers[i].nCheck;
        merged.Restore(settings);
    }
    return true;
}

}  // namespace ai
