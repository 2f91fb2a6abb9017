// The effects as the game uses them, on the headless sound device and the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/headless.h"
#include "platform/riff.h"
#include "platform/sound_device.h"
#include "sound/effect_ids.h"
#include "sound/effects.h"
#include "sound/sound_fx.h"
#include "sound/wave_file.h"
#include "support/scratch.h"
#include "support/wav_files.h"

namespace {
// Effect ids: their places in the effect list.

std::vector<std::string> gMessages;

void CollectMessage(const char* title, const char* text) {
    gMessages.push_back(std::string(title) + "|" + text);
}

class EffectsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory("sounds");
        SelectBackend(Backend::Headless);
        ClockUseVirtual(5000, 0);
        gMessages.clear();
        SetFailureMessageSink(CollectMessage);
        ASSERT_TRUE(InitSound());
        HeadlessSoundCatchUp();
        HeadlessClearSoundRecord();
    }
    void TearDown() override {
        StopAllEffects();
        SetFailureMessageSink(nullptr);
    }
    // Writes a 16-bit mono effect file for the effect id.
    void WriteEffect(uint8_t id, const std::vector<int16_t>& samples, uint32_t rate = 44100) {
        WavLayout spec;
        spec.rate = rate;
        std::string path = EffectPath(id);
        std::replace(path.begin(), path.end(), '\\', '/');
        ASSERT_TRUE(WriteBytes(path, MakeWav(spec, Pcm16(samples))));
    }
    // Lets `ms` of clock pass and mixes it.
    static void Pass(uint32_t ms) {
        ClockAdvance(ms);
        HeadlessSoundCatchUp();
    }
    static size_t CountEvents(SoundBufferHandle buffer, SoundEventKind kind) {
        auto events = HeadlessSoundEvents();
        return static_cast<size_t>(std::count_if(
            events.begin(), events.end(),
            [&](const SoundEvent& e) { return e.buffer == buffer && e.kind == kind; }));
    }
    ScratchDir dir_;
};

TEST_F(EffectsTest, EffectListHoldsTheFortyFourPathsInOrder) {
    EXPECT_STREQ(EffectPath(1), "sounds\\teletype.wav");
    EXPECT_STREQ(EffectPath(3), "sounds\\Button.wav");
    EXPECT_STREQ(EffectPath(25), "sounds\\glass.wav");
    EXPECT_STREQ(EffectPath(40), "sounds\\Joker.wav");
    EXPECT_STREQ(EffectPath(44), "sounds\\AnswerBuildUp.wav");
    EXPECT_EQ(EffectPath(0), nullptr);
    EXPECT_EQ(EffectPath(45), nullptr);
}

TEST_F(EffectsTest, MissingFileIsToldOnceWithItsPath) {
    PlayEffect(EffectJoker);
    PlayEffect(EffectJoker);
    LoopEffect(EffectJoker);
    ASSERT_EQ(gMessages.size(), 1u);
    EXPECT_EQ(gMessages[0], "Couldn't open WAV file sounds\\Joker.wav!|Game Failed.");
    EXPECT_TRUE(EffectLoadAttempted(EffectJoker - 1));
    EXPECT_FALSE(IsEffectPlaying(EffectJoker));
    // Waiting on an effect that could not be loaded returns at once.
    PlayEffectAndWait(EffectJoker);
}

TEST_F(EffectsTest, FailureTitlesNameTheFailure) {
    EXPECT_FALSE(ShowSoundError(1));
    EXPECT_FALSE(ShowSoundError(2));
    EXPECT_FALSE(ShowSoundError(4 + 24));
    ASSERT_EQ(gMessages.size(), 3u);
    EXPECT_EQ(gMessages[0], "Couldn't init DirectSound|Game Failed.");
    EXPECT_EQ(gMessages[1], "Couldn't init DirectSound Cooperative level!|Game Failed.");
    EXPECT_EQ(gMessages[2], "Couldn't open WAV file sounds\\glass.wav!|Game Failed.");
}

TEST_F(EffectsTest, PlayingAnEffectThatIsPlayingRestartsItWithoutDoubling) {
    WriteEffect(EffectButton, Ramp(44100));  // one second
    PlayEffect(EffectButton);
    Pass(500);
    EXPECT_TRUE(IsEffectPlaying(EffectButton));
    PlayEffect(EffectButton);
    Pass(2000);
    EXPECT_FALSE(IsEffectPlaying(EffectButton));

    auto mixed = HeadlessMixedSamples();
    ASSERT_EQ(mixed.size(), (22050u + 44100u) * 2);
    // Left channel: the ramp up to half a second, then the ramp again from its start.
    EXPECT_EQ(mixed[0], 1);
    EXPECT_EQ(mixed[2 * 22049], 22050);
    EXPECT_EQ(mixed[2 * 22050], 1);
    EXPECT_EQ(mixed[2 * (22050 + 44099)], 44099 % 30000 + 1);
    EXPECT_EQ(*std::max_element(mixed.begin(), mixed.end()), 30000);
    SoundBufferHandle b = CurrentSoundFx()->Buffer(EffectButton - 1);
    EXPECT_EQ(CountEvents(b, SoundEventKind::Started), 2u);
    EXPECT_EQ(CountEvents(b, SoundEventKind::Ended), 1u);
}

TEST_F(EffectsTest, LoopRunsUntilStoppedAndStopAllTouchesOnlyPlayedEffects) {
    WriteEffect(EffectMumbling, std::vector<int16_t>(4410, 1000));  // 100 ms
    WriteEffect(EffectTimer, std::vector<int16_t>(441, 500));
    WriteEffect(EffectGlass, std::vector<int16_t>(441, 500));  // present, never played
    LoopEffect(EffectMumbling);
    PlayEffect(EffectTimer);
    Pass(1000);
    EXPECT_TRUE(IsEffectPlaying(EffectMumbling));
    EXPECT_FALSE(IsEffectPlaying(EffectTimer));
    StopAllEffects();
    EXPECT_FALSE(IsEffectPlaying(EffectMumbling));

    SoundBufferHandle loop = CurrentSoundFx()->Buffer(EffectMumbling - 1);
    SoundBufferHandle once = CurrentSoundFx()->Buffer(EffectTimer - 1);
    EXPECT_EQ(CountEvents(loop, SoundEventKind::Looped), 1u);
    EXPECT_EQ(CountEvents(loop, SoundEventKind::Stopped), 1u);
    EXPECT_EQ(CountEvents(once, SoundEventKind::Stopped), 1u);
    for (int slot = 0; slot < EffectCount; ++slot) {
        if (slot == EffectMumbling - 1 || slot == EffectTimer - 1) continue;
        EXPECT_FALSE(EffectLoadAttempted(slot)) << slot;
        EXPECT_EQ(CurrentSoundFx()->Buffer(slot), 0u) << slot;
    }
    // The loop sounded for the whole second: ten passes of its 100 ms.
    auto mixed = HeadlessMixedSamples();
    EXPECT_EQ(mixed.size(), 44100u * 2);
    EXPECT_EQ(mixed[2 * 44099], 1000);
}

TEST_F(EffectsTest, PlayEffectAndWaitReturnsWhenTheSoundHasEnded) {
    WriteEffect(EffectAnswerBuildUp, std::vector<int16_t>(22050, 700), 22050);  // one second
    ClockUseVirtual(10000, 1);  // each look at the clock lets a millisecond pass
    uint32_t before = ClockPeek();
    PlayEffectAndWait(EffectAnswerBuildUp);
    uint32_t after = ClockPeek();
    EXPECT_FALSE(IsEffectPlaying(EffectAnswerBuildUp));
    EXPECT_GE(after - before, 1000u);
    EXPECT_LE(after - before, 1010u);
    SoundBufferHandle b = CurrentSoundFx()->Buffer(EffectAnswerBuildUp - 1);
    EXPECT_EQ(CountEvents(b, SoundEventKind::Ended), 1u);
}

TEST_F(EffectsTest, DataChunkThatClaimsTooMuchPlaysOnlyWhatIsThere) {
    WavLayout spec;
    spec.claimedData = 1000000;
    ASSERT_TRUE(
        WriteBytes("sounds/Correct.wav", MakeWav(spec, Pcm16(std::vector<int16_t>(441, 300)))));
    PlayEffect(EffectCorrect);
    Pass(1000);
    auto mixed = HeadlessMixedSamples();
    EXPECT_EQ(mixed.size(), 441u * 2);
    EXPECT_FALSE(IsEffectPlaying(EffectCorrect));
}

TEST_F(EffectsTest, UnplayableFormatLeavesTheGameRunning) {
    WavLayout spec;
    spec.tag = 2;  // an ADPCM format the device does not take
    spec.bits = 4;
    spec.extra = {0xF4, 0x01, 0x07, 0x00};
    ASSERT_TRUE(WriteBytes("sounds/Skip.wav", MakeWav(spec, std::vector<uint8_t>(400, 0x11))));
    PlayEffect(EffectSkip);
    EXPECT_FALSE(IsEffectPlaying(EffectSkip));
    EXPECT_EQ(CurrentSoundFx()->Buffer(EffectSkip - 1), 0u);
    EXPECT_TRUE(gMessages.empty());
    PlayEffect(0);
    PlayEffect(45);
    StopEffect(200);
}

// The chunk walk of the loader, on files with other formats and chunks around the data.
TEST_F(EffectsTest, ChunkWalkReadsFormatBlockAndDataSize) {
    WavLayout ext;
    ext.tag = 0xFFFE;
    ext.channels = 2;
    ext.extra.assign(22, 0);
    ext.extra[0] = 16;  // valid bits
    ext.extra[6] = 1;   // sub-format: PCM
    ext.before = Chunk("LIST", {'I', 'N', 'F', 'O'});
    ext.after = Chunk("smpl", std::vector<uint8_t>(36, 0xAB));
    ASSERT_TRUE(WriteBytes("ext.wav", MakeWav(ext, std::vector<uint8_t>(4000, 0))));
    RiffFile* file = RiffOpen("ext.wav");
    ASSERT_NE(file, nullptr);
    WaveFileInfo info;
    ASSERT_TRUE(ReadWaveFile(file, info));
    RiffClose(file);
    EXPECT_EQ(info.format.formatTag, 0xFFFE);
    EXPECT_EQ(info.format.channels, 2);
    EXPECT_EQ(info.format.extraSize, 22);
    ASSERT_EQ(info.format.extra.size(), 22u);
    EXPECT_EQ(info.format.extra[6], 1);
    EXPECT_EQ(info.dataSize, 4000u);

    WavLayout pcm;
    pcm.after = Chunk("LIST", std::vector<uint8_t>(100, 0x7F));
    ASSERT_TRUE(WriteBytes("pcm.wav", MakeWav(pcm, std::vector<uint8_t>(882, 0))));
    file = RiffOpen("pcm.wav");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(ReadWaveFile(file, info));
    RiffClose(file);
    EXPECT_EQ(info.format.extraSize, 0);
    EXPECT_TRUE(info.format.extra.empty());
    EXPECT_EQ(info.dataSize, 882u);

    // No data chunk, and a format chunk shorter than its extra bytes: both refused.
    std::vector<uint8_t> noData = MakeWav(pcm, {});
    noData.resize(12 + 24);
    noData[4] = 28;
    ASSERT_TRUE(WriteBytes("nodata.wav", noData));
    file = RiffOpen("nodata.wav");
    EXPECT_FALSE(ReadWaveFile(file, info));
    RiffClose(file);
    WavLayout cut;
    cut.tag = 3;
    cut.bits = 32;
    auto bytes = MakeWav(cut, std::vector<uint8_t>(16, 0));
    bytes[12 + 4 + 4 + 16] = 0xFF;  // extra size far beyond the chunk
    ASSERT_TRUE(WriteBytes("cut.wav", bytes));
    file = RiffOpen("cut.wav");
    EXPECT_FALSE(ReadWaveFile(file, info));
    RiffClose(file);
}
}  // namespace
