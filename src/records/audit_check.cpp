#include "records/audit_check.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace {
constexpr const char* ChecksumBanner = "Brindlemark record check 1";
constexpr size_t MostRecordBytes = 4096;

char HexDigit(int v) {
    return "0123456789abcdef"[v & 15];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "<name> <crc> <size>" with an optional " <hex bytes>": false when the line is not that.
bool ReadLine(const std::string& line, const char* name, uint32_t& crc, size_t& size,
              std::vector<uint8_t>* bytes) {
    char tag[16] = {};
    unsigned c = 0;
    unsigned long s = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "%15s %8x %lu%n", tag, &c, &s, &used) != 3) return false;
    if (std::strcmp(tag, name) != 0 || s > MostRecordBytes) return false;
    crc = c;
    size = s;
    if (!bytes) return static_cast<size_t>(used) == line.size();
    if (line.size() != static_cast<size_t>(used) + 1 + 2 * s || line[used] != ' ') return false;
    bytes->resize(s);
    for (size_t i = 0; i < s; ++i) {
        int hi = HexValue(line[used + 1 + 2 * i]), lo = HexValue(line[used + 2 + 2 * i]);
        if (hi < 0 || lo < 0) return false;
        (*bytes)[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return true;
}

bool Matches(const std::vector<uint8_t>& bytes, uint32_t crc, size_t size) {
    return bytes.size() == size && Crc32(bytes.data(), bytes.size()) == crc;
}
}  // namespace

uint32_t Crc32(const uint8_t* bytes, size_t length, uint32_t crc) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string RecordChecksumText(const std::vector<uint8_t>& record) {
    char line[64];
    uint32_t crc = Crc32(record.data(), record.size());
    std::string text = std::string(ChecksumBanner) + "\n";
    std::snprintf(line, sizeof line, "record %08x %zu\n", crc, record.size());
    text += line;
    std::snprintf(line, sizeof line, "copy %08x %zu ", crc, record.size());
    text += line;
    for (uint8_t b : record) {
        text += HexDigit(b >> 4);
        text += HexDigit(b);
    }
    return text + "\n";
}

RecordCheckResult CheckRecordFile(const std::string& path) {
    RecordCheckResult result;
    std::vector<uint8_t> sum;
    if (!ReadWholeFile((path + ".sum").c_str(), sum)) {
        result.check = RecordCheck::NoChecksum;
        return result;
    }
    std::string text(sum.begin(), sum.end());
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    uint32_t recordCrc = 0, copyCrc = 0;
    size_t recordSize = 0, copySize = 0;
    std::vector<uint8_t> copy;
    if (lines.size() != 3 || lines[0] != ChecksumBanner ||
        !ReadLine(lines[1], "record", recordCrc, recordSize, nullptr)) {
        result.check = RecordCheck::Unreadable;
        return result;
    }
    bool copyGood =
        ReadLine(lines[2], "copy", copyCrc, copySize, &copy) && Matches(copy, copyCrc, copySize);
    std::vector<uint8_t> record;
    if (ReadWholeFile(path.c_str(), record) && Matches(record, recordCrc, recordSize)) {
        result.check = RecordCheck::Good;
    } else if (copyGood) {
        result.check = RecordCheck::Restorable;
        result.copy = std::move(copy);
    } else {
        result.check = RecordCheck::BothFailed;
    }
    return result;
}

const char* RecordCheckText(RecordCheck check) {
    switch (check) {
        case RecordCheck::NoChecksum:
            return "no checksum file (a record written before checksums, taken as it is)";
        case RecordCheck::Good:
            return "checksum good";
        case RecordCheck::Restorable:
            return "checksum FAILED; the last good copy passes and replaces it at start-up";
        case RecordCheck::BothFailed:
            return "checksum FAILED and the last good copy FAILED too";
        case RecordCheck::Unreadable:
            return "checksum file unreadable (the record is taken as it is)";
    }
    return "";
}
