// Sound through SDL's dummy audio driver: the strict WAV check, the beep tone, and broken files
// or a missing driver leaving the game silent but running.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/framework/resource.h"
#include "app/framework/sound.h"
#include "app/framework/wav_format.h"
#include "tests/support/log_capture.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kRate = 22050, kStereo = 2;

void Put(Bytes& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
struct SChunk {
    const char* id;
    Bytes body;
    int64_t declared = -1;  // the size field, when it lies
};
// A RIFF/WAVE file of the chunks; its size field is off by riffLie bytes.
Bytes Riff(const std::vector<SChunk>& chunks, int riffLie = 0) {
    Bytes b;
    for (const SChunk& c : chunks) {
        b.insert(b.end(), c.id, c.id + 4);
        Put(b, static_cast<uint32_t>(c.declared < 0 ? int64_t(c.body.size()) : c.declared), 4);
        b.insert(b.end(), c.body.begin(), c.body.end());
        if (c.body.size() % 2) b.push_back(0);
    }
    Bytes out = {'R', 'I', 'F', 'F'};
    Put(out, static_cast<uint32_t>(b.size() + 4 + riffLie), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), b.begin(), b.end());
    return out;
}
SChunk Fmt(int channels, int bits = 16, int tag = 1, int align = 0, size_t size = 16) {
    Bytes b;
    align = align ? align : channels * bits / 8;
    for (auto [v, n] : {std::pair{tag, 2}, {channels, 2}, {kRate, 4}, {kRate * align, 4}, {align, 2}, {bits, 2}})
        Put(b, static_cast<uint32_t>(v), n);
    b.resize(size);
    return {"fmt ", b};
}
SChunk Data(size_t bytes, int64_t declared = -1) { return {"data", Bytes(bytes, 0x11), declared}; }

TEST(WavFormat, AcceptsWholePcmFilesAndNamesWhatIsWrongWithOthers) {
    const struct {
        const char* name;
        Bytes bytes;
        const char* error;  // "" when the file is whole; then its data starts at dataAt
        size_t dataAt = 0;
    } cases[] = {
        {"whole PCM file", Riff({Fmt(1), Data(200)}), "", 44},
        {"odd-sized chunk before the data", Riff({Fmt(1), {"LIST", {'a', 'b', 'c'}}, Data(200)}), "", 56},
        {"no chunks", Riff({{"junk", {1, 2}}}), "no fmt chunk"},
        {"no data chunk", Riff({Fmt(1)}), "no data chunk"},
        {"data before its format", Riff({Data(200), Fmt(1)}), "before the data"},
        {"short format chunk", Riff({Fmt(1, 16, 1, 0, 14), Data(200)}), "too short"},
        {"not PCM", Riff({Fmt(1, 16, 3), Data(200)}), "not PCM"},
        {"three channels", Riff({Fmt(3), Data(198)}), "unsupported"},
        {"12 bits", Riff({Fmt(1, 12), Data(200)}), "unsupported"},
        {"wrong block size", Riff({Fmt(1, 16, 1, 4), Data(200)}), "inconsistent"},
        {"RIFF size 4 past the file", Riff({Fmt(1), Data(200)}, 4), "truncated"},
        {"data chunk past the RIFF end", Riff({Fmt(1), Data(200, 202)}), "truncated"},
        {"empty data", Riff({Fmt(1), Data(0)}), "non-empty"},
        {"half a frame", Riff({Fmt(1), Data(199)}), "frames"},
        {"half a stereo frame", Riff({Fmt(2), Data(198)}), "frames"},
        {"not a WAV", Bytes(64, 'x'), "not a RIFF"},
        {"empty file", {}, "not a RIFF"},
    };
    for (const auto& c : cases) {
        SWavInfo info;
        std::string error;
        EXPECT_EQ(ParseWav(c.bytes, info, error), !*c.error) << c.name << ": " << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        if (!*c.error) {
            EXPECT_EQ(info.nDataOffset, c.dataAt) << c.name;
            EXPECT_EQ(info.nDataBytes, 200u) << c.name;
        }
    }
}

TEST(Tone, HasItsPitchAndLengthAndNoClickAtEitherEnd) {
    const std::vector<int16_t> tone = MakeToneSamples(880, 200, kRate);
    ASSERT_EQ(tone.size(), size_t(kRate / 5));
    int crossings = 0, peak = 0;
    for (size_t i = 1; i < tone.size(); ++i) crossings += (tone[i - 1] < 0) != (tone[i] < 0);
    for (int16_t v : tone) peak = std::max(peak, std::abs(int(v)));
    EXPECT_NEAR(crossings / 2.0 / 0.2, 880.0, 880.0 * 0.02);
    const size_t ms = kRate / 1000;
    for (size_t i = 0; i < ms; ++i)
        EXPECT_LT(std::max(std::abs(tone[i]), std::abs(tone[tone.size() - 1 - i])), peak / 4) << "sample " << i << " from an end";
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(0, m_manager.Initialize(nullptr, 2, kStereo, kRate, 16)) << m_log.All();
        m_pack.SetDatFile(KD_RES_PACK_PATH);
        ASSERT_TRUE(m_pack.Open()) << m_pack.LastError();
    }
    void TearDown() override { ShutdownSound(); }

    CLogCapture m_log;
    CSoundManager m_manager;
    CResource m_pack;
};

TEST_F(SoundTest, BrokenOrMissingSoundsAreSilentAndSafe) {
    for (const auto& [name, bytes] : {std::pair{"nofmt.wav", Riff({Data(200)})}, {"empty.wav", Bytes{}}}) {
        CSound* p = nullptr;
        EXPECT_NE(0, m_manager.CreateFromMemory(&p, bytes, name)) << name;
        EXPECT_EQ(nullptr, p) << name;
        EXPECT_TRUE(m_log.Mentions(name)) << m_log.All();
    }
    CSound* p = nullptr;
    EXPECT_TRUE(m_manager.CreateFromRes(&p, "nosuch.wav", m_pack, "sound") != 0 && !p);
}

TEST(SoundNoDevice, WithoutAnAudioDriverTheGameIsSilentButRuns) {
    CLogCapture log;
    ShutdownSound();
    setenv("SDL_AUDIODRIVER", "kelvodara_no_such_driver", 1);
    CSoundManager managers[2];
    for (CSoundManager& m : managers) EXPECT_NE(0, m.Initialize(nullptr, 2, kStereo, kRate, 16));
    EXPECT_EQ(1, log.CountContaining("Sound:", "silent")) << "logged once\n" << log.All();
    CSound* p = nullptr;
    EXPECT_TRUE(managers[0].CreateFromMemory(&p, MakeWav(std::vector<int16_t>(100, 1), kRate), "ramp") != 0 && !p);
    ShutdownSound();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(0, managers[1].Initialize(nullptr, 2, kStereo, kRate, 16)) << "a later start tries again";
    ShutdownSound();
}

}  // namespace
