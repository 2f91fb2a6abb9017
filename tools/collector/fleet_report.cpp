#include "fleet_report.h"

#include <cstdio>

bool IsReportPeriod(const std::string& p) {
    return p == "day" || p == "week" || p == "month" || p == "quarter";
}

bool ReadFleet(FleetDb& db, std::vector<CabinetRow>* rows, std::string* error) {
    std::vector<std::vector<std::string>> cells;
    const char* sql =
        "SELECT c.cabinet, c.state, to_char(c.last_seen AT TIME ZONE 'UTC',"
        " 'YYYY-MM-DD HH24:MI:SS'), l.credit, l.bank, m.band,"
        " (SELECT count(*) FROM games g WHERE g.cabinet = c.cabinet"
        "   AND g.sent_at >= date_trunc('day', now())),"
        " (SELECT coalesce(sum(CASE request WHEN 'CUSE' THEN amount WHEN 'BADD' THEN -amount"
        "   ELSE 0 END), 0) FROM ledger x WHERE x.cabinet = c.cabinet"
        "   AND x.at >= date_trunc('day', now()))"
        " FROM cabinets c"
        " LEFT JOIN LATERAL (SELECT credit, bank FROM ledger WHERE cabinet = c.cabinet"
        "   ORDER BY seq DESC LIMIT 1) l ON true"
        " LEFT JOIN LATERAL (SELECT band FROM meters WHERE cabinet = c.cabinet"
        "   ORDER BY seq DESC LIMIT 1) m ON true"
        " ORDER BY c.cabinet";
    if (!db.Query(sql, {}, &cells, error)) return false;
    for (auto& c : cells) rows->push_back({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]});
    return true;
}

bool ReadPeriodReport(FleetDb& db, const std::string& period, std::vector<PeriodRow>* rows,
                      std::string* error) {
    if (!IsReportPeriod(period)) {
        *error = "the period is day, week, month or quarter";
        return false;
    }
    std::vector<std::vector<std::string>> cells;
    const char* sql =
        "WITH money AS ("
        "  SELECT cabinet, date_trunc($1, at AT TIME ZONE 'UTC')::date AS period,"
        "   sum(CASE request WHEN 'CADD' THEN amount ELSE 0 END) AS coins_in,"
        "   sum(CASE request WHEN 'CUSE' THEN amount ELSE 0 END) AS stakes,"
        "   sum(CASE request WHEN 'BADD' THEN amount ELSE 0 END) AS prizes,"
        "   sum(CASE request WHEN 'PAYO' THEN amount ELSE 0 END) AS paid_out"
        "  FROM ledger GROUP BY 1, 2),"
        " played AS ("
        "  SELECT cabinet, date_trunc($1, sent_at AT TIME ZONE 'UTC')::date AS period,"
        "   count(*) AS games FROM games GROUP BY 1, 2)"
        " SELECT to_char(coalesce(m.period, p.period), 'YYYY-MM-DD'),"
        "  coalesce(m.cabinet, p.cabinet), coalesce(p.games, 0), coalesce(m.coins_in, 0),"
        "  coalesce(m.stakes, 0), coalesce(m.prizes, 0), coalesce(m.paid_out, 0)"
        " FROM money m FULL JOIN played p ON m.cabinet = p.cabinet AND m.period = p.period"
        " ORDER BY 1, 2";
    if (!db.Query(sql, {period}, &cells, error)) return false;
    for (auto& c : cells) {
        PeriodRow r;
        r.period = c[0];
        r.cabinet = c[1];
        r.games = std::stoll(c[2]);
        r.coinsIn = std::stoll(c[3]);
        r.stakes = std::stoll(c[4]);
        r.prizes = std::stoll(c[5]);
        r.net = r.stakes - r.prizes;
        r.paidOut = std::stoll(c[6]);
        rows->push_back(r);
    }
    return true;
}

namespace {
// A CSV field, quoted when it holds a separator, a quote or a line end.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}
}  // namespace

std::string PeriodReportCsv(const std::vector<PeriodRow>& rows) {
    std::string out = "period,cabinet,games,coins_in,stakes,prizes,net_takings,paid_out\r\n";
    for (const PeriodRow& r : rows)
        out += CsvField(r.period) + "," + CsvField(r.cabinet) + "," + std::to_string(r.games) +
               "," + std::to_string(r.coinsIn) + "," + std::to_string(r.stakes) + "," +
               std::to_string(r.prizes) + "," + std::to_string(r.net) + "," +
               std::to_string(r.paidOut) + "\r\n";
    return out;
}

std::string PeriodReportText(const std::vector<PeriodRow>& rows) {
    char line[256];
    std::snprintf(line, sizeof line, "%-10s  %-20s %8s %10s %10s %10s %11s\n", "period", "cabinet",
                  "games", "coins in", "stakes", "prizes", "net takings");
    std::string out = line;
    for (const PeriodRow& r : rows) {
        std::snprintf(line, sizeof line, "%-10s  %-20s %8lld %10.2f %10.2f %10.2f %11.2f %10.2f\n",
                      r.period.c_str(), r.cabinet.c_str(), r.games, r.coinsIn / 100.0,
                      r.stakes / 100.0, r.prizes / 100.0, r.net / 100.0, r.paidOut / 100.0);
        out += line;
    }
    return out;
}
