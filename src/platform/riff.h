// The RIFF reader: open a file for buffered reading, descend into a chunk by its four-character
// code (optionally within a parent), read, seek, ascend. Enough for WAV files.
#pragma once
#include <cstdint>

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

// Descend flags: find a chunk by its code; find a RIFF or LIST chunk by its form type.
constexpr uint32_t MMIO_FINDCHUNK = 0x0010;
constexpr uint32_t MMIO_FINDRIFF = 0x0020;
constexpr uint32_t MMIO_FINDLIST = 0x0040;

struct RiffChunk {
    uint32_t ckid = 0;
    uint32_t cksize = 0;
    uint32_t fccType = 0;     // form type of a RIFF or LIST chunk
    uint32_t dataOffset = 0;  // file offset of the chunk's data (the form type for RIFF/LIST)
};

struct RiffFile;

// Opens a file for reading; null when it cannot be opened.
RiffFile* RiffOpen(const char* path);
void RiffClose(RiffFile* file);
// Reads the chunk header at the current position, or with a FIND flag searches onwards (within
// `parent` when given) for the chunk named in `chunk`. Leaves the position at the chunk's data
// (after the form type for RIFF and LIST). False when no such chunk is there.
bool RiffDescend(RiffFile* file, RiffChunk& chunk, const RiffChunk* parent, uint32_t flags);
// Moves past the end of the chunk (and its pad byte).
bool RiffAscend(RiffFile* file, const RiffChunk& chunk);
// Reads up to `count` bytes; the number read (fewer at the end of the file), or -1.
int64_t RiffRead(RiffFile* file, void* into, int64_t count);
// Moves to an offset from the start (origin 0), the current position (1) or the end (2); the new
// position, or -1.
int64_t RiffSeek(RiffFile* file, int64_t offset, int origin);
// Bytes in the file.
int64_t RiffFileSize(const RiffFile* file);
