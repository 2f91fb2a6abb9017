#include "records/audit_meanings.h"

#include <cstdio>

#include "records/audit.h"

namespace {
// The counters that are one of their own; the ranges are named below.
struct SingleMeaning {
    AuditCounter id;
    const char* meaning;
};
constexpr SingleMeaning kSingles[] = {
    {CounterGamesBought, "games bought"},
    {CounterQuestionsPut, "questions put"},
    {CounterWrongAnswers, "wrong answers"},
    {CounterFinalsLostWithoutBigTeamBeaten, "final stages lost without a big team beaten"},
    {CounterPrizeValueWon, "total prize value won (pence)"},
    {CounterGamesWon, "games won"},
    {CounterBoughtWithBankUnder500, "games bought with the bank under 5.00 pounds"},
    {CounterBoughtWithBank500To999, "games bought with the bank at 5.00 to 9.99 pounds"},
    {CounterBoughtWithBank1000Up, "games bought with the bank at 10.00 pounds or more"},
};
constexpr int kBands = 7;

bool InRange(int id, AuditCounter first, int count) {
    return id >= static_cast<int>(first) && id < static_cast<int>(first) + count;
}
}  // namespace

std::string AuditCounterMeaning(int id) {
    char text[96];
    for (const SingleMeaning& single : kSingles)
        if (id == static_cast<int>(single.id)) return single.meaning;
    if (InRange(id, CounterGamesStartedAtBand, kBands)) {
        std::snprintf(text, sizeof text, "games started at payout band %d",
                      id - CounterGamesStartedAtBand);
        return text;
    }
    if (InRange(id, CounterGamesWonWithPrize, AuditPrizeCount)) {
        int p = AuditPrizeValues[id - CounterGamesWonWithPrize];
        std::snprintf(text, sizeof text, "games won with a prize of %d.%02d pounds", p / 100,
                      p % 100);
        return text;
    }
    if (InRange(id, CounterPrizeValueAtBand, kBands)) {
        std::snprintf(text, sizeof text, "prize value won at payout band %d (pence)",
                      id - CounterPrizeValueAtBand);
        return text;
    }
    if (id == 8 || id == 40 || id == 41) return "reserved";
    return "seconds of play";
}
