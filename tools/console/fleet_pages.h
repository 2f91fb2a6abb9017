// The console's fleet mode: every cabinet of the fleet, a cabinet's own pages and the fleet's
// period report, all from the central database the collector fills.
#pragma once
#include <map>
#include <string>

#include "pages.h"

struct FleetPageInput {
    std::string url;  // the fleet database
    std::string csrf;
    std::map<std::string, std::string> query;
};

// Every cabinet: online or offline, last seen, credit and bank, band, games and takings today.
PageOutput FleetOverviewPage(const FleetPageInput& in);
// One cabinet (?id=): its state changes, last meters, latest games, ledger and faults.
PageOutput FleetCabinetPage(const FleetPageInput& in);
// Stakes, prizes and net takings per cabinet and period (?period=day|week|month|quarter).
PageOutput FleetReportPage(const FleetPageInput& in);
PageOutput FleetReportCsv(const FleetPageInput& in);
