#include "sim_report.h"

#include <cmath>
#include <cstdio>

#include "credit/link.h"
#include "records/audit.h"
#include "records/audit_meanings.h"

namespace {
// What one game bought takes off the payout balance.
constexpr double StakeShare = 12.5;

double Pounds(int64_t pence) {
    return static_cast<double>(pence) / 100.0;
}
double Percent(double part, double whole) {
    return whole != 0 ? 100.0 * part / whole : 0.0;
}
unsigned long long Count(uint64_t n) {
    return static_cast<unsigned long long>(n);
}

// Whether the money the service holds is what the games and the player put in and took out,
// and the audit counts the same games and prizes.
bool PrintMoneyCheck(const SimMoney& m, const SimTally& t, int64_t takings) {
    int64_t expected =
        m.startCredit + m.startBank + t.inserted - t.collected - takings + t.prizesPaid;
    int64_t actual = m.endCredit + m.endBank;
    bool audited = gAuditRecord.counter[27] == t.prizesPaid &&
                   static_cast<uint64_t>(gAuditRecord.counter[0]) == t.gamesPlayed;
    bool balanced = expected == actual && audited;
    std::printf(
        "Money: start %.2f + coins %.2f - taken away %.2f - stakes %.2f + prizes %.2f = %.2f; "
        "service holds %.2f; audit: %d games, prizes %.2f: %s\n",
        Pounds(m.startCredit + m.startBank), Pounds(t.inserted), Pounds(t.collected),
        Pounds(takings), Pounds(t.prizesPaid), Pounds(expected), Pounds(actual),
        gAuditRecord.counter[0], Pounds(gAuditRecord.counter[27]),
        balanced ? "balanced" : "NOT BALANCED");
    return balanced;
}

// Whether the payout balance moved by exactly the stakes, prizes and big teams of the games
// played, within the rounding of the record's single-precision number.
bool PrintPayoutBalanceCheck(const SimTally& t) {
    double expected = t.startBalance - StakeShare * static_cast<double>(t.gamesPlayed) +
                      static_cast<double>(t.prizesPaid) + t.bigTeamPrizes;
    double actual = static_cast<double>(gAuditRecord.balance[0]);
    // Three single-precision additions a game, each rounded by at most half a unit in the last
    // place of the largest balance seen.
    double largest = std::fmax(t.largestBalance, std::fmax(std::fabs(expected), std::fabs(actual)));
    double tolerance = 3.0 * static_cast<double>(t.gamesPlayed) * largest * std::ldexp(1.0, -24);
    bool agrees = std::fabs(expected - actual) <= tolerance;
    std::printf(
        "Payout balance: start %.1f - %.1f x %llu games + prizes %lld + big teams beaten %.0f = "
        "%.1f; "
        "record holds %.1f: %s\n",
        t.startBalance, StakeShare, Count(t.gamesPlayed), static_cast<long long>(t.prizesPaid),
        t.bigTeamPrizes, expected, actual, agrees ? "agrees" : "DOES NOT AGREE");
    return agrees;
}
}  // namespace

bool PrintSimReport(const SimSettings& s, const SimMoney& m, bool memoryService) {
    const SimTally& t = gSimTally;
    int64_t takings = static_cast<int64_t>(t.gamesPlayed) * GameStake;
    double games = static_cast<double>(t.gamesPlayed);
    std::printf(
        "Brindlemark simulation: seed %u, skill %.2f/%.2f/%.2f by grade, "
        "%s credit service%s\n\n",
        s.seed, s.skill[0], s.skill[1], s.skill[2], memoryService ? "in-process" : "real",
        s.frames ? ", every frame drawn" : "");
    std::printf("Games played            %llu\n", Count(t.gamesPlayed));
    std::printf("Takings                 %.2f pounds\n", Pounds(takings));
    std::printf("Prizes paid             %.2f pounds\n", Pounds(t.prizesPaid));
    std::printf("Payout                  %.2f %%\n",
                Percent(static_cast<double>(t.prizesPaid), static_cast<double>(takings)));
    std::printf("Games won               %llu (%.2f %%)\n", Count(t.gamesWon),
                Percent(static_cast<double>(t.gamesWon), games));
    std::printf("Games reaching final    %llu (%.2f %%)\n", Count(t.reachedFinal),
                Percent(static_cast<double>(t.reachedFinal), games));
    std::printf("Coins put in            %.2f pounds\n", Pounds(t.inserted));
    std::printf("Taken away by players   %.2f pounds\n", Pounds(t.collected));
    std::printf("Cabinet starts          %llu\n", Count(t.cabinetStarts));
    std::printf("Clock                   %u ms at start, ran %.0f s\n\n", m.clockStart,
                static_cast<double>(m.clockRan) / 1000.0);

    std::printf("Prize      games      share\n");
    for (const auto& [prize, count] : t.prizeCount)
        std::printf("%6.2f %10llu %9.2f %%\n", Pounds(prize), Count(count),
                    Percent(static_cast<double>(count), games));
    uint64_t allMs = 0;
    for (uint64_t ms : t.bandMs) allMs += ms;
    std::printf("\nBand at start  games      share   of play time\n");
    for (int b = 0; b < 7; ++b)
        std::printf("%4d %15llu %9.2f %% %9.2f %%\n", b, Count(t.bandCount[b]),
                    Percent(static_cast<double>(t.bandCount[b]), games),
                    Percent(static_cast<double>(t.bandMs[b]), static_cast<double>(allMs)));
    std::printf("\nFinal payout balance %.2f, band %d\n\nAudit counters\n",
                static_cast<double>(gAuditRecord.balance[0]), PayoutBand());
    for (int id = 0; id < AuditCounterCount; ++id)
        std::printf("%3d  %-52s %11d\n", id, AuditCounterMeaning(id).c_str(),
                    gAuditRecord.counter[id]);
    std::printf("\n");
    bool balanced = PrintMoneyCheck(m, t, takings);
    bool agrees = PrintPayoutBalanceCheck(t);
    return balanced && agrees;
}
