// The fleet's figures from the central database: every cabinet's state, and the period report of
// stakes, prizes and net takings per cabinet, as text or CSV.
#pragma once
#include <string>
#include <vector>

#include "fleet_db.h"

struct FleetCabinetRow {
    std::string cabinet, state, lastSeen, credit, bank, band, gamesToday, takingsToday;
};
bool ReadFleet(FleetDb& db, std::vector<FleetCabinetRow>* rows, std::string* error);

// Per cabinet and period (day, week, month or quarter, by the UTC date the agent sent it): the
// games finished, their stakes and prizes from the cabinet's recall, net takings (stakes less
// prizes); and the credit service's ledger as it stands: credit added (CADD: coins, notes and
// the pence of prizes), credit used (CUSE: stakes and money taken out), paid to the bank (BADD)
// and paid out of the bank at cash collections (PAYO).
struct FleetPeriodRow {
    std::string period, cabinet;
    long long games = 0, stakes = 0, prizes = 0, net = 0;
    long long creditAdded = 0, creditUsed = 0, bankPaid = 0, paidOut = 0;
};
bool ReadPeriodReport(FleetDb& db, const std::string& period, std::vector<FleetPeriodRow>* rows,
                      std::string* error);
bool IsReportPeriod(const std::string& period);
std::string PeriodReportCsv(const std::vector<FleetPeriodRow>& rows);
std::string PeriodReportText(const std::vector<FleetPeriodRow>& rows);
