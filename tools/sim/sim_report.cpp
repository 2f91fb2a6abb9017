#include "sim_report.h"

#include <cstdio>

#include "credit/link.h"
#include "records/audit.h"
#include "records/audit_meanings.h"

namespace {
double Pounds(int64_t pence) {
    return static_cast<double>(pence) / 100.0;
}
double Percent(uint64_t part, uint64_t whole) {
    return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}
}  // namespace

bool PrintSimReport(const SimSettings& s, const SimMoney& m, bool memoryService) {
    const SimTally& t = gSimTally;
    int64_t takings = static_cast<int64_t>(t.gamesPlayed) * GameStake;
    std::printf(
        "Brindlemark simulation: seed %u, skill %.2f/%.2f/%.2f by grade, "
        "%s credit service%s\n\n",
        s.seed, s.skill[0], s.skill[1], s.skill[2], memoryService ? "in-process" : "real",
        s.frames ? ", every frame drawn" : "");
    std::printf("Games played            %llu\n", static_cast<unsigned long long>(t.gamesPlayed));
    std::printf("Takings                 %.2f pounds\n", Pounds(takings));
    std::printf("Prizes paid             %.2f pounds\n", Pounds(t.prizesPaid));
    std::printf("Payout                  %.2f %%\n",
                Percent(static_cast<uint64_t>(t.prizesPaid), static_cast<uint64_t>(takings)));
    std::printf("Games reaching final    %llu (%.2f %%)\n",
                static_cast<unsigned long long>(t.reachedFinal),
                Percent(t.reachedFinal, t.gamesPlayed));
    std::printf("Coins put in            %.2f pounds\n\n", Pounds(t.inserted));

    std::printf("Prize      games      share\n");
    for (const auto& [prize, count] : t.prizeCount)
        std::printf("%6.2f %10llu %9.2f %%\n", Pounds(prize),
                    static_cast<unsigned long long>(count), Percent(count, t.gamesPlayed));
    std::printf("\nBand at start  games      share\n");
    for (int b = 0; b < 7; ++b)
        std::printf("%4d %15llu %9.2f %%\n", b, static_cast<unsigned long long>(t.bandCount[b]),
                    Percent(t.bandCount[b], t.gamesPlayed));
    std::printf("\nFinal payout balance %.2f, band %d\n\nAudit counters\n",
                static_cast<double>(gAuditRecord.balance[0]), PayoutBand());
    for (int id = 0; id < AuditCounterCount; ++id)
        std::printf("%3d  %-52s %11d\n", id, AuditCounterMeaning(id).c_str(),
                    gAuditRecord.counter[id]);

    int64_t expected = m.startCredit + m.startBank + t.inserted - takings + t.prizesPaid;
    int64_t actual = m.endCredit + m.endBank;
    bool balanced = expected == actual && gAuditRecord.counter[27] == t.prizesPaid &&
                    static_cast<uint64_t>(gAuditRecord.counter[0]) == t.gamesPlayed;
    std::printf(
        "\nMoney: start %.2f + coins %.2f - stakes %.2f + prizes %.2f = "
        "%.2f; service holds %.2f: %s\n",
        Pounds(m.startCredit + m.startBank), Pounds(t.inserted), Pounds(takings),
        Pounds(t.prizesPaid), Pounds(expected), Pounds(actual),
        balanced ? "balanced" : "NOT BALANCED");
    return balanced;
}
