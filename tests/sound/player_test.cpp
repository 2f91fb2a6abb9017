// The music player on the headless wave output: loops and passes, pause and stop, the output
// layout, the 16-bit conversion, and the decoded sound against mpg123's decode of the same file.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/wave_out.h"
#include "sound/music_track.h"
#include "sound/pcm_dither.h"
#include "sound/wmp3.h"
#include "support/mp3_files.h"

namespace {
constexpr size_t FrameSamples = 1152;

class PlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        ClockUseVirtual(1000, 0);
        HeadlessClearWaveOutRecord();
    }
    // Lets the clock run until the sink has played `samples` samples (or a real-time limit).
    static void PlayUntil(size_t samples) {
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (HeadlessWaveOutSampleCount() < samples && std::chrono::steady_clock::now() < limit) {
            ClockAdvance(100);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Lets the clock run for `ms` of sound.
    static void LetClockRun(uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 50) {
            ClockAdvance(50);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Waits (in real time) until the sink has closed every output it opened.
    static bool OutputsClosed() {
        for (int i = 0; i < 2000; ++i) {
            HeadlessWaveRecord r = HeadlessWaveOutRecord();
            if (r.opens == r.closes) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
};

// Normalised correlation of the left channel of two stretches of `frames` stereo frames.
double Similarity(const std::vector<int16_t>& a, size_t fromA, const std::vector<int16_t>& b,
                  size_t fromB, size_t frames, int channels = 2) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < frames; ++i) {
        double x = a[(fromA + i) * channels], y = b[(fromB + i) * channels];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The frame offset near `guess` (within `reach` frames) where the recording repeats its start.
size_t FindRepeat(const std::vector<int16_t>& rec, size_t guess, size_t reach, double& best) {
    const size_t window = 4410, skip = 5 * FrameSamples;
    best = -1;
    size_t at = 0;
    for (size_t cand = guess - reach; cand <= guess + reach; ++cand) {
        double s = Similarity(rec, skip, rec, cand + skip, window);
        if (s > best) {
            best = s;
            at = cand;
        }
    }
    return at;
}

TEST_F(PlayerTest, OutputLayoutAndBufferTime) {
    auto bytes = ReadFixture("cbr128_plain.mp3");
    WMp3 player;
    ASSERT_EQ(player.OpenMp3Stream(bytes.data(), bytes.size(), 2000), 1);
    EXPECT_EQ(player.FramesPerBuffer(), 4u);
    EXPECT_EQ(player.Output().BufferCount(), 19u);
    EXPECT_EQ(player.Output().BufferMs(), 105u);
    EXPECT_EQ(player.Output().BufferBytes(), 18522u);
    EXPECT_EQ(player.Output().Format().avgBytesPerSec, 176400u);
    EXPECT_EQ(player.Output().Format().blockAlign, 4);

    auto mono = ReadFixture("mpeg2_mono.mp3");
    WMp3 low;
    ASSERT_EQ(low.OpenMp3Stream(mono.data(), mono.size(), 2000), 1);
    EXPECT_EQ(low.FramesPerBuffer(), 4u);
    EXPECT_EQ(low.Output().BufferCount(), 19u);
    EXPECT_EQ(low.Output().BufferBytes(), 44100u * 105 / 1000);

    WMp3 short199, ok200;
    EXPECT_EQ(short199.OpenMp3Stream(bytes.data(), bytes.size(), 199), 0);
    EXPECT_STREQ(short199.GetError(), "WMp3::_Open->Buffer can't be smaller than 200 ms");
    EXPECT_EQ(short199.GetSongLength(), 0u);
    EXPECT_EQ(ok200.OpenMp3Stream(bytes.data(), bytes.size(), 200), 1);
    EXPECT_EQ(ok200.Output().BufferCount(), 2u);
}

TEST_F(PlayerTest, OperationsWithoutStreamStoreTheirTexts) {
    WMp3 player;
    EXPECT_EQ(player.PlayLoopM(27, 60000, 10), 0);
    EXPECT_STREQ(player.GetError(), "WMp3::PlayLoopM->Strean isn't open!");
    EXPECT_EQ(player.Stop(), 0);
    EXPECT_STREQ(player.GetError(), "WMp3::Stop->Stream isn't open!");
    EXPECT_EQ(player.Pause(), 0);
    EXPECT_STREQ(player.GetError(), "WMp3::Pause->Strean isn't open!");
    EXPECT_EQ(player.Resume(), 0);
    EXPECT_STREQ(player.GetError(), "WMp3::Pause->Strean isn't open!");
    EXPECT_TRUE(player.GetStatus().fStop);

    MusicTrack missing("sounds//NoSuchTune.mp3");
    EXPECT_EQ(missing.Player(), nullptr);
    EXPECT_FALSE(missing.Play(27, 60000));
    EXPECT_FALSE(missing.Pause());
    EXPECT_FALSE(missing.Resume());
    EXPECT_FALSE(missing.Stop());
}

TEST_F(PlayerTest, LoopOfAMinuteOnALongerTuneStartsAgainAt27Ms) {
    MusicTrack tune(Fixture("tune75.mp3").c_str());
    ASSERT_NE(tune.Player(), nullptr);
    ASSERT_TRUE(tune.Play(27, 60000));
    // The pass is 2297 frames (60 s); the recording repeats its start one pass later.
    const size_t pass = 2297 * FrameSamples;
    PlayUntil((pass + 12 * FrameSamples) * 2);
    EXPECT_TRUE(tune.Player()->GetStatus().fPlay);
    EXPECT_EQ(tune.Player()->PassesDone(), 1u);
    EXPECT_TRUE(tune.Stop());
    EXPECT_TRUE(tune.Player()->GetStatus().fStop);
    EXPECT_TRUE(OutputsClosed());

    auto rec = HeadlessWaveOutRecord().samples;
    ASSERT_GE(rec.size(), (pass + 12 * FrameSamples) * 2);
    double best = 0;
    size_t repeat = FindRepeat(rec, pass, 3 * FrameSamples, best);
    EXPECT_GT(best, 0.99);
    EXPECT_NEAR(repeat * 1000.0 / 44100, 60000.0, 60.0);
    // The loop did not go on to the 60th second of the tune: the stretch before the repeat
    // differs from what follows it.
    EXPECT_LT(Similarity(rec, repeat - 4410, rec, pass / 2, 4410), 0.9);
}

TEST_F(PlayerTest, PassesOnAShorterTuneRunToItsEndAndStartAgain) {
    MusicTrack tune(Fixture("tune30.mp3").c_str());
    ASSERT_NE(tune.Player(), nullptr);
    uint32_t length = tune.Player()->GetSongLength();
    ASSERT_TRUE(tune.Play(27, 60000));
    // The first pass has the tune from its 27th ms to the end of its last frame.
    const size_t guess = static_cast<size_t>((length - 27) * 44.1);
    PlayUntil((2 * guess + 12 * FrameSamples) * 2);
    EXPECT_TRUE(tune.Stop());
    EXPECT_TRUE(OutputsClosed());
    auto rec = HeadlessWaveOutRecord().samples;
    ASSERT_GE(rec.size(), (2 * guess + 12 * FrameSamples) * 2);
    double best = 0;
    size_t first = FindRepeat(rec, guess, 4 * FrameSamples, best);
    EXPECT_GT(best, 0.99);
    EXPECT_NEAR(first * 1000.0 / 44100, length - 27.0, 60.0);
    size_t second = FindRepeat(rec, 2 * first, 2 * FrameSamples, best);
    EXPECT_GT(best, 0.99);
    EXPECT_NEAR(static_cast<double>(second), 2.0 * first, 2.0 * FrameSamples);
}

TEST_F(PlayerTest, PauseThenStopLeavesItStoppedAndMenuPlayResumes) {
    MusicTrack tune(Fixture("tune30.mp3").c_str());
    ASSERT_NE(tune.Player(), nullptr);
    ASSERT_TRUE(tune.Play(27, 60000));
    PlayUntil(44100 * 2);
    // Entering the menu again while it plays changes nothing.
    size_t position = tune.Player()->CurrentPosition();
    EXPECT_TRUE(tune.Play(27, 60000));
    EXPECT_EQ(tune.Player()->CurrentPosition(), position);
    EXPECT_TRUE(tune.Player()->GetStatus().fPlay);

    EXPECT_TRUE(tune.Pause());
    EXPECT_FALSE(tune.Pause());
    Mp3Status paused = tune.Player()->GetStatus();
    EXPECT_TRUE(paused.fPause);
    EXPECT_FALSE(paused.fPlay);
    size_t held = HeadlessWaveOutSampleCount();
    LetClockRun(1000);
    EXPECT_EQ(HeadlessWaveOutSampleCount(), held);
    // A paused run resumes when the menu plays again.
    EXPECT_TRUE(tune.Play(27, 60000));
    EXPECT_TRUE(tune.Player()->GetStatus().fPlay);
    PlayUntil(held + 44100);

    EXPECT_TRUE(tune.Pause());
    EXPECT_TRUE(tune.Stop());
    Mp3Status stopped = tune.Player()->GetStatus();
    EXPECT_TRUE(stopped.fStop);
    EXPECT_FALSE(stopped.fPause);
    EXPECT_FALSE(tune.Resume());
    EXPECT_TRUE(OutputsClosed());
    EXPECT_EQ(tune.Player()->CurrentPosition(), tune.Player()->Facts().audioStart);

    // After a stop the next play starts afresh from 27 ms.
    HeadlessClearWaveOutRecord();
    ASSERT_TRUE(tune.Play(27, 60000));
    PlayUntil(44100);
    EXPECT_TRUE(tune.Player()->GetStatus().fPlay);
    EXPECT_TRUE(tune.Stop());
}

TEST_F(PlayerTest, OutputThatCannotOpenEndsTheRun) {
    auto bytes = ReadFixture("cbr128_plain.mp3");
    WMp3 player;
    ASSERT_EQ(player.OpenMp3Stream(bytes.data(), bytes.size(), 2000), 1);
    InjectWaveOutFault(MMSYSERR_NODRIVER);
    ASSERT_EQ(player.PlayLoopM(0, 1000, 1), 1);
    for (int i = 0; i < 2000 && !player.GetStatus().fStop; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(player.GetStatus().fStop);
    EXPECT_STREQ(player.GetError(), "WMp3::_ThreadFunc->Can't open wave output");
    EXPECT_STREQ(player.Output().GetError(),
                 "WWaveOut::OpenAudioOutput->No device driver is present");
    // The player is not stuck: the next run plays.
    ASSERT_EQ(player.PlayLoopM(0, 1000, 1), 1);
    EXPECT_TRUE(player.GetStatus().fPlay);
    EXPECT_EQ(player.Stop(), 1);
}

TEST_F(PlayerTest, DecodedSoundMatchesMpg123WithinTheDither) {
    auto bytes = ReadFixture("cbr128_plain.mp3");
    auto raw = ReadFixture("cbr128_plain.raw");
    ASSERT_GT(raw.size(), 44100u * 4);
    std::vector<int16_t> reference(raw.size() / 2);
    for (size_t i = 0; i < reference.size(); ++i)
        reference[i] = static_cast<int16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    WMp3 player;
    ASSERT_EQ(player.OpenMp3Stream(bytes.data(), bytes.size(), 2000), 1);
    std::vector<int16_t> ours;
    size_t frames = player.DecodeToPcm(ours, UINT64_MAX);
    ASSERT_EQ(ours.size(), frames * 2);
    EXPECT_NEAR(static_cast<double>(ours.size()), static_cast<double>(reference.size()),
                2.0 * 2 * FrameSamples);

    // Line the two up (a decoder may lead by up to a frame), then compare.
    int lag = 0;
    double best = -1;
    for (int l = -2 * static_cast<int>(FrameSamples); l <= 2 * static_cast<int>(FrameSamples);
         ++l) {
        size_t a = 44100 + static_cast<size_t>(std::max(l, 0)),
               b = 44100 + static_cast<size_t>(std::max(-l, 0));
        double s = Similarity(ours, a, reference, b, 2048);
        if (s > best) {
            best = s;
            lag = l;
        }
    }
    size_t a = static_cast<size_t>(std::max(lag, 0)) * 2,
           b = static_cast<size_t>(std::max(-lag, 0)) * 2;
    size_t n = std::min(ours.size() - a, reference.size() - b);
    double signal = 0, noise = 0;
    for (size_t i = 0; i < n; ++i) {
        double x = reference[b + i], d = ours[a + i] - x;
        signal += x * x;
        noise += d * d;
    }
    ASSERT_GT(noise, 0.0);  // the dither is there
    double snr = 10 * std::log10(signal / noise);
    std::printf("decoded sound against mpg123: lag %d, SNR %.1f dB\n", lag, snr);
    RecordProperty("snr_db", static_cast<int>(snr));
    EXPECT_EQ(lag, 0);
    EXPECT_GT(snr, 60.0);
}

TEST(PcmDither, FullScaleClipsAndSilenceStaysNearZero) {
    DitherState top, bottom, quiet, far;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(ConvertSample(0x10000000, top), 32767);
        EXPECT_EQ(ConvertSample(-0x18000000, bottom), -32768);
        // Far beyond full scale, for long: the error terms never wrap round.
        EXPECT_EQ(ConvertSample(i % 2 ? INT32_MAX : 0x7F000000, far), 32767);
        int16_t v = ConvertSample(0, quiet);
        EXPECT_GE(v, -2);
        EXPECT_LE(v, 2);
    }
    DitherState once;
    EXPECT_EQ(ConvertSample(INT32_MIN, once), -32768);
    // On average a steady level converts to its exact 16-bit value.
    DitherState steady;
    double sum = 0;
    for (int i = 0; i < 20000; ++i)
        sum += ConvertSample(0x04000000 + 0x1000, steady);  // 8192.5 steps
    EXPECT_NEAR(sum / 20000, 8192.5, 0.05);
}
}  // namespace
