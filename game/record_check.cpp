#include "game/record_check.h"

#include <cinttypes>
#include <cstdio>

#include "core/game_settings.h"
#include "game/layout.h"
#include "physics/desk.h"
#include "physics/desk_hash.h"
#include "physics/flick_simulation.h"

namespace {

std::string Where(const std::string& name, const SRecordFlick& f) { return name + ":" + std::to_string(f.nLine) + ": "; }

}  // namespace

bool CheckRecordPlays(const SMatchRecord& record, const std::string& name, int& nFlicks, std::string& error) {
    nFlicks = 0;
    const SPhysicsConstants k;
    CGLObject whiteModel, blackModel;
    for (const SRecordSet& set : record.sets) {
        CGameSettings s;
        ApplyRecordSettings(record.settings, s);
        CDesk desk;
        desk.SetSettings(&s);
        if (!BuildLayout(desk, set.nWhiteShift, set.nBlackShift, whiteModel, blackModel)) {
            error = name + ": board " + std::to_string(record.settings.nBoard) + " has no layout";
            return false;
        }
        for (const SRecordFlick& f : set.flicks) {
            const CCheck& c = desk.m_aChecks[f.nCheck];
            if (!c.m_bOnDesk || c.m_nSide != f.nSide) {
                error = Where(name, f) + "draught " + std::to_string(f.nCheck) +
                        (c.m_bOnDesk ? " is not of side " + std::to_string(f.nSide) : " is off the board");
                return false;
            }
            ApplyLaunch(f.launch, f.nCheck, desk, s);
            // Without the fall animation, as the computer looks ahead: the hash leaves it out.
            KeepFlickOutcome(RunFlick(k, MakeFlickInput(s), f.nCheck, desk, s.m_aMovers, false, nullptr), s);
            const uint64_t nHash = RestPositionHash(desk);
            if (nHash != f.nHash) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "the flick ends at position 0x%016" PRIx64 ", not as recorded", nHash);
                error = Where(name, f) + buf;
                return false;
            }
            ++nFlicks;
        }
    }
    return true;
}
