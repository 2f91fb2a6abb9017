#include "records/audit.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/random.h"
#include "platform/files.h"
#include "platform/localtime.h"
#include "records/audit_check.h"
#include "records/log.h"

AuditRecord gAuditRecord;
WinPlan gWinPlan;

namespace {
constexpr const char* TempPath = "data\\pellwarden.rec.tmp";
constexpr const char* SumPath = "data\\pellwarden.rec.sum";
constexpr const char* SumTempPath = "data\\pellwarden.rec.sum.tmp";
constexpr const char* Banner = "Brindlemark cabinet audit record, version 1.0.0.1";
constexpr const char* Trailer = " - Inf File Written ";
constexpr float BandThresholds[6] = {1000.0f, 600.0f, 200.0f, -400.0f, -800.0f, -1000.0f};
constexpr int16_t GradeTable[7][4] = {{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 1, 2}, {1, 2, 3, 3},
                                      {2, 3, 3, 4}, {3, 3, 4, 4}, {4, 4, 4, 4}};

void PutLittle32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetLittle32(const uint8_t* in) {
    return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

// The record's head as stored: two floats and 42 counters, little-endian.
void EncodeHead(uint8_t* head) {
    for (int i = 0; i < 2; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &gAuditRecord.balance[i], 4);
        PutLittle32(head + 4 * i, bits);
    }
    for (int i = 0; i < AuditCounterCount; ++i)
        PutLittle32(head + 8 + 4 * i, static_cast<uint32_t>(gAuditRecord.counter[i]));
}

std::string TodayAsRecordDate() {
    LocalTime t = GetLocalTime();
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.month % 100, t.day % 100, t.year % 100);
    return text;
}

// The date of the record's first writing, read from the old file's last 8 bytes.
std::string DateToKeep() {
    FILE* old = OpenFile(AuditRecordPath, "rb");
    if (!old) return TodayAsRecordDate();
    std::fseek(old, -8, SEEK_END);
    std::string word;
    int c;
    while ((c = std::fgetc(old)) != EOF && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
    }
    while (c != EOF && c != ' ' && c != '\t' && c != '\r' && c != '\n' && word.size() < 8) {
        word.push_back(static_cast<char>(c));
        c = std::fgetc(old);
    }
    std::fclose(old);
    if (word.empty() || word == "Written") return TodayAsRecordDate();
    return word;
}

// Writes bytes to a new file and forces them to the disk; false (and no file) on failure.
bool WriteTemporary(const char* path, const uint8_t* bytes, size_t length) {
    FILE* f = OpenFile(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, length, f) == length;
    ok = FlushToDisk(f) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) DeleteFileAt(path);
    return ok;
}

// Checks the record against its checksum file before it is read: a spoilt record is replaced by
// the last good copy when that passes; the log says what was found.
void GuardAuditRecord() {
    RecordCheckResult r = CheckRecordFile(AuditRecordPath);
    if (r.check == RecordCheck::Restorable) {
        ClearReadOnly(AuditRecordPath);
        if (WriteTemporary(TempPath, r.copy.data(), r.copy.size()) &&
            ReplaceFile(TempPath, AuditRecordPath)) {
            WriteLog("Audit record: checksum failed; the last good copy was restored\n");
            return;
        }
        DeleteFileAt(TempPath);
        WriteLog("Audit record: checksum failed; the last good copy could not be written back\n");
    } else if (r.check == RecordCheck::BothFailed) {
        WriteLog(
            "Audit record: CHECKSUM FAILED AND THE LAST GOOD COPY FAILED TOO; the record is "
            "used as it stands\n");
    } else if (r.check == RecordCheck::Unreadable) {
        WriteLog("Audit record: checksum file unreadable; the record is used as it stands\n");
    }
}
}  // namespace

void DecodeAuditHead(const uint8_t* head, size_t length, AuditRecord& record) {
    for (int i = 0; i < 2; ++i)
        if (length >= static_cast<size_t>(4 * i + 4)) {
            uint32_t bits = GetLittle32(head + 4 * i);
            std::memcpy(&record.balance[i], &bits, 4);
        }
    for (int i = 0; i < AuditCounterCount; ++i)
        if (length >= static_cast<size_t>(8 + 4 * i + 4))
            record.counter[i] = static_cast<int32_t>(GetLittle32(head + 8 + 4 * i));
}

void ResetAuditRecord() {
    gAuditRecord = AuditRecord{};
    gWinPlan = WinPlan{};
}

void LoadAuditRecord() {
    gAuditRecord = AuditRecord{};
    GuardAuditRecord();
    FILE* f = OpenFile(AuditRecordPath, "rb");
    if (!f) return;
    int64_t size = FileSize(AuditRecordPath);
    if (size < 0) {
        std::fclose(f);
        return;
    }
    if (size <= 10) {
        std::fclose(f);
        ClearReadOnly(AuditRecordPath);
        DeleteFileAt(AuditRecordPath);
        return;
    }
    uint8_t head[AuditHeadSize] = {};
    size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    DecodeAuditHead(head, got, gAuditRecord);
}

bool SaveAuditRecord() {
    MakeFolder("data");
    std::string date = DateToKeep();
    uint8_t head[AuditHeadSize];
    EncodeHead(head);
    std::vector<uint8_t> bytes(head, head + sizeof head);
    for (const char* text : {Banner, Trailer, date.c_str()})
        bytes.insert(bytes.end(), text, text + std::strlen(text));
    // The checksum file (with its copy of the new record) goes first: a power cut between the
    // two renames leaves a record that fails its checksum and a copy that puts it right.
    std::string sum = RecordChecksumText(bytes);
    if (!WriteTemporary(SumTempPath, reinterpret_cast<const uint8_t*>(sum.data()), sum.size()))
        return false;
    // The new record goes to a temporary file first, so the old one is never half overwritten.
    if (!WriteTemporary(TempPath, bytes.data(), bytes.size())) {
        DeleteFileAt(SumTempPath);
        return false;
    }
    if (!ReplaceFile(SumTempPath, SumPath)) {
        DeleteFileAt(SumTempPath);
        DeleteFileAt(TempPath);
        return false;
    }
    ClearReadOnly(AuditRecordPath);
    if (!ReplaceFile(TempPath, AuditRecordPath)) {
        DeleteFileAt(TempPath);
        return false;
    }
    return true;
}

void BumpCounter(AuditCounter id) {
    if (id < AuditCounterCount) gAuditRecord.counter[id] += 1;
}

void AddToCounter(AuditCounter id, int16_t amount) {
    if (id < AuditCounterCount) gAuditRecord.counter[id] += amount;
}

int32_t GamesBought() {
    return gAuditRecord.counter[CounterGamesBought];
}

void AddToBalance(int index, float amount) {
    gAuditRecord.balance[index & 1] += amount;
}

void AddWholeToBalance(int index, int16_t amount) {
    gAuditRecord.balance[index & 1] += amount;
}

float GetBalance(int index) {
    return gAuditRecord.balance[index & 1];
}

int PayoutBandOf(float balance) {
    for (int i = 0; i < 6; ++i)
        if (BandThresholds[i] <= balance) return i;
    return 6;
}

int PayoutBand() {
    return PayoutBandOf(gAuditRecord.balance[0]);
}

void RecordGameResult(int prize) {
    if (prize == 0) return;
    int band = PayoutBand();
    AddToCounter(CounterAt(CounterPrizeValueAtBand, band), static_cast<int16_t>(prize));
    AddToCounter(CounterPrizeValueWon, static_cast<int16_t>(prize));
    BumpCounter(CounterGamesWon);
    AddToBalance(0, static_cast<float>(prize));
    for (int i = 0; i < AuditPrizeCount; ++i)
        if (AuditPrizeValues[i] == prize) BumpCounter(CounterAt(CounterGamesWonWithPrize, i));
}

int PickWinPlan(int32_t gamesBought) {
    if (gWinPlan.active == 1) return 0;
    gWinPlan.active = 1;
    int band = PayoutBand();
    if (band > 0 && gamesBought >= 1 && RandomBelow(100) < 33) band -= 1;
    gWinPlan.band = static_cast<int16_t>(band);
    const int16_t* row = GradeTable[band];
    uint32_t r = RandomBelow(4);
    gWinPlan.first = gWinPlan.current = row[r];
    uint32_t s = RandomBelow(4);
    gWinPlan.grade[0] = row[s % 4];
    gWinPlan.grade[1] = row[(s + 1) % 4];
    gWinPlan.grade[3] = row[(s + 2) % 4];
    gWinPlan.grade[2] = row[(s + 3) % 4];
    gWinPlan.grade[4] = row[s % 4];
    gWinPlan.grade[5] = row[(s + 1) % 4];
    gWinPlan.grade[6] = row[(s + 2) % 4];
    gWinPlan.grade[7] = row[(s + 3) % 4];
    return 1;
}

int EndWinPlan() {
    if (gWinPlan.active == 0) return 0;
    gWinPlan.current = 0;
    gWinPlan.active = 0;
    return 1;
}
