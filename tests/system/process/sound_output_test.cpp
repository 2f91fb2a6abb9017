// The cabinet's sound as a process, in the staged working folder: the menu tune and the button
// click reach the sound output (SDL's disk driver writes it to a file), and a cabinet without any
// sound output runs silent to its normal end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/riff.h"
#include "sound/wave_file.h"
#include "sound/wmp3.h"
#include "support/credit_service.h"
#include "support/run_program.h"
#include "support/scratch.h"

namespace {
// The menu returns after 30 s without a touch; start-up and the closing press come on top.
constexpr double kRunLimitSeconds = 120;

std::string Staged(const std::string& rel) {
    return std::string(BRINDLEMARK_STAGE_DIR) + "/" + rel;
}

// Links the staged pictures, sounds and packs into the current (scratch) folder.
void LinkStagedFiles() {
    for (const char* folder : {"Graphic_resource", "sounds", "Questions"})
        std::filesystem::create_directory_symlink(Staged(folder), folder);
}

std::vector<int16_t> ReadPcm(const std::string& path) {
    std::string bytes = ReadText(path);
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return s;
}

// The credit service as the menu sees it with no money in.
std::string EmptyCabinet(const std::string& line) {
    if (line.rfind("CGET", 0) == 0) return "CTEL,0\r";
    if (line.rfind("BGET", 0) == 0) return "BTEL,0\r";
    return "";
}

// Where `part` (interleaved stereo) stands in `whole` sample for sample, as a frame index; -1
// when it is not there. The search keys on the first loud stretch of the part.
long FindExactly(const std::vector<int16_t>& whole, const std::vector<int16_t>& part) {
    size_t key = 0;
    while (key + 16 < part.size() && std::abs(int(part[key])) < 2000) ++key;
    key &= ~size_t(1);
    if (key + 16 >= part.size()) return -1;
    for (size_t at = key; at + part.size() - key <= whole.size(); at += 2) {
        if (!std::equal(part.begin() + key, part.begin() + key + 16, whole.begin() + at)) continue;
        size_t start = at - key;
        if (std::equal(part.begin(), part.end(), whole.begin() + start)) return long(start / 2);
    }
    return -1;
}

// The first 16-bit sound of the button click, on both sides of the output.
std::vector<int16_t> ButtonClick() {
    std::vector<int16_t> stereo;
    RiffFile* file = RiffOpen(Staged("sounds/Button.wav").c_str());
    if (!file) return stereo;
    WaveFileInfo info;
    if (ReadWaveFile(file, info) && info.format.bitsPerSample == 16) {
        std::vector<uint8_t> bytes(info.dataSize);
        RiffSeek(file, info.dataOffset, 0);
        RiffRead(file, bytes.data(), int64_t(bytes.size()));
        int ch = info.format.channels;
        for (size_t i = 0; i + 2 * ch <= bytes.size(); i += 2 * ch)
            for (int side = 0; side < 2; ++side) {
                size_t at = i + 2 * (side % ch);
                stereo.push_back(int16_t(bytes[at] | bytes[at + 1] << 8));
            }
    }
    RiffClose(file);
    return stereo;
}

TEST(SoundOutput, DiskDriverGetsTheMenuTuneAndTheButtonClick) {
    FakeCreditService service(6667, EmptyCabinet);
    if (!service.ok()) GTEST_SKIP() << "port 6667 is taken";
    ScratchDir dir;
    LinkStagedFiles();
    std::string out = (dir.path() / "mixed.raw").string();
    ProgramResult r = RunProgram(BRINDLEMARK_BINARY, {}, kRunLimitSeconds,
                                 {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + out});
    ASSERT_TRUE(r.exited) << "still running after " << kRunLimitSeconds << " s";
    EXPECT_EQ(r.status, 0);
    std::vector<int16_t> mixed = ReadPcm(out);
    // The device runs from the sound set-up to the end: at least the menu's 30 s.
    ASSERT_GT(mixed.size(), size_t(30 * 44100 * 2));

    // The tune as the player decodes it from where the menu's loop starts: two seconds in, a
    // tenth of a second of it stands in the output unchanged, as nothing else plays then.
    std::vector<uint8_t> mp3;
    {
        std::string bytes = ReadText(Staged("sounds/MainTune.mp3"));
        mp3.assign(bytes.begin(), bytes.end());
    }
    WMp3 player;
    ASSERT_EQ(player.OpenMp3Stream(mp3.data(), mp3.size(), 2000), 1) << player.GetError();
    ASSERT_EQ(player.SeekM(27), 1);
    std::vector<int16_t> tune;
    ASSERT_EQ(player.DecodeToPcm(tune, 3 * 44100), size_t(3 * 44100));
    std::vector<int16_t> stretch(tune.begin() + 2 * 44100 * 2,
                                 tune.begin() + (2 * 44100 + 4410) * 2);
    long tuneAt = FindExactly(mixed, stretch);
    EXPECT_GE(tuneAt, 0) << "the menu tune is not in the output";

    // The idle time-out presses Main Menu: the tune stops and the click sounds, whole, after it.
    std::vector<int16_t> click = ButtonClick();
    ASSERT_GT(click.size(), 2000u);
    long clickAt = FindExactly(mixed, click);
    EXPECT_GE(clickAt, 0) << "the button click is not in the output";
    // The disk driver writes no more than real time, and less when the machine is busy.
    EXPECT_GT(clickAt, tuneAt + 4410);
    EXPECT_NE(ReadText("~system/logs/Brindlemark.txt").find("Start of Log"), std::string::npos);
}

TEST(SoundOutput, WithoutSoundOutputTheCabinetRunsSilentToItsEnd) {
    FakeCreditService service(6667, EmptyCabinet);
    if (!service.ok()) GTEST_SKIP() << "port 6667 is taken";
    ScratchDir dir;
    LinkStagedFiles();
    ProgramResult r =
        RunProgram(BRINDLEMARK_BINARY, {}, kRunLimitSeconds, {"SDL_AUDIODRIVER=no-such-output"});
    ASSERT_TRUE(r.exited) << "still running after " << kRunLimitSeconds << " s";
    EXPECT_EQ(r.status, 0);
    // The failure is told once, in the log, and the cabinet goes on to its menu and its end.
    std::string log = ReadText("~system/logs/Brindlemark.txt");
    size_t told = log.find("Couldn't init DirectSound: Game Failed.");
    EXPECT_NE(told, std::string::npos) << log;
    EXPECT_EQ(log.find("Couldn't init DirectSound", told + 1), std::string::npos);
    EXPECT_EQ(log.find("Couldn't open WAV file"), std::string::npos);
    EXPECT_NE(log.find("Closing log"), std::string::npos) << log;
    std::string received = service.received();
    ASSERT_GE(received.size(), 6u);
    EXPECT_EQ(received.substr(received.size() - 6), "TERM\r\n");
}
}  // namespace
