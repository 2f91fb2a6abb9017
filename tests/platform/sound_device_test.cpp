// The headless sound device: formats converted once to the device format, play, loop, stop,
// status and position, and the RIFF reader under it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/riff.h"
#include "platform/sound_device.h"
#include "support/scratch.h"
#include "support/wav_files.h"

namespace {
WaveFormat Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}

class SoundDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        ClockUseVirtual(777000, 0);
        ASSERT_EQ(SoundDeviceCreate(), DS_OK);
        HeadlessSoundCatchUp();
        HeadlessClearSoundRecord();
    }
    SoundBufferHandle Make(const WaveFormat& f, const std::vector<uint8_t>& bytes) {
        SoundBufferDesc desc;
        desc.flags = DSBCAPS_STATIC;
        desc.bufferBytes = static_cast<uint32_t>(bytes.size());
        desc.format = &f;
        SoundBufferHandle b = 0;
        EXPECT_EQ(SoundDeviceCreateBuffer(desc, &b), DS_OK);
        void* p = nullptr;
        uint32_t n = 0;
        EXPECT_EQ(SoundBufferLock(b, 0, desc.bufferBytes, &p, &n, nullptr, nullptr), DS_OK);
        EXPECT_EQ(n, desc.bufferBytes);
        std::memcpy(p, bytes.data(), n);
        EXPECT_EQ(SoundBufferUnlock(b, p, n, nullptr, 0), DS_OK);
        return b;
    }
    static std::vector<int16_t> PlayAll(SoundBufferHandle b, uint32_t ms) {
        HeadlessClearSoundRecord();
        SoundBufferSetCurrentPosition(b, 0);
        SoundBufferPlay(b, 0);
        ClockAdvance(ms);
        HeadlessSoundCatchUp();
        return HeadlessMixedSamples();
    }
};

TEST_F(SoundDeviceTest, FormatsAreConvertedToTheDeviceFormat) {
    // 8-bit unsigned mono at 22050 Hz: twice as many device frames, both sides alike.
    SoundBufferHandle eight = Make(Format(1, 1, 22050, 8), {128, 192, 255, 0});
    auto m = PlayAll(eight, 100);
    ASSERT_EQ(m.size(), 8u * 2);
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[1], 0);
    EXPECT_EQ(m[2], 32 * 256);  // halfway to the next source frame
    EXPECT_EQ(m[4], 64 * 256);
    EXPECT_EQ(m[8], 127 * 256);
    EXPECT_EQ(m[12], -128 * 256);

    // 16-bit stereo keeps its sides; 32-bit float is scaled to 16 bits.
    SoundBufferHandle stereo = Make(Format(1, 2, 44100, 16), Pcm16({100, -200, 300, -400}));
    m = PlayAll(stereo, 100);
    EXPECT_EQ(m, (std::vector<int16_t>{100, -200, 300, -400}));
    std::vector<uint8_t> floats(8);
    float vals[2] = {0.5f, -1.0f};
    std::memcpy(floats.data(), vals, 8);
    SoundBufferHandle fl = Make(Format(3, 1, 44100, 32), floats);
    m = PlayAll(fl, 100);
    EXPECT_EQ(m, (std::vector<int16_t>{16383, 16383, -32767, -32767}));

    // A compressed format is refused when the buffer is made.
    WaveFormat adpcm = Format(2, 1, 22050, 4);
    adpcm.blockAlign = 256;
    SoundBufferDesc desc;
    desc.bufferBytes = 512;
    desc.format = &adpcm;
    SoundBufferHandle b = 99;
    EXPECT_EQ(SoundDeviceCreateBuffer(desc, &b), DSERR_BADFORMAT);
    EXPECT_EQ(b, 0u);
    desc.format = nullptr;
    EXPECT_EQ(SoundDeviceCreateBuffer(desc, &b), DSERR_INVALIDPARAM);
}

TEST_F(SoundDeviceTest, LoopStatusPositionAndStop) {
    SoundBufferHandle b = Make(Format(1, 1, 44100, 16), Pcm16({10, 20, 30, 40}));
    uint32_t status = 99;
    ASSERT_EQ(SoundBufferGetStatus(b, &status), DS_OK);
    EXPECT_EQ(status, 0u);
    ASSERT_EQ(SoundBufferSetCurrentPosition(b, 4), DS_OK);  // byte 4: the third frame
    ASSERT_EQ(SoundBufferPlay(b, DSBPLAY_LOOPING), DS_OK);
    SoundBufferGetStatus(b, &status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ClockAdvance(1);  // 44.1 frames
    HeadlessSoundCatchUp();
    auto m = HeadlessMixedSamples();
    ASSERT_EQ(m.size(), 44u * 2);
    std::vector<int16_t> left;
    for (size_t i = 0; i < 8; ++i) left.push_back(m[2 * i]);
    EXPECT_EQ(left, (std::vector<int16_t>{30, 40, 10, 20, 30, 40, 10, 20}));
    ASSERT_EQ(SoundBufferStop(b), DS_OK);
    SoundBufferGetStatus(b, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(SoundBufferSetCurrentPosition(b, 9), DSERR_INVALIDPARAM);
    EXPECT_EQ(SoundBufferPlay(0, 0), DSERR_INVALIDPARAM);
    auto events = HeadlessSoundEvents();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].kind, SoundEventKind::Positioned);
    EXPECT_EQ(events[1].kind, SoundEventKind::Looped);
    EXPECT_EQ(events[2].kind, SoundEventKind::Stopped);
}

// A sink that only keeps time ends and loops effects at the clock times that mixing gives them,
// and the loop carries on from the same place when mixing resumes; nothing is recorded meanwhile.
TEST_F(SoundDeviceTest, KeepingTimeOnlyMovesEffectsAsMixingWould) {
    std::vector<int16_t> ramp;
    for (int16_t i = 1; i <= 1000; ++i) ramp.push_back(i);  // about 23 ms at 44100 Hz
    SoundBufferHandle once = Make(Format(1, 1, 44100, 16), Pcm16(ramp));
    SoundBufferHandle loop = Make(Format(1, 1, 22050, 16), Pcm16(ramp));
    struct Run {
        std::vector<uint32_t> onceStatus, endTimes;
        size_t recorded = 0;
        std::vector<int16_t> after;
    };
    auto play = [&](bool keepTimeOnly) {
        Run r;
        HeadlessClearSoundRecord();
        uint32_t start = ClockPeek();
        SoundBufferSetCurrentPosition(once, 0);
        SoundBufferSetCurrentPosition(loop, 0);
        SoundBufferPlay(once, 0);
        SoundBufferPlay(loop, DSBPLAY_LOOPING);
        HeadlessSoundKeepTimeOnly(keepTimeOnly);
        // 60 ms in all, a whole number of frames, so both runs start alike.
        for (uint32_t step : {3u, 7u, 1u, 11u, 1u, 1u, 1u, 1u, 2u, 9u, 2u, 1u, 18u}) {
            ClockAdvance(step);
            HeadlessSoundCatchUp();
            uint32_t status = 0;
            SoundBufferGetStatus(once, &status);
            r.onceStatus.push_back(status);
        }
        r.recorded = HeadlessMixedSamples().size();
        for (const SoundEvent& e : HeadlessSoundEvents())
            if (e.kind == SoundEventKind::Ended) r.endTimes.push_back(e.time - start);
        HeadlessSoundKeepTimeOnly(false);
        HeadlessClearSoundRecord();
        ClockAdvance(2);
        HeadlessSoundCatchUp();
        r.after = HeadlessMixedSamples();
        SoundBufferStop(loop);
        return r;
    };
    Run mixed = play(false);
    Run kept = play(true);
    ASSERT_EQ(mixed.endTimes.size(), 1u);
    EXPECT_EQ(kept.endTimes, mixed.endTimes);
    EXPECT_EQ(kept.onceStatus, mixed.onceStatus);
    EXPECT_GT(mixed.recorded, 0u);
    EXPECT_EQ(kept.recorded, 0u);
    ASSERT_GE(mixed.after.size(), 88u * 2);
    EXPECT_EQ(kept.after, mixed.after);
}

TEST_F(SoundDeviceTest, RiffReaderFindsChunksWithinTheirParent) {
    ScratchDir dir;
    WavLayout spec;
    spec.before = Chunk("junk", {1, 2, 3});  // odd size: padded
    spec.after = Chunk("tail", {9, 9, 9, 9});
    ASSERT_TRUE(WriteBytes("a.wav", MakeWav(spec, {5, 6})));
    EXPECT_EQ(RiffOpen("missing.wav"), nullptr);
    RiffFile* f = RiffOpen("a.wav");
    ASSERT_NE(f, nullptr);
    RiffChunk riff;
    ASSERT_TRUE(RiffDescend(f, riff, nullptr, 0));
    EXPECT_EQ(riff.ckid, MakeFourCC('R', 'I', 'F', 'F'));
    EXPECT_EQ(riff.fccType, MakeFourCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(riff.dataOffset, 8u);
    RiffChunk tail;
    tail.ckid = MakeFourCC('t', 'a', 'i', 'l');
    ASSERT_TRUE(RiffDescend(f, tail, &riff, MMIO_FINDCHUNK));
    uint8_t got[8] = {};
    EXPECT_EQ(RiffRead(f, got, 8), 4);  // the file ends after the chunk
    EXPECT_EQ(got[3], 9);
    RiffSeek(f, riff.dataOffset + 4, 0);
    RiffChunk data;
    data.ckid = MakeFourCC('d', 'a', 't', 'a');
    ASSERT_TRUE(RiffDescend(f, data, &riff, MMIO_FINDCHUNK));
    EXPECT_EQ(data.cksize, 2u);
    RiffChunk none;
    none.ckid = MakeFourCC('n', 'o', 'n', 'e');
    EXPECT_FALSE(RiffDescend(f, none, &riff, MMIO_FINDCHUNK));
    RiffClose(f);
}
}  // namespace
