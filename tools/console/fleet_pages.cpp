#include "fleet_pages.h"

#include "fleet_db.h"
#include "fleet_report.h"
#include "html.h"

namespace {
constexpr int RecentRows = 20;

std::string Param(const FleetPageInput& in, const char* name) {
    auto it = in.query.find(name);
    return it == in.query.end() ? "" : it->second;
}

PageOutput Trouble(const FleetPageInput& in, int status, const std::string& title,
                   const std::string& text) {
    return PageOutput{
        status, Page(title, Tab::FleetOther, in.csrf, "<p class=\"bad\">" + Escape(text) + "</p>")};
}

std::string MoneyCell(const std::string& pence) {
    if (pence.empty()) return "<td class=\"n\">\xE2\x80\x93</td>";
    return "<td class=\"n\">" + Money(std::stoll(pence)) + "</td>";
}

std::string Table(const std::vector<std::string>& heads,
                  const std::vector<std::vector<std::string>>& rows) {
    std::string t = "<div class=\"scroll\"><table><tr>";
    for (const std::string& h : heads) t += "<th>" + Escape(h) + "</th>";
    t += "</tr>";
    for (const auto& row : rows) {
        t += "<tr>";
        for (const std::string& cell : row) t += "<td>" + Escape(cell) + "</td>";
        t += "</tr>";
    }
    if (rows.empty())
        t += "<tr><td colspan=\"" + std::to_string(heads.size()) + "\">none</td></tr>";
    return t + "</table></div>";
}
}  // namespace

PageOutput FleetOverviewPage(const FleetPageInput& in) {
    FleetDb db;
    std::string error;
    std::vector<FleetCabinetRow> rows;
    if (!db.Connect(in.url, &error) || !ReadFleet(db, &rows, &error))
        return Trouble(in, 500, "Fleet", error);
    int online = 0;
    for (const FleetCabinetRow& r : rows) online += r.state == "online";
    std::string body = "<p>" + std::to_string(rows.size()) + " cabinets, " +
                       std::to_string(online) +
                       " online.</p><div class=\"scroll\"><table><tr><th>cabinet</th><th>state"
                       "</th><th>last seen (UTC)</th><th class=\"n\">credit</th><th class=\"n\">"
                       "bank</th><th class=\"n\">band</th><th class=\"n\">games today</th>"
                       "<th class=\"n\">takings today</th></tr>";
    for (const FleetCabinetRow& r : rows)
        body += "<tr><td><a href=\"/cabinet?id=" + Escape(r.cabinet) + "\">" + Escape(r.cabinet) +
                "</a></td><td class=\"" + (r.state == "online" ? "good" : "warn") + "\">" +
                Escape(r.state) + "</td><td>" + Escape(r.lastSeen) + "</td>" + MoneyCell(r.credit) +
                MoneyCell(r.bank) + "<td class=\"n\">" + Escape(r.band) + "</td><td class=\"n\">" +
                Escape(r.gamesToday) + "</td>" + MoneyCell(r.takingsToday) + "</tr>";
    if (rows.empty()) body += "<tr><td colspan=\"8\">No cabinet has reported yet.</td></tr>";
    return PageOutput{200, Page("Fleet", Tab::FleetCabinets, in.csrf, body + "</table></div>")};
}

PageOutput FleetCabinetPage(const FleetPageInput& in) {
    std::string id = Param(in, "id");
    FleetDb db;
    std::string error;
    if (!db.Connect(in.url, &error)) return Trouble(in, 500, "Cabinet", error);
    std::vector<std::vector<std::string>> state, meters, games, ledger, faults;
    bool ok = db.Query(
                  "SELECT state, to_char(state_since AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'),"
                  " to_char(last_seen AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'), last_seq"
                  " FROM cabinets WHERE cabinet = $1",
                  {id}, &state, &error) &&
              db.Query(
                  "SELECT after_game::text, band::text, balance::text, counters::text FROM meters"
                  " WHERE cabinet = $1 ORDER BY seq DESC LIMIT 1",
                  {id}, &meters, &error) &&
              db.Query(
                  "SELECT game::text, started, ended, stake::text, prize::text, payment FROM games"
                  " WHERE cabinet = $1 ORDER BY seq DESC LIMIT " +
                      std::to_string(RecentRows),
                  {id}, &games, &error) &&
              db.Query(
                  "SELECT entry::text, to_char(at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'),"
                  " request, amount::text, credit::text, bank::text FROM ledger WHERE cabinet = $1"
                  " ORDER BY seq DESC LIMIT " +
                      std::to_string(RecentRows),
                  {id}, &ledger, &error) &&
              db.Query(
                  "SELECT to_char(sent_at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'), line"
                  " FROM faults WHERE cabinet = $1 ORDER BY seq DESC LIMIT " +
                      std::to_string(RecentRows),
                  {id}, &faults, &error);
    if (!ok) return Trouble(in, 500, "Cabinet", error);
    if (state.empty()) return Trouble(in, 404, "Cabinet", "No cabinet " + id + " in the fleet.");
    std::string body = "<div class=\"cards\"><div class=\"card\"><span>State</span><strong>" +
                       Escape(state[0][0]) +
                       "</strong></div><div class=\"card\"><span>Since "
                       "(UTC)</span><strong>" +
                       Escape(state[0][1]) +
                       "</strong></div><div "
                       "class=\"card\"><span>Last seen (UTC)</span><strong>" +
                       Escape(state[0][2]) +
                       "</strong></div><div class=\"card\"><span>Messages"
                       "</span><strong>" +
                       Escape(state[0][3]) + "</strong></div></div>";
    body += "<h2>Meters</h2>";
    if (meters.empty())
        body += "<p class=\"note\">No meter snapshot yet.</p>";
    else
        body += "<p>After game " + Escape(meters[0][0]) + ": payout band " + Escape(meters[0][1]) +
                ", balances " + Escape(meters[0][2]) +
                ".</p><p class=\"note\">"
                "Counters: " +
                Escape(meters[0][3]) + "</p>";
    body += "<h2>Latest games</h2>" +
            Table({"game", "start", "end", "stake", "prize", "payment"}, games);
    body +=
        "<h2>Latest ledger entries</h2>" +
        Table({"entry", "time (UTC)", "request", "amount", "credit after", "bank after"}, ledger);
    body += "<h2>Faults</h2>" + Table({"sent (UTC)", "line"}, faults);
    return PageOutput{200, Page("Cabinet " + id, Tab::FleetOther, in.csrf, body)};
}

PageOutput FleetReportPage(const FleetPageInput& in) {
    std::string period = Param(in, "period");
    if (period.empty()) period = "day";
    if (!IsReportPeriod(period))
        return Trouble(in, 400, "Period report", "the period is day, week, month or quarter");
    FleetDb db;
    std::string error;
    std::vector<FleetPeriodRow> rows;
    if (!db.Connect(in.url, &error) || !ReadPeriodReport(db, period, &rows, &error))
        return Trouble(in, 500, "Period report", error);
    std::string body =
        "<form class=\"filter\" method=\"get\" action=\"/report\"><label>Period"
        "<select name=\"period\">";
    for (const char* p : {"day", "week", "month", "quarter"})
        body += std::string("<option") + (period == p ? " selected" : "") + ">" + p + "</option>";
    body += "</select></label><button>Show</button> <a href=\"/report.csv?period=" + period +
            "\">CSV</a></form><div class=\"scroll\"><table><tr><th>period</th><th>cabinet</th>"
            "<th class=\"n\">games</th><th class=\"n\">stakes</th><th class=\"n\">prizes</th>"
            "<th class=\"n\">net takings</th><th class=\"n\">credit added</th><th class=\"n\">"
            "credit used</th><th class=\"n\">paid to bank</th><th class=\"n\">paid out</th></tr>";
    for (const FleetPeriodRow& r : rows) {
        body += "<tr><td>" + Escape(r.period) + "</td><td>" + Escape(r.cabinet) +
                "</td><td class=\"n\">" + std::to_string(r.games) + "</td>";
        for (long long v :
             {r.stakes, r.prizes, r.net, r.creditAdded, r.creditUsed, r.bankPaid, r.paidOut})
            body += "<td class=\"n\">" + Money(v) + "</td>";
        body += "</tr>";
    }
    return PageOutput{200,
                      Page("Period report", Tab::FleetReport, in.csrf, body + "</table></div>")};
}

PageOutput FleetReportCsv(const FleetPageInput& in) {
    std::string period = Param(in, "period");
    if (period.empty()) period = "day";
    FleetDb db;
    std::string error;
    std::vector<FleetPeriodRow> rows;
    if (!IsReportPeriod(period)) return PageOutput{400, "bad period\n", "text/plain"};
    if (!db.Connect(in.url, &error) || !ReadPeriodReport(db, period, &rows, &error))
        return PageOutput{500, error + "\n", "text/plain"};
    return PageOutput{200, PeriodReportCsv(rows), "text/csv; charset=utf-8",
                      "fleet-" + period + ".csv"};
}
