#include "net/net_messages.h"

#include <bit>
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "core/game_settings.h"

namespace {

// The type byte: the variant's index plus one, so a zero byte is never a message.
constexpr uint8_t kFirstType = 1;

class CWriter {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(uint8_t(v >> (8 * i)));
    }
    void U64(uint64_t v) {
        U32(uint32_t(v));
        U32(uint32_t(v >> 32));
    }
    void F32(float f) { U32(std::bit_cast<uint32_t>(f)); }
    std::vector<uint8_t> m_bytes;
};

class CReader {
public:
    explicit CReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool U8(uint8_t& v) {
        if (m_at >= m_bytes.size()) return false;
        v = m_bytes[m_at++];
        return true;
    }
    bool U32(uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!U8(b)) return false;
            v |= uint32_t(b) << (8 * i);
        }
        return true;
    }
    bool U64(uint64_t& v) {
        uint32_t lo, hi;
        if (!U32(lo) || !U32(hi)) return false;
        v = uint64_t(hi) << 32 | lo;
        return true;
    }
    bool F32(float& f) {
        uint32_t bits;
        if (!U32(bits)) return false;
        f = std::bit_cast<float>(bits);
        return true;
    }
    // A small count or index, refused outside 0..nMax.
    bool Small(int& v, int nMax) {
        uint8_t b;
        if (!U8(b) || b > nMax) return false;
        v = b;
        return true;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
};

bool Finite(std::initializer_list<float> values, float fBound) {
    for (float f : values)
        if (!std::isfinite(f) || std::fabs(f) > fBound) return false;
    return true;
}

void Write(CWriter& w, const SNetHello& m) {
    w.U32(m.nProtocol);
    const size_t n = std::min(m.program.size(), kMaxNetVersionBytes);
    w.U8(uint8_t(n));
    for (size_t i = 0; i < n; ++i) w.U8(uint8_t(m.program[i]));
}
void Write(CWriter& w, const SNetSetup& m) {
    for (int v : {m.nBoard, m.nMaterial, m.nRule, m.nMode}) w.U8(uint8_t(v));
}
void Write(CWriter& w, const SNetFlick& m) {
    w.U32(m.nSeq);
    w.U8(uint8_t(m.nCheck));
    for (float f : {m.launch.fVx0, m.launch.fVy0, m.launch.fDirX, m.launch.fDirY, m.launch.fSpin0}) w.F32(f);
    w.U64(m.nHashBefore);
}
void Write(CWriter& w, const SNetCheck& m) {
    w.U32(m.nSeq);
    w.U64(m.nHash);
}
void Write(CWriter& w, const SNetPosition& m) {
    w.U32(m.nSeq);
    for (const SNetDraught& d : m.draughts) {
        w.U8(uint8_t(d.nSide));
        w.U8(d.bOnDesk ? 1 : 0);
        for (float f : {d.fX, d.fY, d.fHeight}) w.F32(f);
    }
}
void Write(CWriter& w, const SNetAim& m) {
    for (float f : m.hand) w.F32(f);
    for (float f : m.marker) w.F32(f);
}
void Write(CWriter& w, const SNetBye& m) { w.U8(uint8_t(m.reason)); }
void Write(CWriter& w, const SNetNext& m) {
    w.U8(uint8_t(m.what));
    w.U32(m.nSeq);
}

bool Read(CReader& r, SNetHello& m, std::string& error) {
    int n = 0;
    if (!r.U32(m.nProtocol) || !r.Small(n, int(kMaxNetVersionBytes))) return (error = "bad hello"), false;
    m.program.clear();
    for (int i = 0; i < n; ++i) {
        uint8_t c;
        if (!r.U8(c) || c < 0x20 || c > 0x7e) return (error = "bad program version"), false;
        m.program.push_back(char(c));
    }
    return true;
}
bool Read(CReader& r, SNetSetup& m, std::string& error) {
    if (r.Small(m.nBoard, BOARD_TWELVE) && r.Small(m.nMaterial, CHECK_STONE) && r.Small(m.nRule, 1) &&
        r.Small(m.nMode, 1))
        return true;
    return (error = "bad setup"), false;
}
bool Read(CReader& r, SNetFlick& m, std::string& error) {
    SFlickLaunch& l = m.launch;
    if (!r.U32(m.nSeq) || !r.Small(m.nCheck, kCheckCount - 1) || !r.F32(l.fVx0) || !r.F32(l.fVy0) ||
        !r.F32(l.fDirX) || !r.F32(l.fDirY) || !r.F32(l.fSpin0) || !r.U64(m.nHashBefore))
        return (error = "bad flick"), false;
    // The spin of a flick stays far below this; the bound only keeps the simulation finite.
    constexpr float kMaxSpin = 1000.0f;
    if (!Finite({l.fVx0, l.fVy0}, kMaxLaunchSpeed) || !Finite({l.fDirX, l.fDirY}, 1.0f) || !Finite({l.fSpin0}, kMaxSpin) ||
        std::hypot(l.fVx0, l.fVy0) > kMaxLaunchSpeed)
        return (error = "flick launch out of range"), false;
    return true;
}
bool Read(CReader& r, SNetCheck& m, std::string& error) {
    if (r.U32(m.nSeq) && r.U64(m.nHash)) return true;
    return (error = "bad check"), false;
}
bool Read(CReader& r, SNetPosition& m, std::string& error) {
    if (!r.U32(m.nSeq)) return (error = "bad position"), false;
    for (SNetDraught& d : m.draughts) {
        int nOnDesk = 0;
        if (!r.Small(d.nSide, SIDE_BLACK) || d.nSide < SIDE_WHITE || !r.Small(nOnDesk, 1) || !r.F32(d.fX) ||
            !r.F32(d.fY) || !r.F32(d.fHeight) || !Finite({d.fX, d.fY, d.fHeight}, kMaxNetPlaceCoord))
            return (error = "bad draught in position"), false;
        d.bOnDesk = nOnDesk != 0;
    }
    return true;
}
bool Read(CReader& r, SNetAim& m, std::string& error) {
    for (float& f : m.hand)
        if (!r.F32(f)) return (error = "bad aim"), false;
    for (float& f : m.marker)
        if (!r.F32(f)) return (error = "bad aim"), false;
    const float* h = m.hand;
    const float* a = m.marker;
    if (Finite({h[0], h[1], h[2], a[0], a[1], a[2]}, kMaxNetAimCoord)) return true;
    return (error = "aim out of range"), false;
}
bool Read(CReader& r, SNetBye& m, std::string& error) {
    int n = 0;
    if (!r.Small(n, int(ENetEnd::Protocol)) || n < int(ENetEnd::Quit)) return (error = "bad bye"), false;
    m.reason = ENetEnd(n);
    return true;
}

bool Read(CReader& r, SNetNext& m, std::string& error) {
    int n = 0;
    if (!r.Small(n, int(ENetNext::NewMatch)) || !r.U32(m.nSeq)) return (error = "bad next choice"), false;
    m.what = ENetNext(n);
    return true;
}

template <size_t I = 0>
bool ReadAs(size_t nIndex, CReader& r, SNetMessage& out, std::string& error) {
    if constexpr (I < std::variant_size_v<SNetMessage>) {
        if (nIndex != I) return ReadAs<I + 1>(nIndex, r, out, error);
        std::variant_alternative_t<I, SNetMessage> m;
        if (!Read(r, m, error)) return false;
        out = std::move(m);
        return true;
    } else {
        error = "unknown message type";
        return false;
    }
}

}  // namespace

std::vector<uint8_t> EncodeNetMessage(const SNetMessage& message) {
    CWriter w;
    w.U8(uint8_t(kFirstType + message.index()));
    std::visit([&](const auto& m) { Write(w, m); }, message);
    return std::move(w.m_bytes);
}

bool DecodeNetMessage(std::span<const uint8_t> bytes, SNetMessage& out, std::string& error) {
    CReader r(bytes);
    uint8_t nType = 0;
    if (!r.U8(nType) || nType < kFirstType) return (error = "unknown message type"), false;
    if (!ReadAs(nType - kFirstType, r, out, error)) return false;
    if (!r.AtEnd()) return (error = "bytes after the message"), false;
    return true;
}

const char* NetEndText(ENetEnd reason) {
    switch (reason) {
    case ENetEnd::Quit: return "the other player left the game";
    case ENetEnd::Version: return "the other program is a different version";
    case ENetEnd::Busy: return "the host is already playing a game";
    case ENetEnd::Protocol: return "the other program sent a message this one does not understand";
    }
    return "the connection ended";
}
