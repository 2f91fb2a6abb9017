// The audit record's guard: a checksum file beside the record ("pellwarden.rec.sum") that holds
// the record's CRC-32 and size and a copy of the record as last written, so that a record spoilt
// on the disk can be put back. The record itself keeps its layout byte for byte.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// CRC-32 (the polynomial of zip and PNG) of a block of bytes.
uint32_t Crc32(const uint8_t* bytes, size_t length, uint32_t crc = 0);

// What the checksum file says about a record.
enum class RecordCheck {
    NoChecksum,  // no checksum file: a record written before checksums, taken as it is
    Good,        // the record matches its checksum
    Restorable,  // the record (missing, or spoilt) fails, and the copy passes its own checksum
    BothFailed,  // the record and the copy both fail
    Unreadable,  // the checksum file itself cannot be read
};

struct RecordCheckResult {
    RecordCheck check = RecordCheck::NoChecksum;
    std::vector<uint8_t> copy;  // the good copy when it passes
};

// Checks the record file at `path` (operating-system path) against `path`.sum.
RecordCheckResult CheckRecordFile(const std::string& path);
// The checksum file's text for these record bytes.
std::string RecordChecksumText(const std::vector<uint8_t>& record);
// A plain description of a check, for the log and the audit tool.
const char* RecordCheckText(RecordCheck check);
