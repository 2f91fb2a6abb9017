// Builds WAV files for tests, including odd ones: other format tags with extra bytes,
// chunks around the data, data chunks that claim more than the file holds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/scratch.h"

struct WavLayout {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    std::vector<uint8_t> extra;   // written with its size field for tags other than PCM
    std::vector<uint8_t> before;  // whole chunks placed before "fmt "
    std::vector<uint8_t> after;   // whole chunks placed after "data"
    int64_t claimedData = -1;     // the data chunk's stated size, when not the real one
};

inline void PutU16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PutU32(std::vector<uint8_t>& v, uint32_t x) {
    PutU16(v, x & 0xFFFF);
    PutU16(v, x >> 16);
}
inline void PutTag(std::vector<uint8_t>& v, const char* tag) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(tag[i]));
}

// A whole chunk: code, size, bytes and pad byte.
inline std::vector<uint8_t> Chunk(const char* tag, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> v;
    PutTag(v, tag);
    PutU32(v, static_cast<uint32_t>(body.size()));
    v.insert(v.end(), body.begin(), body.end());
    if (body.size() & 1) v.push_back(0);
    return v;
}

inline std::vector<uint8_t> MakeWav(const WavLayout& s, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> fmt;
    PutU16(fmt, s.tag);
    PutU16(fmt, s.channels);
    PutU32(fmt, s.rate);
    uint32_t align = s.channels * s.bits / 8;
    PutU32(fmt, s.rate * align);
    PutU16(fmt, align);
    PutU16(fmt, s.bits);
    if (s.tag != 1) {
        PutU16(fmt, static_cast<uint32_t>(s.extra.size()));
        fmt.insert(fmt.end(), s.extra.begin(), s.extra.end());
    }
    std::vector<uint8_t> body;
    PutTag(body, "WAVE");
    body.insert(body.end(), s.before.begin(), s.before.end());
    auto f = Chunk("fmt ", fmt);
    body.insert(body.end(), f.begin(), f.end());
    PutTag(body, "data");
    PutU32(body, s.claimedData >= 0 ? static_cast<uint32_t>(s.claimedData)
                                    : static_cast<uint32_t>(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    if (s.claimedData < 0 && (data.size() & 1)) body.push_back(0);
    body.insert(body.end(), s.after.begin(), s.after.end());
    std::vector<uint8_t> file;
    PutTag(file, "RIFF");
    PutU32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> v;
    for (int16_t s : samples) PutU16(v, static_cast<uint16_t>(s));
    return v;
}

// A rising ramp that names each frame's position: frame i has the value (i % 30000) + 1.
inline std::vector<int16_t> Ramp(size_t frames) {
    std::vector<int16_t> v(frames);
    for (size_t i = 0; i < frames; ++i) v[i] = static_cast<int16_t>(i % 30000 + 1);
    return v;
}
