#include "sound/mp3_probe.h"

#include <mad.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
constexpr const char* InvalidStream = "WMp3::_OpenMp3->Invalid stream!";
constexpr const char* NoFirstFrame = "WMp3::_OpenMp3->Can't find first valid mp3 frame";
constexpr size_t ScanFrames = 200;

uint32_t BigEndian32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
uint16_t BigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// The decoder's objects for one probe step, freed on every way out.
struct Decoder {
    mad_stream stream;
    mad_frame frame;
    Decoder() {
        mad_stream_init(&stream);
        mad_frame_init(&frame);
    }
    ~Decoder() {
        mad_frame_finish(&frame);
        mad_stream_finish(&stream);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

// The VBR header that a frame may carry: its frame count and 100-entry table.
struct VbrHeader {
    bool haveFrames = false, haveTable = false;
    uint32_t frames = 0;
    uint8_t table[100] = {};
};

// A Xing or Info header after the side information (also two bytes early).
bool ReadXing(const uint8_t* frame, const uint8_t* end, const mad_header& h, VbrHeader& v) {
    bool lsf = (h.flags & MAD_FLAG_LSF_EXT) != 0;
    bool mono = h.mode == MAD_MODE_SINGLE_CHANNEL;
    size_t sideInfo = lsf ? (mono ? 9 : 17) : (mono ? 17 : 32);
    size_t at = 4 + ((h.flags & MAD_FLAG_PROTECTION) ? 2 : 0) + sideInfo;
    for (size_t off : {at, at - 2}) {
        const uint8_t* p = frame + off;
        if (end - p < 8) continue;
        if (std::memcmp(p, "Xing", 4) != 0 && std::memcmp(p, "Info", 4) != 0) continue;
        uint32_t flags = BigEndian32(p + 4);
        const uint8_t* q = p + 8;
        if (flags & 1) {
            if (end - q < 4) return false;
            v.frames = BigEndian32(q);
            v.haveFrames = true;
            q += 4;
        }
        if (flags & 2) q += 4;  // byte count: not needed
        if (flags & 4) {
            if (end - q < 100) return v.haveFrames;
            std::memcpy(v.table, q, 100);
            v.haveTable = true;
        }
        return true;
    }
    return false;
}

// A VBRI header 32 bytes after the frame header; its table becomes 100 entries of 256ths.
bool ReadVbri(const uint8_t* frame, const uint8_t* end, VbrHeader& v) {
    const uint8_t* p = frame + 36;
    if (end - p < 26 || std::memcmp(p, "VBRI", 4) != 0) return false;
    uint32_t bytes = BigEndian32(p + 10);
    uint32_t frames = BigEndian32(p + 14);
    uint16_t entries = BigEndian16(p + 18);
    uint16_t scale = BigEndian16(p + 20);
    uint16_t entrySize = BigEndian16(p + 22);
    uint16_t framesPerEntry = BigEndian16(p + 24);
    v.frames = frames;
    v.haveFrames = true;
    if (entries == 0 || entrySize < 1 || entrySize > 4 || framesPerEntry == 0) return true;
    const uint8_t* q = p + 26;
    if (static_cast<size_t>(end - q) < static_cast<size_t>(entries) * entrySize) return true;
    std::vector<double> sizes(entries);
    double total = 0;
    for (uint16_t i = 0; i < entries; ++i) {
        uint32_t value = 0;
        for (uint16_t k = 0; k < entrySize; ++k) value = (value << 8) | q[i * entrySize + k];
        sizes[i] = static_cast<double>(value) * std::max<uint16_t>(scale, 1);
        total += sizes[i];
    }
    // The stream's size, or else the sum of the entries (which may be past 32 bits).
    const double streamBytes = bytes != 0 ? static_cast<double>(bytes) : total;
    if (frames == 0 || streamBytes <= 0) return true;
    // Each entry spans framesPerEntry frames: find where each percent of the frames begins.
    double before = 0;
    size_t entry = 0;
    for (int percent = 0; percent < 100; ++percent) {
        double target = static_cast<double>(frames) * percent / 100.0 / framesPerEntry;  // entries
        while (entry + 1 < entries && entry + 1 <= target) before += sizes[entry++];
        double within = std::clamp(target - static_cast<double>(entry), 0.0, 1.0);
        double position = before + within * sizes[entry];
        v.table[percent] =
            static_cast<uint8_t>(std::min(255.0, std::floor(position * 256.0 / streamBytes)));
    }
    v.haveTable = true;
    return true;
}

// Gives the decoder `length` bytes less the guard that lets it see a whole frame.
void Feed(mad_stream& s, const uint8_t* from, size_t length) {
    mad_stream_buffer(&s, from, length >= MAD_BUFFER_GUARD ? length - MAD_BUFFER_GUARD : 0);
}

bool Fail(Mp3StreamFacts& f, std::string& error, const char* text) {
    f = Mp3StreamFacts{};
    error = text;
    return false;
}
}  // namespace

bool ProbeMp3(const uint8_t* data, size_t size, Mp3StreamFacts& f, std::string& error) {
    f = Mp3StreamFacts{};
    error.clear();
    if (!data) return Fail(f, error, InvalidStream);
    size_t start = 0, audioSize = size;
    if (audioSize > 128 && std::memcmp(data + size - 128, "TAG", 3) == 0) audioSize -= 128;
    if (audioSize > 10 && std::memcmp(data, "ID3", 3) == 0 && data[6] < 0x80 && data[7] < 0x80 &&
        data[8] < 0x80 && data[9] < 0x80) {
        size_t tag =
            ((static_cast<size_t>(data[6]) << 21) | (data[7] << 14) | (data[8] << 7) | data[9]) +
            10;
        // The tag is skipped only when a frame sync follows it directly.
        if (audioSize > tag + 24 && data[tag] == 0xFF && (data[tag + 1] & 0xE0) == 0xE0) {
            start = tag;
            audioSize -= tag;
        }
    }
    if (audioSize <= 7) return Fail(f, error, InvalidStream);
    const uint8_t* end = data + start + audioSize;

    // The first frame that decodes and whose next frame has the same rate and layer.
    const uint8_t* first = nullptr;
    mad_header header{};
    {
        Decoder d;
        Feed(d.stream, data + start, audioSize);
        for (;;) {
            if (mad_frame_decode(&d.frame, &d.stream) == -1) {
                if (MAD_RECOVERABLE(d.stream.error)) continue;
                return Fail(f, error, NoFirstFrame);
            }
            const uint8_t* candidate = d.stream.this_frame;
            mad_header h = d.frame.header;
            if (mad_frame_decode(&d.frame, &d.stream) == -1) {
                if (!MAD_RECOVERABLE(d.stream.error)) return Fail(f, error, NoFirstFrame);
                continue;
            }
            if (d.frame.header.samplerate == h.samplerate && d.frame.header.layer == h.layer) {
                first = candidate;
                header = h;
                break;
            }
        }
    }
    f.audioStart = static_cast<size_t>(first - data);
    f.audioEnd = static_cast<size_t>(end - data);
    f.audioSize = f.audioEnd - f.audioStart;
    if (f.audioSize <= 7) return Fail(f, error, NoFirstFrame);
    f.sampleRate = header.samplerate;
    f.layer = header.layer;
    f.mode = header.mode;
    f.emphasis = header.emphasis;
    f.firstBitrate = static_cast<uint32_t>(header.bitrate);
    f.headerFlags = header.flags;
    f.channels = header.mode == MAD_MODE_SINGLE_CHANNEL ? 1 : 2;
    f.samplesPerFrame = (header.flags & MAD_FLAG_LSF_EXT) ? 576 : 1152;
    f.mpegVersion = (header.flags & MAD_FLAG_MPEG_2_5_EXT) ? 2
                    : (header.flags & MAD_FLAG_LSF_EXT)    ? 1
                                                           : 0;
    if (f.sampleRate == 0) return Fail(f, error, InvalidStream);

    // A VBR header in the first frame gives the frame count and the seek table.
    {
        Decoder d;
        Feed(d.stream, first, f.audioSize);
        VbrHeader v;
        if (mad_frame_decode(&d.frame, &d.stream) == 0 &&
            (ReadXing(first, end, d.frame.header, v) || ReadVbri(first, end, v)) && v.haveFrames &&
            v.haveTable && v.frames > 0) {
            size_t headerFrame = static_cast<size_t>(d.stream.next_frame - first);
            f.frameCount = v.frames;
            f.songLengthMs = static_cast<uint32_t>(std::min<uint64_t>(
                f.frameCount * 1000u * f.samplesPerFrame / f.sampleRate, UINT32_MAX));
            f.audioStart += headerFrame;
            f.audioSize -= headerFrame;
            f.vbrHeaderFrameLength = headerFrame;
            f.averageFrameSize = static_cast<double>(f.audioSize) / f.frameCount;
            f.averageBitrate = static_cast<double>(f.audioSize) * 8 / f.frameCount * f.sampleRate /
                               f.samplesPerFrame;
            f.vbr = true;
            f.hasTable = true;
            std::memcpy(f.table, v.table, 100);
            f.sampleCount = f.frameCount * f.samplesPerFrame;
            if (f.songLengthMs == 0 || f.audioSize <= 7) return Fail(f, error, InvalidStream);
            return true;
        }
    }

    // Otherwise the lengths of up to 200 frames tell constant from variable bitrate.
    uint64_t count = 0, sum = 0;
    bool variable = false;
    {
        Decoder d;
        Feed(d.stream, data + f.audioStart, f.audioSize);
        std::vector<uint8_t> tail;
        mad_header h;
        mad_header_init(&h);
        while (count < ScanFrames) {
            if (mad_header_decode(&h, &d.stream) == -1) {
                if (MAD_RECOVERABLE(d.stream.error)) continue;
                if (d.stream.error == MAD_ERROR_BUFLEN && tail.empty()) {
                    const uint8_t* from = d.stream.next_frame;
                    tail.assign(from, end);
                    tail.resize(tail.size() + MAD_BUFFER_GUARD, 0);
                    mad_stream_buffer(&d.stream, tail.data(), tail.size());
                    continue;
                }
                break;
            }
            ++count;
            sum += static_cast<uint64_t>(d.stream.next_frame - d.stream.this_frame);
            if (h.bitrate != header.bitrate) variable = true;
        }
        mad_header_finish(&h);
    }
    if (variable) {
        if (count == 0 || sum == 0) return Fail(f, error, InvalidStream);
        f.frameCount = count * f.audioSize / sum;
        if (f.frameCount == 0) return Fail(f, error, InvalidStream);
        f.songLengthMs = static_cast<uint32_t>(std::min<uint64_t>(
            f.frameCount * 1000u * f.samplesPerFrame / f.sampleRate, UINT32_MAX));
        f.averageBitrate =
            static_cast<double>(f.audioSize) * 8 / f.frameCount * f.sampleRate / f.samplesPerFrame;
        f.averageFrameSize = static_cast<double>(sum) / count;
    } else {
        uint32_t kbps = f.firstBitrate / 1000;
        if (kbps == 0) return Fail(f, error, InvalidStream);
        f.averageBitrate = f.firstBitrate;
        f.songLengthMs =
            static_cast<uint32_t>(std::min<uint64_t>(uint64_t{f.audioSize} * 8 / kbps, UINT32_MAX));
        f.frameCount = static_cast<uint64_t>(
            std::ceil(f.songLengthMs / 1000.0 * f.sampleRate / f.samplesPerFrame));
        if (f.frameCount == 0) return Fail(f, error, InvalidStream);
        f.averageFrameSize = static_cast<double>(f.audioSize) / f.frameCount;
    }
    if (f.songLengthMs == 0) return Fail(f, error, InvalidStream);
    f.sampleCount = f.frameCount * f.samplesPerFrame;
    return true;
}

size_t SeekOffset(const Mp3StreamFacts& f, uint32_t& ms) {
    if (ms > f.songLengthMs) ms = f.songLengthMs;
    if (f.songLengthMs == 0) return 0;
    double offset;
    if (f.vbr && f.hasTable) {
        double p = ms * 100.0 / f.songLengthMs;
        int i = std::min(99, static_cast<int>(p));
        double a = f.table[i];
        double b = i == 99 ? 256.0 : f.table[i + 1];
        offset = static_cast<double>(f.audioSize + f.vbrHeaderFrameLength) / 256.0 *
                 (a + (b - a) * (p - i));
    } else {
        offset = static_cast<double>(ms) / f.songLengthMs * f.audioSize;
    }
    // A table that points past the audio data stops at its end.
    return std::min(static_cast<size_t>(std::max(0.0, std::floor(offset))), f.audioSize);
}
