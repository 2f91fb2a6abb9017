#include "fleet_report.h"

#include <cstdio>

bool IsReportPeriod(const std::string& p) {
    return p == "day" || p == "week" || p == "month" || p == "quarter";
}

bool ReadFleet(FleetDb& db, std::vector<FleetCabinetRow>* rows, std::string* error) {
    std::vector<std::vector<std::string>> cells;
    const char* sql =
        "SELECT c.cabinet, c.state, to_char(c.last_seen AT TIME ZONE 'UTC',"
        " 'YYYY-MM-DD HH24:MI:SS'), l.credit, l.bank, m.band,"
        " t.games, t.takings"
        " FROM cabinets c"
        " LEFT JOIN LATERAL (SELECT credit, bank FROM ledger WHERE cabinet = c.cabinet"
        "   ORDER BY seq DESC LIMIT 1) l ON true"
        " LEFT JOIN LATERAL (SELECT band FROM meters WHERE cabinet = c.cabinet"
        "   ORDER BY seq DESC LIMIT 1) m ON true"
        " LEFT JOIN LATERAL (SELECT count(*) AS games, coalesce(sum(stake - prize), 0) AS takings"
        "   FROM games WHERE cabinet = c.cabinet AND sent_at >= date_trunc('day', now())) t ON true"
        " ORDER BY c.cabinet";
    if (!db.Query(sql, {}, &cells, error)) return false;
    for (auto& c : cells) rows->push_back({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]});
    return true;
}

bool ReadPeriodReport(FleetDb& db, const std::string& period, std::vector<FleetPeriodRow>* rows,
                      std::string* error) {
    if (!IsReportPeriod(period)) {
        *error = "the period is day, week, month or quarter";
        return false;
    }
    std::vector<std::vector<std::string>> cells;
    const char* sql =
        "WITH money AS ("
        "  SELECT cabinet, date_trunc($1, at AT TIME ZONE 'UTC')::date AS period,"
        "   sum(CASE request WHEN 'CADD' THEN amount ELSE 0 END) AS credit_added,"
        "   sum(CASE request WHEN 'CUSE' THEN amount ELSE 0 END) AS credit_used,"
        "   sum(CASE request WHEN 'BADD' THEN amount ELSE 0 END) AS bank_paid,"
        "   sum(CASE request WHEN 'PAYO' THEN amount ELSE 0 END) AS paid_out"
        "  FROM ledger GROUP BY 1, 2),"
        " played AS ("
        "  SELECT cabinet, date_trunc($1, sent_at AT TIME ZONE 'UTC')::date AS period,"
        "   count(*) AS games, sum(coalesce(stake, 0)) AS stakes,"
        "   sum(coalesce(prize, 0)) AS prizes FROM games GROUP BY 1, 2)"
        " SELECT to_char(coalesce(m.period, p.period), 'YYYY-MM-DD'),"
        "  coalesce(m.cabinet, p.cabinet), coalesce(p.games, 0), coalesce(p.stakes, 0),"
        "  coalesce(p.prizes, 0), coalesce(m.credit_added, 0), coalesce(m.credit_used, 0),"
        "  coalesce(m.bank_paid, 0), coalesce(m.paid_out, 0)"
        " FROM money m FULL JOIN played p ON m.cabinet = p.cabinet AND m.period = p.period"
        " ORDER BY 1, 2";
    if (!db.Query(sql, {period}, &cells, error)) return false;
    for (auto& c : cells) {
        FleetPeriodRow r;
        r.period = c[0];
        r.cabinet = c[1];
        r.games = std::stoll(c[2]);
        r.stakes = std::stoll(c[3]);
        r.prizes = std::stoll(c[4]);
        r.net = r.stakes - r.prizes;
        r.creditAdded = std::stoll(c[5]);
        r.creditUsed = std::stoll(c[6]);
        r.bankPaid = std::stoll(c[7]);
        r.paidOut = std::stoll(c[8]);
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

std::string PeriodReportCsv(const std::vector<FleetPeriodRow>& rows) {
    std::string out =
        "period,cabinet,games,stakes,prizes,net_takings,credit_added,credit_used,paid_to_bank,"
        "paid_out\r\n";
    for (const FleetPeriodRow& r : rows) {
        out += CsvField(r.period) + "," + CsvField(r.cabinet);
        for (long long v : {r.games, r.stakes, r.prizes, r.net, r.creditAdded, r.creditUsed,
                            r.bankPaid, r.paidOut})
            out += "," + std::to_string(v);
        out += "\r\n";
    }
    return out;
}

std::string PeriodReportText(const std::vector<FleetPeriodRow>& rows) {
    char line[512];
    std::snprintf(line, sizeof line, "%-10s  %-16s %7s %10s %10s %11s %12s %11s %12s %10s\n",
                  "period", "cabinet", "games", "stakes", "prizes", "net takings", "credit added",
                  "credit used", "paid to bank", "paid out");
    std::string out = line;
    for (const FleetPeriodRow& r : rows) {
        std::snprintf(line, sizeof line,
                      "%-10s  %-16s %7lld %10.2f %10.2f %11.2f %12.2f %11.2f %12.2f %10.2f\n",
                      r.period.c_str(), r.cabinet.c_str(), r.games, r.stakes / 100.0,
                      r.prizes / 100.0, r.net / 100.0, r.creditAdded / 100.0, r.creditUsed / 100.0,
                      r.bankPaid / 100.0, r.paidOut / 100.0);
        out += line;
    }
    return out;
}
