// brindlemark-inspect's mp3 and wav subcommands, run as the operator would.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sound/wmp3.h"
#include "support/capture.h"
#include "support/mp3_files.h"
#include "support/scratch.h"
#include "support/wav_files.h"

namespace {
std::string Inspect(const std::string& args) {
    return std::string(INSPECT_PROGRAM) + " " + args;
}

TEST(InspectSound, Mp3FactsAndDecodedSeconds) {
    ScratchDir dir;
    Captured c = CaptureCommand(
        Inspect("mp3 '" + Fixture("cbr128_info.mp3") + "' --pcm first.raw --seconds 1.5"));
    ASSERT_EQ(c.status, 0) << c.out;
    auto bytes = ReadFixture("cbr128_info.mp3");
    WMp3 player;
    ASSERT_EQ(player.OpenMp3Stream(bytes.data(), bytes.size(), 2000), 1);
    const auto& f = player.Facts();
    for (const std::string& line : {std::string("sample_rate=44100\n"), std::string("channels=2\n"),
                                    std::string("mpeg_version=0\n"), std::string("layer=3\n"),
                                    std::string("samples_per_frame=1152\n"), std::string("vbr=1\n"),
                                    std::string("first_bitrate=128000\n"),
                                    "song_length_ms=" + std::to_string(f.songLengthMs) + "\n",
                                    "audio_start=" + std::to_string(f.audioStart) + "\n",
                                    "audio_end=" + std::to_string(f.audioEnd) + "\n",
                                    "frame_count=" + std::to_string(f.frameCount) + "\n"})
        EXPECT_NE(c.out.find(line), std::string::npos) << line << c.out;
    // The written sound is the player's own decode of the first second and a half.
    std::vector<int16_t> expected;
    player.DecodeToPcm(expected, 66150);
    ASSERT_EQ(std::filesystem::file_size("first.raw"), 66150u * 2 * 2);
    EXPECT_EQ(std::filesystem::file_size("first.raw"), expected.size() * 2);
    std::vector<uint8_t> raw(expected.size() * 2);
    FILE* in = std::fopen("first.raw", "rb");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(std::fread(raw.data(), 1, raw.size(), in), raw.size());
    std::fclose(in);
    EXPECT_EQ(Pcm16(expected), raw);
}

TEST(InspectSound, Mp3ErrorsGiveTheStoredTextAndStatusOne) {
    ScratchDir dir;
    ASSERT_TRUE(WriteBytes("tiny.mp3", {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0}));
    Captured c = CaptureCommand(Inspect("mp3 tiny.mp3"));
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.out, "WMp3::_OpenMp3->Invalid stream!\n");
    ASSERT_TRUE(WriteBytes("empty.mp3", {}));
    c = CaptureCommand(Inspect("mp3 empty.mp3"));
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.out, "WMp3::_OpenMp3->Invalid stream!\n");
    c = CaptureCommand(Inspect("mp3 missing.mp3 2>/dev/null"));
    EXPECT_EQ(c.status, 1);
}

TEST(InspectSound, WavFormatBlockAndDataSize) {
    ScratchDir dir;
    WavLayout spec;
    spec.tag = 3;
    spec.channels = 2;
    spec.rate = 48000;
    spec.bits = 32;
    spec.claimedData = 999999;
    ASSERT_TRUE(WriteBytes("float.wav", MakeWav(spec, std::vector<uint8_t>(800, 0))));
    Captured c = CaptureCommand(Inspect("wav float.wav"));
    ASSERT_EQ(c.status, 0);
    EXPECT_EQ(c.out,
              "format_tag=3\nchannels=2\nsample_rate=48000\nbits=32\nblock_align=8\nextra_size=0\n"
              "data_size=800\ndata_claimed=999999\n");
    ASSERT_TRUE(WriteBytes("bad.wav", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}));
    c = CaptureCommand(Inspect("wav bad.wav 2>/dev/null"));
    EXPECT_EQ(c.status, 1);
}
}  // namespace
