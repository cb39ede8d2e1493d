#include "physics/desk_hash.h"

#include "physics/desk.h"

uint64_t RestPositionHash(const CDesk& desk) {
    CFnvHash h;
    for (const CCheck& c : desk.m_aChecks) {
        h.Add(int(c.m_bOnDesk));
        h.Add(int(c.m_nSide));
        if (!c.m_bOnDesk) continue;
        h.Add(c.m_fX);
        h.Add(c.m_fY);
    }
    return h.Value();
}
