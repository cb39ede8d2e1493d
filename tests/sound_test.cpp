// Sound tests, heard through SDL's dummy audio driver (it mixes in real time on its own thread; a
// post-mix tap records what would reach the speakers): the game's sounds load from the real pack,
// loudness follows the decibel law, looping, cutting and restarting are audible, and broken WAVs
// or a missing audio driver leave the game silent but running.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/framework/resource.h"
#include "app/framework/sound.h"
#include "app/framework/wav_format.h"
#include "platform/beep.h"
#include "platform/log.h"
#include "core/asset_names.h"
#include "log_capture.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 22050;
constexpr int kStereo = 2;
constexpr int kBits = 16;
constexpr int kPriorityLevel = 2;
constexpr int kPlayLooping = 1;
constexpr int kGameSoundCount = 20;
// The dummy driver keeps real time only roughly on a loaded machine; waits allow for that.
constexpr auto kSlack = 3s;
constexpr const char* kNoSuchDriver = "kelvodara_no_such_driver";

size_t FramesIn(std::chrono::milliseconds ms) { return static_cast<size_t>(kRate * ms.count() / 1000); }

// What the mixer hands the device, interleaved stereo; filled on the audio thread.
class CMixTap {
public:
    void Start() { Mix_SetPostMix(&CMixTap::OnMix, this); }
    void Stop() { Mix_SetPostMix(nullptr, nullptr); }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_samples.clear();
    }
    // Everything heard since Clear once at least `frames` frames have come; fails the test when
    // the mixer does not deliver them in time.
    std::vector<int16_t> Collect(size_t frames) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(frames * 1000 / kRate) + kSlack;
        while (Clock::now() < deadline) {
            {
                std::lock_guard lock(m_mutex);
                if (m_samples.size() >= frames * kStereo) return m_samples;
            }
            std::this_thread::sleep_for(5ms);
        }
        ADD_FAILURE() << "the mixer delivered too little within the time allowed";
        std::lock_guard lock(m_mutex);
        return m_samples;
    }
    // Waits for `count` more mixing periods (so what was decided before is certainly recorded).
    void WaitPeriods(int count) {
        const int target = Periods() + count;
        const auto deadline = Clock::now() + kSlack;
        while (Periods() < target && Clock::now() < deadline) std::this_thread::sleep_for(2ms);
    }

private:
    int Periods() {
        std::lock_guard lock(m_mutex);
        return m_nPeriods;
    }
    static void SDLCALL OnMix(void* pSelf, Uint8* pStream, int nLen) {
        auto* self = static_cast<CMixTap*>(pSelf);
        const auto* p = reinterpret_cast<const int16_t*>(pStream);
        std::lock_guard lock(self->m_mutex);
        self->m_samples.insert(self->m_samples.end(), p, p + nLen / 2);
        ++self->m_nPeriods;
    }
    std::mutex m_mutex;
    std::vector<int16_t> m_samples;
    int m_nPeriods = 0;
};

double Energy(const std::vector<int16_t>& s) {
    double sum = 0;
    for (int16_t v : s) sum += double(v) * v;
    return sum;
}

double Rms(const std::vector<int16_t>& s) { return s.empty() ? 0.0 : std::sqrt(Energy(s) / s.size()); }

int PeakAbs(const std::vector<int16_t>& s) {
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
    return peak;
}

std::vector<int16_t> LeftChannel(const std::vector<int16_t>& stereo) {
    std::vector<int16_t> left;
    for (size_t i = 0; i < stereo.size(); i += kStereo) left.push_back(stereo[i]);
    return left;
}

// Log lines captured for one test.
void OpenPack(CResource& pack) {
    const std::filesystem::path path(KD_RES_PACK_PATH);
    pack.SetDatFile(path.filename().string());
    pack.AddSearchDir(path.parent_path().string());
    ASSERT_TRUE(pack.Open()) << pack.LastError();
}

// A 16-bit mono WAV whose samples count up from `first`, so the mix shows where playback is.
std::vector<uint8_t> RampWav(int first, int frames) {
    std::vector<int16_t> ramp(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) ramp[static_cast<size_t>(i)] = static_cast<int16_t>(first + i);
    return MakeWav(ramp, kRate);
}

// The sound thread's handling of an effect request: the previous effect is stopped unless the
// caller keeps it, then the new one is rewound, stopped, given its volume and played once.
void PlayEffectLikeTheSoundThread(CSound* pPrevious, bool keepPrevious, CSound& next, long volume) {
    if (pPrevious && !keepPrevious) pPrevious->Stop();
    next.Reset();
    next.Stop();
    next.GetBuffer(0)->SetVolume(volume);
    next.Play(0, 0);
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(0, m_manager.Initialize(nullptr, kPriorityLevel, kStereo, kRate, kBits)) << m_log.All();
        int rate = 0;
        Uint16 format = 0;
        int channels = 0;
        ASSERT_NE(0, Mix_QuerySpec(&rate, &format, &channels));
        ASSERT_EQ(kRate, rate);
        ASSERT_EQ(AUDIO_S16SYS, format);
        ASSERT_EQ(kStereo, channels);
        OpenPack(m_pack);
        m_tap.Start();
    }
    void TearDown() override {
        m_tap.Stop();
        m_sounds.clear();
        platform::SetBeepHandler({});
        ShutdownSound();
    }
    // A sound from the pack's sound folder, owned by the test.
    CSound& Load(const std::string& file) {
        CSound* pSound = nullptr;
        EXPECT_EQ(0, m_manager.CreateFromRes(&pSound, file, m_pack, assets::kSoundFolder, 0xE0, nullptr, 1))
            << file << "\n"
            << m_log.All();
        if (!pSound) throw std::runtime_error("sound " + file + " did not load");
        m_sounds.emplace_back(pSound);
        return *pSound;
    }
    CSound& LoadBytes(const std::vector<uint8_t>& wav, const std::string& name) {
        CSound* pSound = nullptr;
        EXPECT_EQ(0, m_manager.CreateFromMemory(&pSound, wav, name)) << m_log.All();
        if (!pSound) throw std::runtime_error("sound " + name + " did not load");
        m_sounds.emplace_back(pSound);
        return *pSound;
    }
    // The whole mix of one play of a sound, from just before it starts to after it ends.
    std::vector<int16_t> RecordOnePlay(CSound& sound, long volume) {
        m_tap.WaitPeriods(1);
        m_tap.Clear();
        sound.GetBuffer(0)->SetVolume(volume);
        EXPECT_EQ(0, sound.Play(0, 0));
        const auto deadline = Clock::now() + kSlack;
        while (sound.IsPlaying() && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
        EXPECT_FALSE(sound.IsPlaying()) << "a sound played once never ended";
        m_tap.WaitPeriods(2);
        return m_tap.Collect(0);
    }

    CLogCapture m_log;
    CSoundManager m_manager;
    CResource m_pack;
    CMixTap m_tap;
    std::vector<std::unique_ptr<CSound>> m_sounds;
};

// ---- WAV layout --------------------------------------------------------------------------------

TEST(WavFormat, AcceptsWholePcmFilesAndNamesWhatIsWrongWithOthers) {
    const std::vector<int16_t> samples(100, 1234);
    const std::vector<uint8_t> good = MakeWav(samples, kRate);
    auto renamed = [&](size_t at, const char* id) {
        std::vector<uint8_t> b = good;
        std::copy(id, id + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    auto patched32 = [](std::vector<uint8_t> b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    constexpr size_t kFmtAt = 12, kFormatTagAt = 20, kDataAt = 36, kDataSizeAt = 40, kHeader = 44;
    std::vector<uint8_t> withList(good.begin(), good.begin() + kDataAt);
    for (const char c : std::string("LIST\3\0\0\0abc\0", 12)) withList.push_back(static_cast<uint8_t>(c));
    withList.insert(withList.end(), good.begin() + kDataAt, good.end());
    withList = patched32(withList, 4, static_cast<uint32_t>(withList.size() - 8));
    std::vector<uint8_t> cutData(good.begin(), good.end() - 50);
    std::vector<uint8_t> nonPcm = good;
    nonPcm[kFormatTagAt] = 3;
    // Stereo: 4-byte frames, so 198 bytes are whole samples but not whole frames.
    std::vector<uint8_t> stereoHalf = patched32(patched32(good, 28, kRate * 4), kDataSizeAt, 198);
    stereoHalf[22] = 2;
    stereoHalf[32] = 4;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
        const char* errorPart;  // expected in the message when not ok
        size_t dataOffset;      // expected when ok
    };
    const std::vector<Case> cases = {
        {"whole PCM file", good, true, "", kHeader},
        {"odd-sized chunk before the data", withList, true, "", kHeader + 12},
        {"no fmt chunk", renamed(kFmtAt, "junk"), false, "no fmt chunk", 0},
        {"no data chunk", renamed(kDataAt, "junk"), false, "no data chunk", 0},
        {"file cut short", cutData, false, "truncated", 0},
        {"data longer than the file", patched32(cutData, 4, static_cast<uint32_t>(cutData.size() - 8)), false,
         "truncated", 0},
        {"empty data", patched32(patched32(std::vector<uint8_t>(good.begin(), good.begin() + kHeader), 4, 36),
                                 kDataSizeAt, 0),
         false, "non-empty", 0},
        {"half a frame", patched32(good, kDataSizeAt, 199), false, "frames", 0},
        {"half a stereo frame", stereoHalf, false, "frames", 0},
        {"not PCM", nonPcm, false, "not PCM", 0},
        {"not a WAV", std::vector<uint8_t>(64, 'x'), false, "not a RIFF", 0},
        {"empty file", {}, false, "not a RIFF", 0},
    };
    for (const Case& c : cases) {
        SWavInfo info;
        std::string error;
        const bool ok = ParseWav(c.bytes, info, error);
        EXPECT_EQ(c.ok, ok) << c.name << ": error '" << error << "'";
        if (c.ok && ok) {
            EXPECT_EQ(kRate, info.nRate) << c.name;
            EXPECT_EQ(1, info.nChannels) << c.name;
            EXPECT_EQ(16, info.nBits) << c.name;
            EXPECT_EQ(c.dataOffset, info.nDataOffset) << c.name;
            EXPECT_EQ(samples.size() * 2, info.nDataBytes) << c.name;
        } else if (!c.ok) {
            EXPECT_NE(std::string::npos, error.find(c.errorPart))
                << c.name << ": expected '" << c.errorPart << "' in '" << error << "'";
        }
    }
}

// ---- volume law ---------------------------------------------------------------------------------

TEST(SoundVolume, HundredthsOfDecibelsMapToMixerVolume) {
    struct Case {
        long hundredthsDb;
        int mixer;
    };
    const Case cases[] = {{0, 128},  {500, 128},   {-1, 128},     {-600, 64},
                          {-1500, 23}, {-2000, 13}, {-6000, 0},  {-10000, 0}, {-20000, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.mixer, MixerVolumeFromHundredthsDb(c.hundredthsDb)) << "volume " << c.hundredthsDb;
}

// ---- the game's sounds --------------------------------------------------------------------------

TEST_F(SoundTest, EveryGameSoundLoadsOnItsOwnChannelOfOneSharedDevice) {
    CSoundManager managers[kGameSoundCount];
    std::set<int> channels;
    for (int i = 0; i < kGameSoundCount; ++i) {
        ASSERT_EQ(0, managers[i].Initialize(nullptr, kPriorityLevel, kStereo, kRate, kBits)) << "manager " << i;
        CSound* pSound = nullptr;
        ASSERT_EQ(0, managers[i].CreateFromRes(&pSound, assets::kSounds[static_cast<size_t>(i)], m_pack, "sound",
                                               0xE0, nullptr, 1))
            << "sound " << i << " " << assets::kSounds[static_cast<size_t>(i)] << "\n"
            << m_log.All();
        ASSERT_NE(nullptr, pSound);
        m_sounds.emplace_back(pSound);
        channels.insert(pSound->Channel());
        EXPECT_NE(nullptr, pSound->GetBuffer(0));
        EXPECT_EQ(nullptr, pSound->GetBuffer(1));
    }
    int rate = 0, outChannels = 0;
    Uint16 format = 0;
    EXPECT_EQ(1, Mix_QuerySpec(&rate, &format, &outChannels)) << "the device was opened more than once";
    EXPECT_EQ(kGameSoundCount, static_cast<int>(channels.size()));
    EXPECT_EQ(0, *channels.begin());
    EXPECT_EQ(kGameSoundCount - 1, *channels.rbegin());
    EXPECT_EQ(0, m_log.CountContaining("shares channel"));

    // All twenty at once are all heard; stopped, the mix falls silent.
    for (auto& s : m_sounds) {
        s->GetBuffer(0)->SetVolume(-2000);
        ASSERT_EQ(0, s->Play(0, 0));
    }
    for (size_t i = 0; i < m_sounds.size(); ++i) EXPECT_TRUE(m_sounds[i]->IsPlaying()) << "sound " << i;
    m_tap.Clear();
    EXPECT_GT(Rms(m_tap.Collect(FramesIn(50ms))), 100.0);
    for (auto& s : m_sounds) s->Stop();
    for (size_t i = 0; i < m_sounds.size(); ++i) EXPECT_FALSE(m_sounds[i]->IsPlaying()) << "sound " << i;
    m_tap.WaitPeriods(1);
    m_tap.Clear();
    EXPECT_EQ(0, PeakAbs(m_tap.Collect(FramesIn(50ms))));

    // A twenty-first sound still loads but has to share, and says so.
    CSound& extra = Load("click.wav");
    EXPECT_GE(extra.Channel(), 0);
    EXPECT_LT(extra.Channel(), kGameSoundCount);
    EXPECT_EQ(1, m_log.CountContaining("click.wav", "shares channel")) << m_log.All();
}

TEST_F(SoundTest, LoudnessFollowsTheDecibelLaw) {
    CSound& stone = Load("stone.wav");
    const double reference = std::sqrt(Energy(RecordOnePlay(stone, 0)));
    ASSERT_GT(reference, 0.0);
    for (long volume : {-600L, -1500L, -10000L}) {
        const double ratio = std::sqrt(Energy(RecordOnePlay(stone, volume))) / reference;
        const double expected = volume <= -10000 ? 0.0 : std::pow(10.0, volume / 2000.0);
        EXPECT_NEAR(expected, ratio, 0.01) << "volume " << volume << ": expected amplitude ratio " << expected
                                            << ", heard " << ratio;
    }
}

TEST_F(SoundTest, VolumeChangesWhilePlaying) {
    CSound& ramp = LoadBytes(RampWav(10000, kRate), "ramp");
    ASSERT_EQ(0, ramp.Play(0, kPlayLooping));
    ramp.GetBuffer(0)->SetVolume(-10000);
    EXPECT_EQ(-10000, ramp.GetBuffer(0)->GetVolume());
    m_tap.WaitPeriods(1);
    m_tap.Clear();
    EXPECT_EQ(0, PeakAbs(m_tap.Collect(FramesIn(50ms))));
    ramp.GetBuffer(0)->SetVolume(0);
    m_tap.WaitPeriods(1);
    m_tap.Clear();
    EXPECT_GE(PeakAbs(m_tap.Collect(FramesIn(50ms))), 10000);
}

TEST_F(SoundTest, OnlyALoopingSoundOutlastsItsLength) {
    CResource pack;
    OpenPack(pack);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(pack.ReadFile("sound", "click.wav", bytes));
    SWavInfo info;
    std::string error;
    ASSERT_TRUE(ParseWav(bytes, info, error)) << error;
    const auto length = std::chrono::milliseconds(info.nDataBytes * 1000 / (info.nBits / 8) / info.nRate);
    CSound& click = Load("click.wav");

    for (const bool looping : {true, false}) {
        ASSERT_EQ(0, click.Play(0, looping ? kPlayLooping : 0));
        std::this_thread::sleep_for(4 * length + 100ms);
        EXPECT_EQ(looping, click.IsPlaying()) << (looping ? "looping" : "once") << " after 4x its length";
        m_tap.Clear();
        const double rms = Rms(m_tap.Collect(FramesIn(length * 2)));
        if (looping)
            EXPECT_GT(rms, 100.0) << "a looping sound went quiet";
        else
            EXPECT_EQ(0.0, rms) << "a sound played once is still heard";
        click.Stop();
        EXPECT_FALSE(click.IsPlaying());
    }
}

TEST_F(SoundTest, ANewEffectCutsThePreviousUnlessItIsKept) {
    CSound& previous = Load("win.wav");
    CSound& next = Load("click.wav");
    for (const bool keep : {false, true}) {
        ASSERT_EQ(0, previous.Play(0, 0));
        std::this_thread::sleep_for(100ms);
        PlayEffectLikeTheSoundThread(&previous, keep, next, 0);
        EXPECT_TRUE(next.IsPlaying());
        std::this_thread::sleep_for(250ms);  // the click is over by now
        EXPECT_FALSE(next.IsPlaying());
        m_tap.WaitPeriods(1);
        m_tap.Clear();
        const std::vector<int16_t> heard = m_tap.Collect(FramesIn(100ms));
        if (keep) {
            EXPECT_TRUE(previous.IsPlaying());
            EXPECT_GT(Rms(heard), 50.0) << "the kept sound is not heard";
        } else {
            EXPECT_FALSE(previous.IsPlaying());
            EXPECT_EQ(0, PeakAbs(heard)) << "the cut sound is still heard";
        }
        previous.Stop();
    }
}

// Rewinding starts a sound over; stopping keeps its place for the next Play, as DirectSound does.
TEST_F(SoundTest, RewindStartsOverAndStopKeepsThePlace) {
    constexpr int kFirst = 2000;
    constexpr int kTolerance = 3;  // mono-to-stereo conversion may round by a step or two
    CSound& ramp = LoadBytes(RampWav(kFirst, kRate), "ramp");
    struct Case {
        const char* name;
        std::function<void()> restart;
        bool fromStart;
    };
    const Case cases[] = {
        {"rewound while playing", [&] { ramp.Reset(); }, true},
        {"the sound thread's replay", [&] { PlayEffectLikeTheSoundThread(&ramp, true, ramp, 0); }, true},
        {"left alone", [] {}, false},
        {"stopped and played again", [&] { ramp.Stop(); EXPECT_FALSE(ramp.IsPlaying()); ramp.Play(0, 0); }, false},
        {"stopped, rewound and played", [&] { ramp.Stop(); ramp.Reset(); ramp.Play(0, 0); }, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, ramp.Play(0, 0));
        std::this_thread::sleep_for(300ms);
        m_tap.Clear();
        c.restart();
        std::vector<int16_t> left = LeftChannel(m_tap.Collect(FramesIn(100ms)));
        left.erase(std::remove(left.begin(), left.end(), int16_t{0}), left.end());
        ASSERT_FALSE(left.empty()) << c.name;
        const int lowest = *std::min_element(left.begin(), left.end());
        if (c.fromStart)
            EXPECT_NEAR(kFirst, lowest, kTolerance) << c.name << ": the lowest ramp value heard";
        else
            EXPECT_GT(lowest, kFirst + 2000) << c.name << ": the lowest ramp value heard";
        ramp.Stop();
    }
}

TEST_F(SoundTest, BeepPlaysAToneOfTheAskedPitchAndLength) {
    InstallBeepTone();
    m_tap.WaitPeriods(1);
    m_tap.Clear();
    platform::Beep(880, 200);
    const std::vector<int16_t> left = LeftChannel(m_tap.Collect(FramesIn(400ms)));
    const auto first = std::find_if(left.begin(), left.end(), [](int16_t v) { return v != 0; });
    const auto last = std::find_if(left.rbegin(), left.rend(), [](int16_t v) { return v != 0; }).base();
    ASSERT_LT(first, last) << "no tone heard";
    const double seconds = double(last - first) / kRate;
    int crossings = 0;
    for (auto it = first + 1; it < last; ++it) crossings += (*(it - 1) < 0) != (*it < 0);
    EXPECT_NEAR(0.200, seconds, 0.01);
    EXPECT_NEAR(880.0, crossings / 2.0 / seconds, 880.0 * 0.03);
    EXPECT_EQ(1, m_log.CountContaining("Beep 880 Hz, 200 ms"));
}

// ---- failures -----------------------------------------------------------------------------------

TEST_F(SoundTest, BrokenOrMissingWavsLeaveNoSound) {
    const std::vector<uint8_t> good = RampWav(0, 100);
    std::vector<uint8_t> noFormat = good;
    std::copy_n("junk", 4, noFormat.begin() + 12);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"nofmt.wav", noFormat, "fmt"},
        {"empty.wav", {}, "RIFF"},
    };
    for (const Case& c : cases) {
        CSound* pSound = nullptr;
        EXPECT_NE(0, m_manager.CreateFromMemory(&pSound, c.bytes, c.name)) << c.name;
        EXPECT_EQ(nullptr, pSound) << c.name;
        EXPECT_EQ(1, m_log.CountContaining(c.name, c.reason)) << c.name << "\n" << m_log.All();
    }
    CSound* pMissing = nullptr;
    EXPECT_NE(0, m_manager.CreateFromRes(&pMissing, "nosuch.wav", m_pack, "sound", 0xE0, nullptr, 1));
    EXPECT_EQ(nullptr, pMissing);
    EXPECT_GE(m_log.CountContaining("nosuch.wav"), 1) << m_log.All();
    EXPECT_NE(0, m_manager.CreateFromMemory(nullptr, good, "no out pointer"));
}

TEST_F(SoundTest, ASoundThatOutlivesItsDeviceIsSilentAndSafe) {
    CSound& old = Load("click.wav");
    Load("shot.wav");
    ASSERT_EQ(0, old.Play(0, kPlayLooping));
    m_tap.Stop();
    ShutdownSound();
    ShutdownSound();  // closing twice frees nothing twice
    m_sounds.pop_back();  // deleted while no device is open
    EXPECT_FALSE(old.IsPlaying());
    EXPECT_NE(0, old.Play(0, 0));
    old.Stop();
    old.Reset();
    old.GetBuffer(0)->SetVolume(-500);
    EXPECT_EQ(-500, old.GetBuffer(0)->GetVolume());

    // A new device: new sounds take the channels from the start; the old one stays silent.
    ASSERT_EQ(0, m_manager.Initialize(nullptr, kPriorityLevel, kStereo, kRate, kBits));
    CSound& fresh = Load("click.wav");
    EXPECT_EQ(0, fresh.Channel());
    EXPECT_NE(0, old.Play(0, 0));
    EXPECT_FALSE(old.IsPlaying());
    EXPECT_EQ(0, fresh.Play(0, 0));
    EXPECT_TRUE(fresh.IsPlaying());
}

// The sound thread plays effects while the window thread starts and stops the music.
TEST_F(SoundTest, EffectsAndMusicFromTwoThreadsAtOnce) {
    CSound& music = Load("homus.wav");
    CSound* effects[] = {&Load("click.wav"), &Load("shot.wav"), &Load("change.wav"), &Load("error.wav")};
    constexpr int kRequests = 300;
    std::atomic<int> failedPlays = 0;
    std::thread soundThread([&] {
        CSound* pLast = nullptr;
        for (int i = 0; i < kRequests; ++i) {
            CSound& next = *effects[i % std::size(effects)];
            PlayEffectLikeTheSoundThread(pLast, false, next, -100L * (i % 20));
            if (!next.IsPlaying()) ++failedPlays;
            pLast = &next;
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < kRequests / 3; ++i) {
        if (music.Play(0, kPlayLooping) != 0) ++failedPlays;
        std::this_thread::sleep_for(2ms);
        music.Stop();
        if (music.IsPlaying()) ++failedPlays;
    }
    soundThread.join();
    EXPECT_EQ(0, failedPlays.load());
    ASSERT_EQ(0, music.Play(0, kPlayLooping));
    m_tap.WaitPeriods(1);
    m_tap.Clear();
    EXPECT_GT(Rms(m_tap.Collect(FramesIn(100ms))), 100.0) << "the music is not heard after the storm";
}

TEST(SoundNoDevice, WithoutAnAudioDriverTheGameIsSilentButRuns) {
    CLogCapture log;
    ShutdownSound();
    setenv("SDL_AUDIODRIVER", kNoSuchDriver, 1);
    CSoundManager managers[3];
    for (CSoundManager& m : managers) EXPECT_NE(0, m.Initialize(nullptr, kPriorityLevel, kStereo, kRate, kBits));
    EXPECT_EQ(1, log.CountContaining("Sound:", "silent")) << "the failure is logged once\n" << log.All();

    CResource pack;
    OpenPack(pack);
    CSound* pSound = nullptr;
    EXPECT_NE(0, managers[0].CreateFromRes(&pSound, "click.wav", pack, "sound", 0xE0, nullptr, 1));
    EXPECT_EQ(nullptr, pSound);
    EXPECT_NE(0, managers[0].CreateFromMemory(&pSound, RampWav(0, 100), "ramp"));
    EXPECT_EQ(nullptr, pSound);

    InstallBeepTone();
    platform::Beep(440, 50);  // only the log line
    EXPECT_EQ(1, log.CountContaining("Beep 440 Hz"));
    platform::SetBeepHandler({});
    ShutdownSound();
    ShutdownSound();

    // Once shut down, a later start tries again and finds the device.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(0, managers[1].Initialize(nullptr, kPriorityLevel, kStereo, kRate, kBits)) << log.All();
    ShutdownSound();
}

}  // namespace
