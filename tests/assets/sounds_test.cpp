// The sound effects and tunes: 44 distinct PCM WAV files of the right names and lengths, and
// two MP3 tunes at 44.1 kHz of the lengths the menu's loop needs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "asset_files.h"

namespace {
const char* const kEffects[44] = {
    "teletype",      "InCorrect",   "Button",      "AnimationSpin",
    "Timer",         "TimerUp",     "AddPoints",   "Mumbling",
    "Correct",       "SmallPoints", "BigPoints",   "CashWinplan",
    "DoubleOrQuits", "ExtraReveal", "TrueOrFalse", "LosePoints",
    "Bell",          "YourOut",     "Whistle",     "LeftUn",
    "RightUn",       "Bloop",       "GridStop",    "QuestionPop",
    "glass",         "GlassDown",   "burp",        "ah",
    "smacky",        "Gulp",        "hohohoho",    "shhhh",
    "GameOver",      "Pour",        "Up",          "Down",
    "TryAgain",      "TeamGone1",   "TeamGone2",   "Joker",
    "Skip",          "BigTeamsUp",  "TimeOut",     "AnswerBuildUp",
};

struct Wav {
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
    double Seconds() const { return double(samples.size()) / channels / rate; }
};

// Reads a RIFF WAVE file chunk by chunk; format 0 when it is not one.
Wav ReadWav(const std::string& path) {
    Wav w;
    std::vector<uint8_t> b = ReadBytes(path);
    auto u32 = [&](size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
    };
    auto u16 = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE" || u32(4) + 8 != b.size())
        return w;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        std::string tag(b.begin() + at, b.begin() + at + 4);
        uint32_t size = u32(at + 4);
        if (at + 8 + size > b.size()) return Wav{};
        if (tag == "fmt ") {
            w.format = u16(at + 8);
            w.channels = u16(at + 10);
            w.rate = int(u32(at + 12));
            w.bits = u16(at + 22);
        } else if (tag == "data") {
            for (size_t i = 0; i + 1 < size; i += 2) w.samples.push_back(int16_t(u16(at + 8 + i)));
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

Wav Effect(const char* name) {
    return ReadWav(GeneratedAssets() + "/sounds/" + name + ".wav");
}

int Peak(const Wav& w) {
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    return peak;
}

class Sounds : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(GeneratedAssets().empty()) << "the generator failed"; }
};

TEST_F(Sounds, EveryEffectIsAnAudiblePcmWave) {
    for (const char* name : kEffects) {
        SCOPED_TRACE(name);
        Wav w = Effect(name);
        ASSERT_EQ(w.format, 1) << "not a PCM WAV";
        EXPECT_EQ(w.bits, 16);
        EXPECT_EQ(w.rate, 44100);
        EXPECT_TRUE(w.channels == 1 || w.channels == 2);
        EXPECT_GT(w.Seconds(), 0.03);
        EXPECT_LT(w.Seconds(), 8.0);
        int peak = Peak(w);
        EXPECT_GT(peak, 16000) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

TEST_F(Sounds, EffectsAreDistinct) {
    std::set<std::vector<int16_t>> seen;
    for (const char* name : kEffects) seen.insert(Effect(name).samples);
    EXPECT_EQ(seen.size(), 44u);
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
    int ch = w.channels;
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
        EXPECT_LE(std::abs(e.samples.back()), 64) << name;
    }
}

struct Probe {
    std::string codec;
    int rate = 0, channels = 0;
    double seconds = 0;
};

Probe ProbeMp3(const std::string& name) {
    Probe p;
    int status = 0;
    std::string out = RunCommand(
        "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,duration -of "
        "default=noprint_wrappers=1 '" +
            GeneratedAssets() + "/sounds/" + name + "' 2>/dev/null",
        &status);
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string k = line.substr(0, eq), v = line.substr(eq + 1);
        if (k == "codec_name") p.codec = v;
        if (k == "sample_rate") p.rate = std::atoi(v.c_str());
        if (k == "channels") p.channels = std::atoi(v.c_str());
        if (k == "duration") p.seconds = std::atof(v.c_str());
    }
    return p;
}

TEST_F(Sounds, TunesAreMp3At44100Hz) {
    Probe main = ProbeMp3("MainTune.mp3");
    EXPECT_EQ(main.codec, "mp3");
    EXPECT_EQ(main.rate, 44100);
    EXPECT_EQ(main.channels, 2);
    // The menu loops 60 s from 27 ms in: the tune must hold at least that.
    EXPECT_GE(main.seconds, 60.1);
    EXPECT_LE(main.seconds, 90.0);
    Probe rules = ProbeMp3("Rules.mp3");
    EXPECT_EQ(rules.codec, "mp3");
    EXPECT_EQ(rules.rate, 44100);
    EXPECT_GE(rules.seconds, 10.0);
    // No tag in front: the stream starts with a frame header.
    std::vector<uint8_t> b = ReadBytes(GeneratedAssets() + "/sounds/MainTune.mp3");
    ASSERT_GE(b.size(), 4u);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1] & 0xE0, 0xE0);
}

TEST_F(Sounds, TheMainTuneRepeatsEverySixtySeconds) {
    // Decoded, the tune's 60th second sounds like its first, so the menu's loop has no seam.
    int status = 0;
    std::string pcm = RunCommand("ffmpeg -v error -i '" + GeneratedAssets() +
                                     "/sounds/MainTune.mp3' -ac 1 -f s16le - 2>/dev/null",
                                 &status);
    ASSERT_EQ(status, 0);
    const int16_t* s = reinterpret_cast<const int16_t*>(pcm.data());
    size_t n = pcm.size() / 2;
    ASSERT_GT(n, size_t(62 * 44100));
    auto correlation = [&](size_t a, size_t b, size_t len) {
        double ab = 0, aa = 0, bb = 0;
        for (size_t i = 0; i < len; ++i) {
            ab += double(s[a + i]) * s[b + i];
            aa += double(s[a + i]) * s[a + i];
            bb += double(s[b + i]) * s[b + i];
        }
        return ab / std::sqrt(aa * bb + 1);
    };
    EXPECT_GT(correlation(44100, 61 * 44100, 44100), 0.95);
    // Not a tune that is the same all through.
    EXPECT_LT(correlation(44100, 31 * 44100, 44100), 0.8);
}
}  // namespace
