// The MP3 files that the build made for the sound tests, and small readers for them.
#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/scratch.h"

inline std::string Fixture(const std::string& name) {
    return std::string(SOUND_FIXTURES) + "/" + name;
}

inline std::vector<uint8_t> ReadFixture(const std::string& name) {
    return ReadBytes(Fixture(name));
}

// The duration ffprobe gives for a file, in ms; negative when ffprobe is not there.
inline double FfprobeDurationMs(const std::string& path) {
    std::string program = FFPROBE_PROGRAM;
    if (program.empty() || program.find("NOTFOUND") != std::string::npos) return -1;
    Captured c = CaptureCommand(program + " -v error -show_entries format=duration -of csv=p=0 '" +
                                path + "'");
    if (c.status != 0 || c.out.empty()) return -1;
    return std::stod(c.out) * 1000.0;
}

// The length in bytes of the MPEG audio frame whose header starts at p (layer III only).
inline size_t Layer3FrameLength(const uint8_t* p) {
    static const int rates[3] = {44100, 48000, 32000};
    static const int kbps1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                  112, 128, 160, 192, 224, 256, 320, 0};
    static const int kbps2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    int version = (p[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    int bitrate = (version == 3 ? kbps1 : kbps2)[p[2] >> 4] * 1000;
    int rate = rates[(p[2] >> 2) & 3] / (version == 3 ? 1 : version == 2 ? 2 : 4);
    int padding = (p[2] >> 1) & 1;
    return static_cast<size_t>((version == 3 ? 144 : 72) * bitrate / rate + padding);
}
