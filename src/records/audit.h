// The audit record: 42 counters and the payout balance that survive restarts in
// "data\pellwarden.rec", the payout band, and the win plan of the game in progress.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr const char* AuditRecordPath = "data\\pellwarden.rec";
constexpr int AuditCounterCount = 42;
constexpr int AuditHeadSize = 176;

struct AuditRecord {
    float balance[2];
    int32_t counter[AuditCounterCount];
};
extern AuditRecord gAuditRecord;

struct WinPlan {
    int16_t band;
    int16_t first;
    int16_t grade[8];
    int16_t current;
    int32_t active;
};
extern WinPlan gWinPlan;

// Reads the record; a record that fails its checksum is first replaced by its last good copy.
void LoadAuditRecord();
// Writes the record and its checksum file, each atomically; false when it could not.
bool SaveAuditRecord();
// Clears the record and the plan in memory (start of a run, and tests).
void ResetAuditRecord();

void BumpCounter(unsigned id);
void AddToCounter(unsigned id, int16_t amount);
int32_t GamesBought();
void AddToBalance(int index, float amount);
void AddWholeToBalance(int index, int16_t amount);
float GetBalance(int index);

// 0 (the cabinet has paid out least) to 6 (most), from balance[0].
int PayoutBand();
// The band of any payout balance.
int PayoutBandOf(float balance);
// Fills a record from the stored head (balances, then counters, little-endian); values the
// bytes do not reach are left as they are.
void DecodeAuditHead(const uint8_t* head, size_t length, AuditRecord& record);
// After a game: counts a prize won (nothing for 0).
void RecordGameResult(int prize);
// At the start of a game: picks the plan's grades from the band; 1, or 0 when one is active.
int PickWinPlan(int32_t gamesBought);
// At the end of a game: 1 when a plan was active, else 0.
int EndWinPlan();
