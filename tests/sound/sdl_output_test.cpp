// The SDL2 output: effects and the music player mixed into the one device. The disk audio driver
// writes the mixed sound to a file, in which the tune and the effect can both be found.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/sound_device.h"
#include "sound/effect_ids.h"
#include "sound/effects.h"
#include "sound/music_track.h"
#include "support/mp3_files.h"
#include "support/scratch.h"
#include "support/wav_files.h"

namespace {
// The button click's effect id: its place in the effect list.

// Power of one frequency in a stretch of the left channel (Goertzel), relative to full scale.
double TonePower(const std::vector<int16_t>& s, size_t from, size_t frames, double hz) {
    double k = 2 * std::cos(2 * M_PI * hz / 44100), a = 0, b = 0;
    for (size_t i = 0; i < frames; ++i) {
        double c = s[2 * (from + i)] / 32768.0 + k * a - b;
        b = a;
        a = c;
    }
    return (a * a + b * b - k * a * b) / (frames * frames);
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t frames) {
    double sum = 0;
    for (size_t i = 0; i < frames; ++i) sum += double(s[2 * (from + i)]) * s[2 * (from + i)];
    return std::sqrt(sum / frames);
}

TEST(SdlOutput, TuneAndEffectAreMixedIntoTheDevice) {
    ScratchDir dir;
    std::filesystem::create_directory("sounds");
    std::vector<int16_t> tone(44100 * 3 / 10);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 3000 * i / 44100.0));
    ASSERT_TRUE(WriteBytes("sounds/Button.wav", MakeWav(WavLayout{}, Pcm16(tone))));
    std::string out = (dir.path() / "mixed.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    SelectBackend(Backend::Sdl);
    ClockUseReal();
    ASSERT_EQ(SoundDeviceCreate(), DS_OK);  // the output opens on this thread, as at start-up
    ASSERT_TRUE(InitSound());
    MusicTrack tune(Fixture("tune30.mp3").c_str());
    ASSERT_NE(tune.Player(), nullptr);
    ASSERT_TRUE(tune.Play(27, 60000));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    PlayEffect(EffectButton);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_TRUE(tune.Stop());
    StopAllEffects();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    auto bytes = std::vector<uint8_t>();
    {
        std::ifstream in(out, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<int16_t> mixed(bytes.size() / 2);
    for (size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    ASSERT_GT(mixed.size(), 44100u * 2);
    bool tuneAlone = false, effect = false;
    for (size_t at = 0; at + 2205 <= mixed.size() / 2; at += 2205) {
        double p = TonePower(mixed, at, 2205, 3000);
        if (Rms(mixed, at, 2205) > 1000 && p < 1e-4) tuneAlone = true;
        if (p > 0.01) effect = true;
    }
    EXPECT_TRUE(tuneAlone);
    EXPECT_TRUE(effect);
}

// Without any sound output the cabinet runs silent: the device failure is told once, effects and
// music do nothing, and nothing hangs.
TEST(SdlOutput, NoSoundOutputLeavesTheGameSilent) {
    ScratchDir dir;
    std::filesystem::create_directory("sounds");
    ASSERT_TRUE(WriteBytes("sounds/Button.wav",
                           MakeWav(WavLayout{}, Pcm16(std::vector<int16_t>(4410, 100)))));
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SelectBackend(Backend::Sdl);
    ClockUseReal();
    if (SoundDeviceCreate() == DS_OK) GTEST_SKIP() << "this process opened the SDL output earlier";
    ASSERT_TRUE(InitSound());
    PlayEffect(EffectButton);
    EXPECT_FALSE(IsEffectPlaying(EffectButton));
    PlayEffectAndWait(EffectButton);
    StopAllEffects();

    MusicTrack tune(Fixture("tune30.mp3").c_str());
    ASSERT_NE(tune.Player(), nullptr);
    EXPECT_TRUE(tune.Play(27, 60000));
    for (int i = 0; i < 2000 && !tune.Player()->GetStatus().fStop; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(tune.Player()->GetStatus().fStop);
    EXPECT_STREQ(tune.Player()->GetError(), "WMp3::_ThreadFunc->Can't open wave output");
    EXPECT_TRUE(tune.Stop());
}
}  // namespace
