// A hash of positions that is the same in every build: FNV-1a over the bytes of the values
// added, floats by their bit patterns. Records keep it to prove a replay reached the same place.
#pragma once

#include <bit>
#include <cstdint>

class CDesk;

class CFnvHash {
public:
    void Add(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_h ^= (v >> (8 * i)) & 0xFFu;
            m_h *= kPrime;
        }
    }
    void Add(float f) { Add(std::bit_cast<uint32_t>(f)); }
    void Add(int v) { Add(uint32_t(v)); }
    uint64_t Value() const { return m_h; }

private:
    static constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t m_h = 1469598103934665603ull;
};

// The position at rest: each draught's on-board flag and side, and the centre of those on the
// board. Where a knocked-off draught ended is left out: the played flick animates its fall and
// the look-ahead does not, yet both leave the board the same.
uint64_t RestPositionHash(const CDesk& desk);
