// brindlemark-inspect mp3: what the music player's probe finds in an MP3 file, and optionally the
// first seconds of what its decode-and-convert path makes of it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/files.h"
#include "sound/wmp3.h"

namespace {
int InspectMp3(const std::vector<std::string>& args) {
    std::string path, pcmPath;
    double seconds = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--pcm" && i + 1 < args.size()) {
            pcmPath = args[++i];
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            char* end = nullptr;
            seconds = std::strtod(args[++i].c_str(), &end);
            if (!end || *end || !(seconds >= 0)) {
                std::fprintf(stderr, "mp3: --seconds wants a number of seconds\n");
                return 2;
            }
        } else if (path.empty()) {
            path = args[i];
        } else {
            std::fprintf(stderr,
                         "usage: brindlemark-inspect mp3 FILE [--pcm OUT.raw --seconds S]\n");
            return 2;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: brindlemark-inspect mp3 FILE [--pcm OUT.raw --seconds S]\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), bytes)) {
        std::fprintf(stderr, "mp3: cannot read %s\n", path.c_str());
        return 1;
    }
    WMp3 player;
    // An empty file still goes to the probe, which tells what it makes of it.
    static const uint8_t nothing = 0;
    if (!player.OpenMp3Stream(bytes.empty() ? &nothing : bytes.data(), bytes.size(), 2000)) {
        std::printf("%s\n", player.GetError());
        return 1;
    }
    const Mp3StreamFacts& f = player.Facts();
    std::printf("sample_rate=%u\n", f.sampleRate);
    std::printf("channels=%u\n", f.channels);
    std::printf("mpeg_version=%d\n", f.mpegVersion);
    std::printf("layer=%d\n", f.layer);
    std::printf("samples_per_frame=%u\n", f.samplesPerFrame);
    std::printf("frame_count=%llu\n", static_cast<unsigned long long>(f.frameCount));
    std::printf("song_length_ms=%u\n", f.songLengthMs);
    std::printf("audio_start=%zu\n", f.audioStart);
    std::printf("audio_end=%zu\n", f.audioEnd);
    std::printf("vbr=%d\n", f.vbr ? 1 : 0);
    std::printf("first_bitrate=%u\n", f.firstBitrate);
    std::printf("average_bitrate=%.0f\n", f.averageBitrate);
    if (pcmPath.empty()) return 0;

    std::vector<int16_t> pcm;
    player.DecodeToPcm(pcm, static_cast<uint64_t>(seconds * f.sampleRate));
    FILE* out = OpenFile(pcmPath.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "mp3: cannot write %s\n", pcmPath.c_str());
        return 1;
    }
    std::vector<uint8_t> le(pcm.size() * 2);
    for (size_t i = 0; i < pcm.size(); ++i) {
        le[2 * i] = static_cast<uint8_t>(pcm[i]);
        le[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(pcm[i]) >> 8);
    }
    bool ok = std::fwrite(le.data(), 1, le.size(), out) == le.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "mp3: cannot write %s\n", pcmPath.c_str());
        return 1;
    }
    return 0;
}

const bool registered =
    RegisterInspectCommand("mp3", "FILE [--pcm OUT.raw --seconds S]", InspectMp3);
}  // namespace
