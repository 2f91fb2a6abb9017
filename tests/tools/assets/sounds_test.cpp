// The sound effects and tunes as the game reads them: every WAV through the RIFF reader and the
// effect loader, both tunes through the music player's stream probe and its decode path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "asset_files.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/headless.h"
#include "platform/riff.h"
#include "platform/sound_device.h"
#include "sound/effects.h"
#include "sound/music_track.h"
#include "sound/sound_fx.h"
#include "sound/wave_file.h"
#include "sound/wmp3.h"

namespace {
// An effect file as the RIFF reader and the effect loader's chunk walk see it.
struct Wav {
    std::string error;  // empty when the file reads
    WaveFileInfo info;
    int64_t riffSize = 0, fileSize = 0;
    std::vector<int16_t> samples;
    int Channels() const { return info.format.channels; }
    double Seconds() const {
        return info.format.channels && info.format.samplesPerSec
                   ? double(samples.size()) / info.format.channels / info.format.samplesPerSec
                   : 0;
    }
};

// The file of an effect id in the generated folder.
std::string EffectFile(uint8_t id) {
    std::string rel = EffectPath(id);
    std::replace(rel.begin(), rel.end(), '\\', '/');
    return GeneratedAssets() + "/" + rel;
}

// The effect id whose file is sounds\<name>.wav; 0 when the effect list has no such file.
uint8_t EffectId(const std::string& name) {
    for (int id = 1; id <= EffectCount; ++id)
        if (std::string(EffectPath(uint8_t(id))) == "sounds\\" + name + ".wav") return uint8_t(id);
    return 0;
}

Wav ReadEffect(uint8_t id) {
    Wav w;
    RiffFile* file = RiffOpen(EffectFile(id).c_str());
    if (!file) {
        w.error = "cannot be opened";
        return w;
    }
    w.fileSize = RiffFileSize(file);
    RiffChunk riff;
    if (RiffDescend(file, riff, nullptr, 0)) w.riffSize = riff.cksize;
    if (RiffSeek(file, 0, 0) != 0 || !ReadWaveFile(file, w.info)) {
        w.error = "no fmt or data chunk";
    } else {
        std::vector<uint8_t> bytes(w.info.dataSize);
        RiffSeek(file, w.info.dataOffset, 0);
        if (RiffRead(file, bytes.data(), int64_t(bytes.size())) != int64_t(bytes.size()))
            w.error = "data chunk cut short";
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            w.samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
    }
    RiffClose(file);
    return w;
}

Wav Effect(const std::string& name) {
    uint8_t id = EffectId(name);
    EXPECT_NE(id, 0) << name << " is not in the effect list";
    return id ? ReadEffect(id) : Wav{};
}

int Peak(const Wav& w) {
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// The game's working folder is the generated one while a test runs.
class InGeneratedFolder {
  public:
    InGeneratedFolder() : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(GeneratedAssets());
    }
    ~InGeneratedFolder() { std::filesystem::current_path(old_); }

  private:
    std::filesystem::path old_;
};

std::vector<std::string> gMessages;
void CollectMessage(const char* title, const char* text) {
    gMessages.push_back(std::string(title) + ": " + text);
}

class Sounds : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(GeneratedAssets().empty()) << "the generator failed"; }
};

TEST_F(Sounds, EveryEffectIsAnAudiblePcmWave) {
    for (int id = 1; id <= EffectCount; ++id) {
        SCOPED_TRACE(EffectPath(uint8_t(id)));
        Wav w = ReadEffect(uint8_t(id));
        ASSERT_EQ(w.error, "");
        const WaveFormat& f = w.info.format;
        EXPECT_EQ(f.formatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(f.extraSize, 0);
        EXPECT_EQ(f.bitsPerSample, 16);
        EXPECT_EQ(f.samplesPerSec, 44100u);
        EXPECT_TRUE(f.channels == 1 || f.channels == 2);
        EXPECT_EQ(f.blockAlign, f.channels * 2);
        EXPECT_EQ(f.avgBytesPerSec, f.samplesPerSec * f.blockAlign);
        // The RIFF chunk covers the file, and the data chunk holds all it claims.
        EXPECT_EQ(w.riffSize + 8, w.fileSize);
        EXPECT_EQ(w.info.dataClaimed, w.info.dataSize);
        EXPECT_EQ(w.info.dataSize % f.blockAlign, 0u);
        EXPECT_GT(w.Seconds(), 0.03);
        EXPECT_LT(w.Seconds(), 8.0);
        int peak = Peak(w);
        EXPECT_GT(peak, 16000) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

TEST_F(Sounds, EffectsAreDistinct) {
    std::set<std::vector<int16_t>> seen;
    for (int id = 1; id <= EffectCount; ++id) seen.insert(ReadEffect(uint8_t(id)).samples);
    EXPECT_EQ(seen.size(), size_t(EffectCount));
}

TEST_F(Sounds, LengthsSuitWhereTheGamePlaysThem) {
    // The screen stands still until the build-up ends.
    EXPECT_LE(Effect("AnswerBuildUp").Seconds(), 1.5);
    // The warning tick repeats every 80 ms at its fastest.
    EXPECT_LE(Effect("Timer").Seconds(), 0.1);
    // A button press animation lasts 400 ms.
    EXPECT_LE(Effect("Button").Seconds(), 0.4);
    // The pour runs with the one-second fill of the clock.
    EXPECT_GE(Effect("Pour").Seconds(), 0.8);
    EXPECT_LE(Effect("Pour").Seconds(), 1.6);
    // The murmur loops under the rules screen: long enough not to be heard repeating.
    EXPECT_GE(Effect("Mumbling").Seconds(), 3.0);
}

TEST_F(Sounds, TheMurmurLoopsWithoutAClick) {
    Wav w = Effect("Mumbling");
    ASSERT_GT(w.samples.size(), 1000u);
    int ch = w.Channels();
    size_t frames = w.samples.size() / ch;
    // The step from the last frame back to the first is no bigger than the steps inside.
    double typical = 0;
    int biggest = 0;
    for (size_t i = 1; i < frames; ++i)
        for (int c = 0; c < ch; ++c) {
            int d = std::abs(w.samples[i * ch + c] - w.samples[(i - 1) * ch + c]);
            typical += d;
            biggest = std::max(biggest, d);
        }
    typical /= double(frames - 1) * ch;
    for (int c = 0; c < ch; ++c) {
        int seam = std::abs(w.samples[c] - w.samples[(frames - 1) * ch + c]);
        EXPECT_LE(seam, std::max(4 * typical, double(biggest) / 2));
    }
    // Other effects end in silence (no click when they stop).
    for (const char* name : {"Correct", "InCorrect", "glass", "Joker"}) {
        Wav e = Effect(name);
        ASSERT_FALSE(e.samples.empty()) << name;
        EXPECT_LE(std::abs(e.samples.back()), 64) << name;
    }
}

// Each effect, played by the game from the generated folder on the headless sound device, sounds
// exactly its file's samples for its whole length and then ends by itself.
TEST_F(Sounds, EveryEffectPlaysThroughTheEffectLoaderForItsWholeLength) {
    InGeneratedFolder here;
    SelectBackend(Backend::Headless);
    ClockUseVirtual(1000, 0);
    gMessages.clear();
    SetFailureMessageSink(CollectMessage);
    ASSERT_TRUE(InitSound());
    HeadlessSoundCatchUp();
    for (int id = 1; id <= EffectCount; ++id) {
        SCOPED_TRACE(EffectPath(uint8_t(id)));
        Wav w = ReadEffect(uint8_t(id));
        ASSERT_EQ(w.error, "");
        size_t frames = w.samples.size() / w.Channels();
        uint32_t ms = uint32_t(frames * 1000 / 44100);
        HeadlessClearSoundRecord();
        PlayEffect(uint8_t(id));
        ASSERT_NE(CurrentSoundFx()->Buffer(id - 1), 0u) << "the effect loader made no buffer";
        EXPECT_TRUE(IsEffectPlaying(uint8_t(id)));
        ClockAdvance(ms > 3 ? ms - 3 : 0);
        HeadlessSoundCatchUp();
        EXPECT_TRUE(IsEffectPlaying(uint8_t(id))) << "ended early";
        ClockAdvance(10);
        HeadlessSoundCatchUp();
        EXPECT_FALSE(IsEffectPlaying(uint8_t(id))) << "still playing after its end";
        // The device got the file's samples, a mono sound on both sides.
        std::vector<int16_t> mixed = HeadlessMixedSamples();
        ASSERT_EQ(mixed.size(), frames * 2);
        size_t differ = 0;
        for (size_t i = 0; i < frames; ++i)
            for (int side = 0; side < 2; ++side)
                if (mixed[2 * i + side] != w.samples[i * w.Channels() + side % w.Channels()])
                    ++differ;
        EXPECT_EQ(differ, 0u);
    }
    EXPECT_TRUE(gMessages.empty()) << gMessages.front();
    SetFailureMessageSink(nullptr);
}

// A tune as the game opens it: the whole file through the music track, whose player probes it.
struct Tune {
    explicit Tune(const char* path) : track(path) {}
    InGeneratedFolder here;
    MusicTrack track;
};

TEST_F(Sounds, TunesOpenThroughTheStreamProbe) {
    for (const char* path : {"sounds//MainTune.mp3", "sounds//Rules.mp3"}) {
        SCOPED_TRACE(path);
        Tune tune(path);
        WMp3* player = tune.track.Player();
        ASSERT_NE(player, nullptr) << "the probe refused the file";
        const Mp3StreamFacts& f = player->Facts();
        EXPECT_EQ(f.sampleRate, 44100u);
        EXPECT_EQ(f.channels, 2);
        EXPECT_EQ(f.mpegVersion, 0);
        EXPECT_EQ(f.layer, 3);
        EXPECT_EQ(f.samplesPerFrame, 1152u);
        // Two seconds of output in 19 buffers of four frames, as on the cabinet.
        EXPECT_EQ(player->FramesPerBuffer(), 4u);
        EXPECT_EQ(player->Output().BufferCount(), 19u);
        EXPECT_GE(player->GetSongLength(), 10000u);
        // No tag in front: the stream starts with a frame header.
        std::vector<uint8_t> b = ReadBytes(GeneratedAssets() + "/sounds/" + (path + 8));
        ASSERT_GE(b.size(), 4u);
        EXPECT_EQ(b[0], 0xFF);
        EXPECT_EQ(b[1] & 0xE0, 0xE0);
    }
    // The menu loops 60 s from 27 ms in: the main tune must hold at least that.
    Tune main("sounds//MainTune.mp3");
    ASSERT_NE(main.track.Player(), nullptr);
    EXPECT_GE(main.track.Player()->GetSongLength(), 60100u);
    EXPECT_LE(main.track.Player()->GetSongLength(), 90000u);
}

// What the player decodes lasts as long as the probe says, to within a frame.
TEST_F(Sounds, TheProbedLengthIsWhatThePlayerDecodes) {
    for (const char* path : {"sounds//MainTune.mp3", "sounds//Rules.mp3"}) {
        SCOPED_TRACE(path);
        Tune tune(path);
        WMp3* player = tune.track.Player();
        ASSERT_NE(player, nullptr);
        ASSERT_EQ(player->SeekM(0), 1);
        std::vector<int16_t> pcm;
        size_t frames = player->DecodeToPcm(pcm, UINT64_MAX);
        double decodedMs = frames * 1000.0 / 44100;
        EXPECT_NEAR(decodedMs, double(player->GetSongLength()), 27.0);
        int peak = 0;
        for (int16_t s : pcm) peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

TEST_F(Sounds, TheMainTuneRepeatsEverySixtySeconds) {
    // Decoded by the player from where the menu's loop starts, the tune's 60th second sounds like
    // its first, so the loop has no seam.
    Tune tune("sounds//MainTune.mp3");
    WMp3* player = tune.track.Player();
    ASSERT_NE(player, nullptr);
    ASSERT_EQ(player->SeekM(27), 1);
    std::vector<int16_t> pcm;
    ASSERT_EQ(player->DecodeToPcm(pcm, 62 * 44100), size_t(62 * 44100));
    // The left channel.
    auto correlation = [&](size_t a, size_t b, size_t len) {
        double ab = 0, aa = 0, bb = 0;
        for (size_t i = 0; i < len; ++i) {
            double x = pcm[2 * (a + i)], y = pcm[2 * (b + i)];
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        return ab / std::sqrt(aa * bb + 1);
    };
    EXPECT_GT(correlation(44100, 61 * 44100, 44100), 0.95);
    // Not a tune that is the same all through.
    EXPECT_LT(correlation(44100, 31 * 44100, 44100), 0.8);
}
}  // namespace
