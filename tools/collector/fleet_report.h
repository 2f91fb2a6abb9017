// The fleet's figures from the central database: every cabinet's state, and the period report of
// stakes, prizes and net takings per cabinet, as text or CSV.
#pragma once
#include <string>
#include <vector>

#include "fleet_db.h"

struct CabinetRow {
    std::string cabinet, state, lastSeen, credit, bank, band, gamesToday, takingsToday;
};
bool ReadFleet(FleetDb& db, std::vector<CabinetRow>* rows, std::string* error);

// Per cabinet and period (day, week, month or quarter, by UTC date of the ledger entry): coins
// and notes taken in (CADD), credit used for stakes (CUSE), prizes paid to the bank (BADD), net
// takings (stakes less prizes), the bank paid out at cash collections (PAYO), and the games
// finished in the period.
struct PeriodRow {
    std::string period, cabinet;
    long long games = 0, coinsIn = 0, stakes = 0, prizes = 0, net = 0, paidOut = 0;
};
bool ReadPeriodReport(FleetDb& db, const std::string& period, std::vector<PeriodRow>* rows,
                      std::string* error);
bool IsReportPeriod(const std::string& period);
std::string PeriodReportCsv(const std::vector<PeriodRow>& rows);
std::string PeriodReportText(const std::vector<PeriodRow>& rows);
