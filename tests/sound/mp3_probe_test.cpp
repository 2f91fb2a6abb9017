// The stream probe on files that lame made: tags, VBR headers, MPEG versions, junk, broken
// streams, and the seek positions it gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "sound/wmp3.h"
#include "support/mp3_files.h"

namespace {
struct Opened {
    std::vector<uint8_t> bytes;
    WMp3 player;
    int result = 0;
    explicit Opened(std::vector<uint8_t> data) : bytes(std::move(data)) {
        result = player.OpenMp3Stream(bytes.data(), bytes.size(), 2000);
    }
    const Mp3StreamFacts& F() const { return player.Facts(); }
};

void ExpectLengthAgreesWithFfprobe(const std::string& name, uint32_t lengthMs) {
    double ms = FfprobeDurationMs(Fixture(name));
    if (ms < 0) GTEST_SKIP() << "ffprobe is not installed";
    EXPECT_NEAR(lengthMs, ms, 30.0) << name;
}

TEST(Mp3Probe, ConstantBitrateWithAndWithoutInfoFrame) {
    Opened plain(ReadFixture("cbr128_plain.mp3"));
    ASSERT_EQ(plain.result, 1) << plain.player.GetError();
    EXPECT_FALSE(plain.F().vbr);
    EXPECT_EQ(plain.F().audioStart, 0u);
    EXPECT_EQ(plain.F().audioEnd, plain.bytes.size());
    EXPECT_EQ(plain.F().sampleRate, 44100u);
    EXPECT_EQ(plain.F().channels, 2);
    EXPECT_EQ(plain.F().layer, 3);
    EXPECT_EQ(plain.F().mpegVersion, 0);
    EXPECT_EQ(plain.F().samplesPerFrame, 1152u);
    EXPECT_EQ(plain.F().firstBitrate, 128000u);
    EXPECT_EQ(plain.F().songLengthMs, plain.bytes.size() * 8 / 128);
    EXPECT_EQ(plain.player.GetSongLength(), plain.F().songLengthMs);
    ExpectLengthAgreesWithFfprobe("cbr128_plain.mp3", plain.F().songLengthMs);

    // The Info frame gives the frame count and table; audio starts at the frame after it.
    Opened info(ReadFixture("cbr128_info.mp3"));
    ASSERT_EQ(info.result, 1) << info.player.GetError();
    EXPECT_TRUE(info.F().vbr);
    size_t infoFrame = Layer3FrameLength(info.bytes.data());
    EXPECT_EQ(info.F().audioStart, infoFrame);
    EXPECT_EQ(info.F().vbrHeaderFrameLength, infoFrame);
    EXPECT_EQ(info.bytes[info.F().audioStart], 0xFF);
    EXPECT_EQ(info.F().songLengthMs, info.F().frameCount * 1152 * 1000 / 44100);
    EXPECT_NEAR(info.F().songLengthMs, plain.F().songLengthMs, 30);
    ExpectLengthAgreesWithFfprobe("cbr128_info.mp3", info.F().songLengthMs);
}

TEST(Mp3Probe, VariableBitrateTakesCountAndTableFromXingHeader) {
    Opened vbr(ReadFixture("vbr_xing.mp3"));
    ASSERT_EQ(vbr.result, 1) << vbr.player.GetError();
    EXPECT_TRUE(vbr.F().vbr);
    ASSERT_TRUE(vbr.F().hasTable);
    // The table as the file stores it: after "Xing", flags, frame count and byte count.
    const uint8_t* xing = vbr.bytes.data() + 36;
    ASSERT_TRUE(std::memcmp(xing, "Xing", 4) == 0);
    uint32_t frames = (xing[8] << 24) | (xing[9] << 16) | (xing[10] << 8) | xing[11];
    EXPECT_EQ(vbr.F().frameCount, frames);
    EXPECT_EQ(std::memcmp(vbr.F().table, xing + 16, 100), 0);
    EXPECT_EQ(vbr.F().audioStart, Layer3FrameLength(vbr.bytes.data()));
    EXPECT_GT(vbr.F().averageBitrate, 32000.0);
    EXPECT_LT(vbr.F().averageBitrate, 320000.0);
    ExpectLengthAgreesWithFfprobe("vbr_xing.mp3", vbr.F().songLengthMs);

    // A header that counts no frames is not used: the frames are counted instead.
    std::vector<uint8_t> zero = vbr.bytes;
    std::memset(zero.data() + 36 + 8, 0, 4);
    Opened scanned(zero);
    ASSERT_EQ(scanned.result, 1) << scanned.player.GetError();
    EXPECT_FALSE(scanned.F().vbr);
    EXPECT_EQ(scanned.F().audioStart, 0u);
    EXPECT_GT(scanned.F().frameCount, 0u);
    EXPECT_NEAR(scanned.F().songLengthMs, vbr.F().songLengthMs, 500);
}

TEST(Mp3Probe, LowSamplingFrequencyStreams) {
    Opened two(ReadFixture("mpeg2_mono.mp3"));
    ASSERT_EQ(two.result, 1) << two.player.GetError();
    EXPECT_EQ(two.F().sampleRate, 22050u);
    EXPECT_EQ(two.F().channels, 1);
    EXPECT_EQ(two.F().mpegVersion, 1);
    EXPECT_EQ(two.F().samplesPerFrame, 576u);
    ExpectLengthAgreesWithFfprobe("mpeg2_mono.mp3", two.F().songLengthMs);

    Opened twoFive(ReadFixture("mpeg25_mono.mp3"));
    ASSERT_EQ(twoFive.result, 1) << twoFive.player.GetError();
    EXPECT_EQ(twoFive.F().sampleRate, 8000u);
    EXPECT_EQ(twoFive.F().mpegVersion, 2);
    EXPECT_EQ(twoFive.F().samplesPerFrame, 576u);
    EXPECT_EQ(twoFive.F().channels, 1);
    ExpectLengthAgreesWithFfprobe("mpeg25_mono.mp3", twoFive.F().songLengthMs);
}

TEST(Mp3Probe, TagsAndJunkAreSkipped) {
    Opened plain(ReadFixture("cbr128_plain.mp3"));
    ASSERT_EQ(plain.result, 1);

    Opened v2(ReadFixture("id3v2.mp3"));
    ASSERT_EQ(v2.result, 1) << v2.player.GetError();
    ASSERT_TRUE(std::memcmp(v2.bytes.data(), "ID3", 3) == 0);
    size_t tag =
        ((v2.bytes[6] << 21) | (v2.bytes[7] << 14) | (v2.bytes[8] << 7) | v2.bytes[9]) + 10u;
    EXPECT_EQ(v2.F().audioStart, tag + Layer3FrameLength(v2.bytes.data() + tag));

    Opened v1(ReadFixture("id3v1.mp3"));
    ASSERT_EQ(v1.result, 1) << v1.player.GetError();
    ASSERT_TRUE(std::memcmp(v1.bytes.data() + v1.bytes.size() - 128, "TAG", 3) == 0);
    EXPECT_EQ(v1.F().audioEnd, v1.bytes.size() - 128);
    EXPECT_EQ(v1.F().songLengthMs, plain.F().songLengthMs);

    std::vector<uint8_t> junk(1000, 'j');
    junk.insert(junk.end(), plain.bytes.begin(), plain.bytes.end());
    Opened skipped(junk);
    ASSERT_EQ(skipped.result, 1) << skipped.player.GetError();
    EXPECT_EQ(skipped.F().audioStart, 1000u);
    EXPECT_EQ(skipped.F().songLengthMs, plain.F().songLengthMs);

    // An ID3v2 tag not followed by a frame stays in the audio part; the frame search passes it.
    std::vector<uint8_t> loose = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    loose.resize(30 + 5, 0);
    loose.insert(loose.end(), plain.bytes.begin(), plain.bytes.end());
    Opened kept(loose);
    ASSERT_EQ(kept.result, 1) << kept.player.GetError();
    EXPECT_EQ(kept.F().audioStart, 35u);
}

TEST(Mp3Probe, BrokenStreamsFailWithTheirText) {
    WMp3 none;
    EXPECT_EQ(none.OpenMp3Stream(nullptr, 100, 2000), 0);
    EXPECT_STREQ(none.GetError(), "WMp3::OpenMp3Stream->Can't open NULL stream!");

    const uint8_t seven[7] = {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0};
    WMp3 tiny;
    EXPECT_EQ(tiny.OpenMp3Stream(seven, sizeof seven, 2000), 0);
    EXPECT_STREQ(tiny.GetError(), "WMp3::_OpenMp3->Invalid stream!");
    WMp3 empty;
    EXPECT_EQ(empty.OpenMp3Stream(seven, 0, 2000), 0);
    EXPECT_STREQ(empty.GetError(), "WMp3::_OpenMp3->Invalid stream!");
    EXPECT_EQ(empty.GetSongLength(), 0u);

    std::mt19937 random(1234);
    std::vector<uint8_t> noise(65536);
    for (auto& b : noise) b = static_cast<uint8_t>(random());
    WMp3 garbage;
    EXPECT_EQ(garbage.OpenMp3Stream(noise.data(), noise.size(), 2000), 0);
    EXPECT_STREQ(garbage.GetError(), "WMp3::_OpenMp3->Can't find first valid mp3 frame");
    EXPECT_EQ(garbage.SeekM(10), 0);
    EXPECT_STREQ(garbage.GetError(), "WMp3::SeekM->Strean isn't open!");

    // A stream that opened refuses a second one.
    auto bytes = ReadFixture("cbr128_plain.mp3");
    WMp3 twice;
    ASSERT_EQ(twice.OpenMp3Stream(bytes.data(), bytes.size(), 2000), 1);
    EXPECT_EQ(twice.OpenMp3Stream(bytes.data(), bytes.size(), 2000), 0);
    EXPECT_STREQ(twice.GetError(),
                 "WMp3::OpenMp3Stream->You need to close mp3 stream before open new one");
}

TEST(Mp3Probe, ConstantBitrateLengthComesFromTheAudioSize) {
    // 1 920 000 bytes of 128 kbit/s frames: two minutes.
    auto frames = ReadFixture("cbr128_plain.mp3");
    std::vector<uint8_t> big;
    while (big.size() < 1920000) big.insert(big.end(), frames.begin(), frames.end());
    big.resize(1920000);
    Opened two(big);
    ASSERT_EQ(two.result, 1) << two.player.GetError();
    EXPECT_EQ(two.F().audioSize, 1920000u);
    EXPECT_EQ(two.F().songLengthMs, 120000u);
    EXPECT_EQ(two.F().frameCount, 4594u);  // 120 s of 1152-sample frames, rounded up
}

TEST(Mp3Probe, SeekPositions) {
    Opened plain(ReadFixture("cbr128_plain.mp3"));
    ASSERT_EQ(plain.result, 1);
    const auto& f = plain.F();
    ASSERT_EQ(plain.player.SeekM(0), 1);
    EXPECT_EQ(plain.player.CurrentPosition(), f.audioStart);
    ASSERT_EQ(plain.player.SeekM(f.songLengthMs + 5000), 1);
    EXPECT_EQ(plain.player.CurrentTime(), f.songLengthMs);
    EXPECT_EQ(plain.player.CurrentPosition(), f.audioEnd);
    ASSERT_EQ(plain.player.SeekM(f.songLengthMs / 4), 1);
    EXPECT_NEAR(static_cast<double>(plain.player.CurrentPosition()), f.audioSize / 4.0,
                f.audioSize / 1000.0);

    // With a table, half the song lands where the table's 50th entry points.
    Opened vbr(ReadFixture("vbr_xing.mp3"));
    ASSERT_EQ(vbr.result, 1);
    const auto& v = vbr.F();
    uint32_t half = v.songLengthMs / 2;
    ASSERT_EQ(vbr.player.SeekM(half), 1);
    double p = half * 100.0 / v.songLengthMs;
    int i = static_cast<int>(p);
    double entry = v.table[i] + (v.table[i + 1] - v.table[i]) * (p - i);
    double expected =
        v.audioStart + std::floor((v.audioSize + v.vbrHeaderFrameLength) / 256.0 * entry);
    EXPECT_EQ(static_cast<double>(vbr.player.CurrentPosition()), expected);
    EXPECT_NEAR(static_cast<double>(vbr.player.CurrentPosition() - v.audioStart),
                v.audioSize * v.table[50] / 256.0, v.audioSize / 100.0);
    ASSERT_EQ(vbr.player.SeekM(UINT32_MAX), 1);
    EXPECT_LE(vbr.player.CurrentPosition(), v.audioEnd);
}
}  // namespace
