// An MP3 tune as the music path takes it: the file read whole into a track and opened (the stream
// probe), a seek, and the decode of the first frames from there.
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "sound/music_track.h"

FUZZ_TARGET(Mp3) {
    EnterFuzzFolder();
    FuzzInput in(data, size);
    const uint32_t seekMs = in.U32();
    const std::string_view file = in.Rest();
    WriteFuzzFile("sounds\\fuzz.mp3", file.data(), file.size());

    MusicTrack track("sounds\\fuzz.mp3");
    WMp3* player = track.Player();
    if (!player) return 0;
    const Mp3StreamFacts& facts = player->Facts();
    if (facts.audioStart > facts.audioEnd || facts.audioEnd > file.size() || facts.channels == 0 ||
        facts.channels > 2)
        std::abort();
    // The start of the tune, and a time anywhere (past the end is clamped to the song).
    for (uint32_t ms : {uint32_t{27}, seekMs}) {
        if (!player->SeekM(ms)) std::abort();
        if (player->CurrentPosition() < facts.audioStart ||
            player->CurrentPosition() > facts.audioEnd)
            std::abort();
        std::vector<int16_t> pcm;
        const size_t frames = player->DecodeToPcm(pcm, 4 * 1152);
        if (frames > 4 * 1152 || pcm.size() != frames * facts.channels) std::abort();
    }
    return 0;
}
