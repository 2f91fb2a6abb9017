#include "platform/riff.h"

#include <cstdio>
#include <new>

#include "platform/files.h"

struct RiffFile {
    FILE* f = nullptr;
    int64_t size = 0;
};

namespace {
int64_t Position(RiffFile* file) {
    return static_cast<int64_t>(std::ftell(file->f));
}

bool ReadU32(RiffFile* file, uint32_t& v) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, file->f) != 4) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

// Reads the header at the current position, and the form type of a RIFF or LIST chunk.
bool ReadHeader(RiffFile* file, RiffChunk& c) {
    if (!ReadU32(file, c.ckid) || !ReadU32(file, c.cksize)) return false;
    c.dataOffset = static_cast<uint32_t>(Position(file));
    c.fccType = 0;
    if (c.ckid == MakeFourCC('R', 'I', 'F', 'F') || c.ckid == MakeFourCC('L', 'I', 'S', 'T'))
        return ReadU32(file, c.fccType);
    return true;
}
}  // namespace

RiffFile* RiffOpen(const char* path) {
    FILE* f = OpenFile(path, "rb");
    if (!f) return nullptr;
    RiffFile* file = new (std::nothrow) RiffFile();
    if (!file) {
        std::fclose(f);
        return nullptr;
    }
    file->f = f;
    if (std::fseek(f, 0, SEEK_END) == 0) file->size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    return file;
}

void RiffClose(RiffFile* file) {
    if (!file) return;
    std::fclose(file->f);
    delete file;
}

bool RiffDescend(RiffFile* file, RiffChunk& chunk, const RiffChunk* parent, uint32_t flags) {
    if (!file) return false;
    const uint32_t wantId = chunk.ckid, wantType = chunk.fccType;
    const int64_t end =
        parent ? static_cast<int64_t>(parent->dataOffset) + parent->cksize : file->size;
    for (;;) {
        int64_t at = Position(file);
        if (at < 0 || at + 8 > end || at + 8 > file->size) return false;
        RiffChunk c;
        if (!ReadHeader(file, c)) return false;
        bool match = true;
        if (flags & MMIO_FINDCHUNK) match = c.ckid == wantId;
        if (flags & MMIO_FINDRIFF)
            match = c.ckid == MakeFourCC('R', 'I', 'F', 'F') && c.fccType == wantType;
        if (flags & MMIO_FINDLIST)
            match = c.ckid == MakeFourCC('L', 'I', 'S', 'T') && c.fccType == wantType;
        if (match) {
            chunk = c;
            return true;
        }
        int64_t next = static_cast<int64_t>(c.dataOffset) + c.cksize + (c.cksize & 1);
        if (next > file->size || std::fseek(file->f, static_cast<long>(next), SEEK_SET) != 0)
            return false;
    }
}

bool RiffAscend(RiffFile* file, const RiffChunk& chunk) {
    if (!file) return false;
    int64_t next = static_cast<int64_t>(chunk.dataOffset) + chunk.cksize + (chunk.cksize & 1);
    return std::fseek(file->f, static_cast<long>(next), SEEK_SET) == 0;
}

int64_t RiffRead(RiffFile* file, void* into, int64_t count) {
    if (!file || !into || count < 0) return -1;
    size_t n = std::fread(into, 1, static_cast<size_t>(count), file->f);
    if (n < static_cast<size_t>(count) && std::ferror(file->f)) return -1;
    return static_cast<int64_t>(n);
}

int64_t RiffSeek(RiffFile* file, int64_t offset, int origin) {
    if (!file) return -1;
    int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    if (std::fseek(file->f, static_cast<long>(offset), whence) != 0) return -1;
    return Position(file);
}

int64_t RiffFileSize(const RiffFile* file) {
    return file ? file->size : -1;
}
