// The stream probe: where an MP3 held in memory has its frames, their format, the song's length,
// and the table that turns a time into a byte position.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct Mp3StreamFacts {
    size_t audioStart = 0;  // offsets into the stream: the bytes that hold frames
    size_t audioEnd = 0;
    size_t audioSize = 0;
    uint32_t sampleRate = 0;
    int layer = 0;
    int mode = 0;
    int emphasis = 0;
    uint32_t firstBitrate = 0;
    int headerFlags = 0;
    uint16_t channels = 0;
    uint32_t samplesPerFrame = 0;
    int mpegVersion = 0;  // 0: MPEG-1, 1: MPEG-2, 2: MPEG-2.5
    uint64_t frameCount = 0;
    uint64_t sampleCount = 0;
    uint32_t songLengthMs = 0;
    double averageBitrate = 0;
    double averageFrameSize = 0;
    bool vbr = false;  // frame count and table come from a VBR header
    bool hasTable = false;
    uint8_t table[100] = {};
    size_t vbrHeaderFrameLength = 0;
};

// Probes `size` bytes; false with the failure's text in `error`.
bool ProbeMp3(const uint8_t* data, size_t size, Mp3StreamFacts& facts, std::string& error);
// The byte offset into the audio data for a time (clamped to the song), as the player seeks.
size_t SeekOffset(const Mp3StreamFacts& facts, uint32_t& ms);
