// The audit record: 42 counters and the payout balance that survive restarts in
// "data\pellwarden.rec", the payout band, and the win plan of the game in progress.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr const char* AuditRecordPath = "data\\pellwarden.rec";
constexpr int AuditCounterCount = 42;
constexpr int AuditHeadSize = 176;

// The counters' places in the record. Ranges run by payout band (0 to 6) or by prize (the
// prizes of AuditPrizeValues, in that order).
enum AuditCounter : unsigned {
    CounterGamesBought = 0,
    CounterGamesStartedAtBand = 1,  // 1 to 7: games started, by payout band
    CounterQuestionsPut = 9,
    CounterWrongAnswers = 10,
    CounterGamesWonWithPrize = 11,  // 11 to 25: games won, by prize
    CounterFinalsLostWithoutBigTeamBeaten = 26,
    CounterPrizeValueWon = 27,
    CounterPrizeValueAtBand = 28,  // 28 to 34: prize value won, by payout band
    CounterGamesWon = 35,
    CounterBoughtWithBankUnder500 = 36,
    CounterBoughtWithBank500To999 = 37,
    CounterBoughtWithBank1000Up = 38,
    CounterSecondsOfPlay = 39,
};
// The prizes a game can be won with, in the order of their counters (pence).
constexpr int AuditPrizeCount = 15;
constexpr int AuditPrizeValues[AuditPrizeCount] = {50,  100, 150, 200,  300,  400,  500, 600,
                                                   700, 800, 900, 1000, 1200, 1600, 2000};
// The counter of a range, at its offset (a band, or a prize's index).
constexpr AuditCounter CounterAt(AuditCounter range, int offset) {
    return static_cast<AuditCounter>(range + static_cast<unsigned>(offset));
}

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

void BumpCounter(AuditCounter id);
void AddToCounter(AuditCounter id, int16_t amount);
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
