// brindlemark-inspect wav: the format block of a WAV file and the data size the effect loader
// takes from it.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/riff.h"
#include "sound/wave_file.h"

namespace {
int InspectWav(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: brindlemark-inspect wav FILE\n");
        return 2;
    }
    RiffFile* file = RiffOpen(args[0].c_str());
    if (!file) {
        std::fprintf(stderr, "wav: cannot open %s\n", args[0].c_str());
        return 1;
    }
    WaveFileInfo info;
    bool ok = ReadWaveFile(file, info);
    RiffClose(file);
    if (!ok) {
        std::fprintf(stderr, "wav: %s has no complete \"fmt \" and \"data\" chunks\n",
                     args[0].c_str());
        return 1;
    }
    std::printf("format_tag=%u\n", info.format.formatTag);
    std::printf("channels=%u\n", info.format.channels);
    std::printf("sample_rate=%u\n", info.format.samplesPerSec);
    std::printf("bits=%u\n", info.format.bitsPerSample);
    std::printf("block_align=%u\n", info.format.blockAlign);
    std::printf("extra_size=%u\n", info.format.extraSize);
    std::printf("data_size=%u\n", info.dataSize);
    if (info.dataClaimed != info.dataSize) std::printf("data_claimed=%u\n", info.dataClaimed);
    return 0;
}

const bool registered = RegisterInspectCommand("wav", "FILE", InspectWav);
}  // namespace
