#include "pages.h"

#include <cstdio>
#include <vector>

#include "cabinet_folder.h"
#include "html.h"
#include "records/audit_meanings.h"

namespace {
constexpr int LedgerPageRows = 50;
constexpr size_t PlotGames = 1000;
// The payout figure covers the changes since the last cash collection, or these last days when
// there was none in them.
constexpr int PayoutPercentDays = 7;
constexpr double BandThresholds[6] = {1000, 600, 200, -400, -800, -1000};
const char* const BandRanges[7] = {"1000 or more",      "600 to below 1000",  "200 to below 600",
                                   "-400 to below 200", "-800 to below -400", "-1000 to below -800",
                                   "below -1000"};

std::string Param(const PageInput& in, const char* name) {
    auto it = in.query.find(name);
    return it == in.query.end() ? "" : it->second;
}

std::string Card(const std::string& label, const std::string& value) {
    return "<div class=\"card\"><span>" + Escape(label) + "</span><strong>" + Escape(value) +
           "</strong></div>";
}

std::string Percent(int64_t part, int64_t whole) {
    if (whole <= 0) return "\xE2\x80\x93";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%",
                  100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return text;
}

std::string Decimal(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

PageOutput Failure(const PageInput& in, Tab tab, const std::string& title,
                   const std::string& error) {
    return PageOutput{500, Page(title, tab, in.csrf, "<p class=\"bad\">" + Escape(error) + "</p>")};
}

PageOutput BadRequest(const PageInput& in, Tab tab, const std::string& title,
                      const std::string& why) {
    return PageOutput{400, Page(title, tab, in.csrf, "<p class=\"bad\">" + Escape(why) + "</p>")};
}

bool IsDate(const std::string& text) {
    return text.empty() || !UtcOfLocalDate(text).empty();
}

// The ledger filter from the query; false with the reason when a parameter is not one.
bool ReadFilter(const PageInput& in, LedgerFilter* filter, std::string* why) {
    std::string kind = Param(in, "kind");
    filter->anyKind = kind.empty();
    if (!kind.empty() && !KindFromKey(kind, &filter->kind)) {
        *why = "unknown kind of change";
        return false;
    }
    filter->from = Param(in, "from");
    filter->to = Param(in, "to");
    if (!IsDate(filter->from) || !IsDate(filter->to)) {
        *why = "dates are written YYYY-MM-DD";
        return false;
    }
    return true;
}

bool ReadPeriod(const PageInput& in, Period* period, std::string* why) {
    std::string p = Param(in, "period");
    if (p.empty() || p == "day")
        *period = Period::Day;
    else if (p == "week")
        *period = Period::Week;
    else if (p == "month")
        *period = Period::Month;
    else {
        *why = "the period is day, week or month";
        return false;
    }
    if (!IsDate(Param(in, "rfrom")) || !IsDate(Param(in, "rto"))) {
        *why = "dates are written YYYY-MM-DD";
        return false;
    }
    return true;
}

std::string QueryText(const LedgerFilter& f) {
    std::string q;
    auto add = [&](const char* name, const std::string& v) {
        if (v.empty()) return;
        q += (q.empty() ? "?" : "&") + std::string(name) + "=" + v;  // values are checked plain
    };
    add("kind", f.anyKind ? "" : KindKey(f.kind));
    add("from", f.from);
    add("to", f.to);
    return q;
}

std::string TotalsCells(const MoneyTotals& t) {
    std::string cells = "<td class=\"n\">" + std::to_string(t.games) + "</td>";
    for (int64_t v :
         {t.moneyIn, t.stakes, t.prizesToBank, t.prizesToCredit, t.takenOut, t.payouts, t.Net()})
        cells += "<td class=\"n\">" + Money(v) + "</td>";
    return cells;
}

constexpr const char* TotalsHeads =
    "<th class=\"n\">games</th><th class=\"n\">money in</th><th class=\"n\">stakes</th>"
    "<th class=\"n\">prizes to bank</th><th class=\"n\">prizes to credit</th>"
    "<th class=\"n\">taken out</th><th class=\"n\">payouts</th><th class=\"n\">net</th>";

std::string PeriodLabel(Period period, const std::string& key) {
    return period == Period::Week ? "week of " + key : key;
}
}  // namespace

PageOutput MessagePage(const std::string& title, const std::string& csrf, const std::string& cls,
                       const std::string& text, int status) {
    return PageOutput{status, Page(title, Tab::Actions, csrf,
                                   "<p class=\"" + cls + "\">" + Escape(text) +
                                       "</p><p><a href=\"/actions\">Back to the actions</a></p>")};
}

PageOutput OverviewPage(const PageInput& in) {
    std::string error;
    int64_t credit = 0, bank = 0;
    LedgerReader::Overview figures;
    if (!in.ledger->Balances(&credit, &bank, &error) ||
        !in.ledger->ReadOverview(UtcOfLocalDate(LocalToday()), UtcOfLocalDate(LocalWeekStart()),
                                 UtcDaysAgo(PayoutPercentDays), &figures, &error))
        return Failure(in, Tab::Overview, "Overview", error);
    const MoneyTotals &today = figures.today, &week = figures.week,
                      &sincePayout = figures.sincePayout;
    const std::string& payoutTime = figures.payoutTime;
    AuditReading audit = ReadAudit(in.folder);
    std::string body =
        "<div class=\"cards\">" + Card("Credit now", Money(credit)) + Card("Bank now", Money(bank));
    if (audit.present) {
        float balance = audit.record.balance[0];
        int band = PayoutBandOf(balance);
        body += Card("Payout band", std::to_string(band) + " (" + BandRanges[band] + ")") +
                Card("Payout balance", Decimal(balance));
    }
    body += Card("Games today", std::to_string(today.games)) +
            Card("Takings today", Money(today.Net())) +
            Card("Games this week", std::to_string(week.games)) +
            Card("Takings this week", Money(week.Net())) +
            Card(figures.sinceHorizon ? "Payout % over the last 7 days"
                                      : "Payout % since the last cash collection",
                 Percent(sincePayout.Prizes(), sincePayout.stakes));
    if (audit.present)
        body += Card("Payout % on the meters",
                     Percent(audit.record.counter[27], int64_t{50} * audit.record.counter[0]));
    body += "</div><p class=\"note\">Takings are stakes less prizes. ";
    body += payoutTime.empty() ? std::string("The bank has never been paid out")
                               : "The last cash collection was at " + LocalTimeText(payoutTime);
    body += std::string(figures.sinceHorizon ? "; in the last 7 days " : "; since then ") +
            std::to_string(sincePayout.games) + " games, " + Money(sincePayout.stakes) +
            " staked, " + Money(sincePayout.Prizes()) + " won.";
    body += "</p>";
    if (!audit.present) body += "<p class=\"warn\">" + Escape(audit.problem) + "</p>";

    body += "<h2>Payout balance over the last games</h2>";
    std::vector<double> balances;
    std::string note;
    std::vector<GameBalance> history = ReadBalanceHistory(in.folder, PlotGames);
    if (!history.empty()) {
        for (const GameBalance& g : history) balances.push_back(g.balance);
        note = "The last " + std::to_string(balances.size()) + " games (games " +
               std::to_string(history.front().seq) + " to " + std::to_string(history.back().seq) +
               "), as the cabinet recorded its balance after each";
    } else {
        // A cabinet that has not written its balance history yet: worked back from the recall.
        std::vector<RecalledGame> games;
        std::string problem;
        if (ReadRecall(in.folder, &games, &problem) && audit.present) {
            balances = BalanceHistory(games, audit.record.balance[0]);
            note = "The last " + std::to_string(balances.size()) +
                   " games the recall holds (games " + std::to_string(games.front().seq) + " to " +
                   std::to_string(games.back().seq) +
                   "), worked back from the balance now by each game's stake and prizes";
        } else {
            body += "<p class=\"warn\">" + Escape(problem.empty() ? audit.problem : problem) +
                    ": the plot is drawn from the balance history or the recall of past "
                    "games.</p>";
        }
    }
    if (!balances.empty())
        body += BalancePlot(balances, std::vector<double>(BandThresholds, BandThresholds + 6)) +
                "<p class=\"note\">" + Escape(note) +
                "; the dashed lines are the band thresholds.</p>";
    return PageOutput{200, Page("Overview", Tab::Overview, in.csrf, body)};
}

PageOutput MetersPage(const PageInput& in) {
    AuditReading audit = ReadAudit(in.folder);
    if (!audit.present)
        return PageOutput{200, Page("Meters", Tab::Meters, in.csrf,
                                    "<p class=\"warn\">" + Escape(audit.problem) + "</p>")};
    const AuditRecord& r = audit.record;
    int band = PayoutBandOf(r.balance[0]);
    std::string body = "<div class=\"cards\">" + Card("Payout balance", Decimal(r.balance[0])) +
                       Card("Payout band", std::to_string(band) + " (" + BandRanges[band] + ")") +
                       Card("Second balance", Decimal(r.balance[1])) +
                       Card("Record first written", audit.firstDate + " (MM/DD/YY)") + "</div>";
    struct Group {
        const char* name;
        std::vector<int> ids;
    };
    std::vector<int> prizes{27}, bands;
    for (int id = 11; id <= 25; ++id) prizes.push_back(id);
    for (int id = 1; id <= 7; ++id) bands.push_back(id);
    for (int id = 28; id <= 34; ++id) bands.push_back(id);
    const Group groups[] = {{"Games", {0, 35, 26, 36, 37, 38}},
                            {"Bands", bands},
                            {"Questions", {9, 10}},
                            {"Prizes", prizes},
                            {"Time", {39}},
                            {"Reserved", {8, 40, 41}}};
    for (const Group& g : groups) {
        body += std::string("<h2>") + g.name +
                "</h2><div class=\"scroll\"><table><tr><th class=\"n\">counter</th><th>meaning"
                "</th><th class=\"n\">value</th></tr>";
        for (int id : g.ids) {
            int32_t v = r.counter[id];
            std::string shown = std::to_string(v);
            if (id == 27 || (id >= 28 && id <= 34)) shown += " (" + Money(v) + ")";
            if (id == 39) {
                char t[48];
                std::snprintf(t, sizeof t, " (%dh %02dm)", v / 3600, (v / 60) % 60);
                shown += t;
            }
            body += "<tr><td class=\"n\">" + std::to_string(id) + "</td><td>" +
                    Escape(AuditCounterMeaning(id)) + "</td><td class=\"n\">" + Escape(shown) +
                    "</td></tr>";
        }
        body += "</table></div>";
    }
    return PageOutput{200, Page("Meters", Tab::Meters, in.csrf, body)};
}

PageOutput MoneyPage(const PageInput& in) {
    LedgerFilter filter;
    Period period;
    std::string why;
    if (!ReadFilter(in, &filter, &why) || !ReadPeriod(in, &period, &why))
        return BadRequest(in, Tab::Money, "Money", why);
    std::string beforeText = Param(in, "before");
    int64_t before = 0;
    if (!beforeText.empty()) {
        if (beforeText.size() > 18 ||
            beforeText.find_first_not_of("0123456789") != std::string::npos)
            return BadRequest(in, Tab::Money, "Money", "not a ledger position");
        before = std::stoll(beforeText);
    }
    std::vector<LedgerEntry> rows;
    bool more = false;
    std::string error;
    if (!in.ledger->Page(filter, before, LedgerPageRows, &rows, &more, &error))
        return Failure(in, Tab::Money, "Money", error);

    std::string body =
        "<h2>Ledger</h2><form class=\"filter\" method=\"get\" action=\"/money\">"
        "<label>Kind<select name=\"kind\"><option value=\"\">all</option>";
    for (EntryKind k : AllKinds)
        body += std::string("<option value=\"") + KindKey(k) + "\"" +
                (!filter.anyKind && filter.kind == k ? " selected" : "") + ">" + KindName(k) +
                "</option>";
    body += "</select></label><label>From<input type=\"date\" name=\"from\" value=\"" +
            Escape(filter.from) + "\"></label><label>To<input type=\"date\" name=\"to\" value=\"" +
            Escape(filter.to) + "\"></label><button>Show</button> <a href=\"/money.csv" +
            QueryText(filter) + "\">CSV of these changes</a></form>";
    body +=
        "<div class=\"scroll\"><table><tr><th class=\"n\">change</th><th>time</th><th>kind"
        "</th><th class=\"opt\">request</th><th class=\"opt\">client</th><th "
        "class=\"n\">amount</th><th class=\"n\">"
        "credit after</th><th class=\"n\">bank after</th></tr>";
    for (const LedgerEntry& e : rows)
        body += "<tr><td class=\"n\">" + std::to_string(e.id) + "</td><td>" +
                Escape(LocalTimeText(e.time)) + "</td><td>" + KindName(e.kind) +
                "</td><td class=\"opt\">" + Escape(e.request) + "</td><td class=\"opt\">" +
                Escape(e.client) + "</td><td class=\"n\">" + Money(e.amount) +
                "</td><td class=\"n\">" + Money(e.credit) + "</td><td class=\"n\">" +
                Money(e.bank) + "</td></tr>";
    if (rows.empty()) body += "<tr><td colspan=\"8\">no changes</td></tr>";
    body += "</table></div><div class=\"paging\">";
    std::string base = QueryText(filter);
    if (before > 0) body += "<a href=\"/money" + base + "\">newest</a>";
    if (more)
        body += "<a href=\"/money" + base + (base.empty() ? "?" : "&") +
                "before=" + std::to_string(rows.back().id) + "\">older changes</a>";
    body += "</div>";

    std::vector<PeriodRow> report;
    MoneyTotals sum;
    std::string rfrom = Param(in, "rfrom"), rto = Param(in, "rto");
    if (!in.ledger->Report(period, rfrom, rto, &report, &sum, &error))
        return Failure(in, Tab::Money, "Money", error);
    const char* periodKey = period == Period::Day    ? "day"
                            : period == Period::Week ? "week"
                                                     : "month";
    body +=
        "<h2>Report</h2><form class=\"filter\" method=\"get\" action=\"/money\">"
        "<label>Per<select name=\"period\">";
    for (const char* p : {"day", "week", "month"})
        body += std::string("<option") + (std::string(p) == periodKey ? " selected" : "") + ">" +
                p + "</option>";
    std::string reportQuery = std::string("?period=") + periodKey +
                              (rfrom.empty() ? "" : "&rfrom=" + rfrom) +
                              (rto.empty() ? "" : "&rto=" + rto);
    body += "</select></label><label>From<input type=\"date\" name=\"rfrom\" value=\"" +
            Escape(rfrom) + "\"></label><label>To<input type=\"date\" name=\"rto\" value=\"" +
            Escape(rto) + "\"></label><button>Report</button> <a href=\"/report.csv" + reportQuery +
            "\">CSV of this report</a></form>";
    body += "<div class=\"scroll\"><table><tr><th>" + std::string(periodKey) + "</th>" +
            TotalsHeads + "</tr>";
    for (const PeriodRow& p : report)
        body += "<tr><td>" + Escape(PeriodLabel(period, p.period)) + "</td>" +
                TotalsCells(p.totals) + "</tr>";
    body += "<tr><th>total</th>" + TotalsCells(sum) + "</tr></table></div>";
    body +=
        "<p class=\"note\">Times are local. The service records requests only: a CADD"
        " whose sender's previous change was a stake or a prize to the bank is the pence of a"
        " prize paid to the credit, any other is money put in; a CUSE of 50 is a stake, any"
        " other is credit taken out. Net is stakes less prizes.</p>";
    return PageOutput{200, Page("Money", Tab::Money, in.csrf, body)};
}

PageOutput LedgerCsv(const PageInput& in) {
    LedgerFilter filter;
    std::string why, error;
    if (!ReadFilter(in, &filter, &why)) return PageOutput{400, why + "\n", "text/plain"};
    std::vector<LedgerEntry> rows;
    if (!in.ledger->All(filter, &rows, &error)) return PageOutput{500, error + "\n", "text/plain"};
    std::string csv = "change,time_utc,kind,request,client,amount,credit_after,bank_after\r\n";
    for (const LedgerEntry& e : rows)
        csv += std::to_string(e.id) + "," + CsvField(e.time) + "," + KindName(e.kind) + "," +
               CsvField(e.request) + "," + CsvField(e.client) + "," + PlainMoney(e.amount) + "," +
               PlainMoney(e.credit) + "," + PlainMoney(e.bank) + "\r\n";
    return PageOutput{200, csv, "text/csv; charset=utf-8", "ledger.csv"};
}

PageOutput ReportCsv(const PageInput& in) {
    Period period;
    std::string why, error;
    if (!ReadPeriod(in, &period, &why)) return PageOutput{400, why + "\n", "text/plain"};
    std::vector<PeriodRow> report;
    MoneyTotals sum;
    if (!in.ledger->Report(period, Param(in, "rfrom"), Param(in, "rto"), &report, &sum, &error))
        return PageOutput{500, error + "\n", "text/plain"};
    std::string csv =
        "period,games,money_in,stakes,prizes_to_bank,prizes_to_credit,taken_out,"
        "payouts,net\r\n";
    auto line = [&](const std::string& label, const MoneyTotals& t) {
        csv += CsvField(label) + "," + std::to_string(t.games);
        for (int64_t v : {t.moneyIn, t.stakes, t.prizesToBank, t.prizesToCredit, t.takenOut,
                          t.payouts, t.Net()})
            csv += "," + PlainMoney(v);
        csv += "\r\n";
    };
    for (const PeriodRow& p : report) line(p.period, p.totals);
    line("total", sum);
    return PageOutput{200, csv, "text/csv; charset=utf-8", "report.csv"};
}

PageOutput GamesPage(const PageInput& in) {
    std::vector<RecalledGame> games;
    std::string problem;
    if (!ReadRecall(in.folder, &games, &problem))
        return PageOutput{200, Page("Games", Tab::Games, in.csrf,
                                    "<p class=\"warn\">" + Escape(problem) + "</p>")};
    std::string body = "<p class=\"note\">The last " + std::to_string(games.size()) +
                       " games the cabinet recalls, newest first. Times are the cabinet's.</p>";
    for (auto g = games.rbegin(); g != games.rend(); ++g) {
        std::string start = g->start;
        if (start.size() > 10 && start[10] == 'T') start[10] = ' ';
        body += "<h2>Game " + std::to_string(g->seq) + " \xE2\x80\x93 " + Escape(start) +
                "</h2><p>Band " + std::to_string(g->band) + ", big teams beaten " +
                std::to_string(g->bigTeamsBeaten) + ", prize " + Money(g->prize) +
                (g->prize > 0 ? " (" + Escape(g->payment) + ")" : "") +
                (g->resumed > 0 ? ", resumed " + std::to_string(g->resumed) + " time(s)" : "") +
                "</p><div class=\"scroll\"><table><tr><th>#</th><th>question</th><th>right "
                "answer</th><th>player</th><th class=\"n\">seconds</th></tr>";
        int n = 0;
        for (const RecalledQuestion& q : g->questions) {
            std::string touch =
                q.touch + (q.secondTry ? " (second try)" : "") + (q.joker ? " (joker)" : "");
            body += "<tr><td>" + std::to_string(++n) + (q.stage == "final" ? " final" : "") +
                    "</td><td>" + Escape(q.statement) + "</td><td>" +
                    (q.answer ? "true" : "false") + "</td><td>" + Escape(touch) +
                    "</td><td class=\"n\">" + Decimal(q.seconds) + "</td></tr>";
        }
        body += "</table></div>";
    }
    return PageOutput{200, Page("Games", Tab::Games, in.csrf, body)};
}

PageOutput EventsPage(const PageInput& in) {
    std::string problem;
    std::vector<CabinetEvent> events = ReadEvents(in.folder, &problem);
    if (!problem.empty())
        return PageOutput{200, Page("Events", Tab::Events, in.csrf,
                                    "<p class=\"warn\">" + Escape(problem) + "</p>")};
    std::map<std::string, int> counts;
    for (const CabinetEvent& e : events) ++counts[EventKindName(e.kind)];
    std::string body = "<div class=\"cards\">";
    for (EventKind k : {EventKind::StartUp, EventKind::Shutdown, EventKind::FailedPayment,
                        EventKind::LatePayment, EventKind::ResumedGame, EventKind::Fault})
        body += Card(EventKindName(k), std::to_string(counts[EventKindName(k)]));
    body +=
        "</div><h2>From the cabinet's log, newest first</h2><div class=\"scroll\"><table>"
        "<tr><th>time (day/month/year)</th><th>event</th><th>message</th></tr>";
    for (auto e = events.rbegin(); e != events.rend(); ++e)
        body += "<tr><td>" + Escape(e->time) + "</td><td>" + EventKindName(e->kind) + "</td><td>" +
                Escape(e->text) + "</td></tr>";
    if (events.empty()) body += "<tr><td colspan=\"3\">no events</td></tr>";
    body += "</table></div>";
    return PageOutput{200, Page("Events", Tab::Events, in.csrf, body)};
}

PageOutput ActionsPage(const PageInput& in) {
    int64_t credit = 0, bank = 0;
    std::string error;
    if (!in.ledger->Balances(&credit, &bank, &error))
        return Failure(in, Tab::Actions, "Actions", error);
    std::string body =
        "<p class=\"note\">Each action asks for confirmation first, and is written to the "
        "console's log with the time and the session.</p><h2>Insert test credit</h2>"
        "<form method=\"post\" action=\"/actions/credit\">" +
        CsrfField(in.csrf) + "<label>Amount<select name=\"pence\">";
    for (int p : {10, 20, 50, 100, 200, 500, 1000})
        body += "<option value=\"" + std::to_string(p) + "\"" + (p == 100 ? " selected" : "") +
                ">" + Money(p) + "</option>";
    body +=
        "</select></label> <button>Insert\xE2\x80\xA6</button></form>"
        "<h2>Pay out the bank (cash collection)</h2><p>The bank holds <strong>" +
        Money(bank) + "</strong>; the credit is " + Money(credit) + ".</p>";
    if (bank > 0)
        body += "<form method=\"post\" action=\"/actions/payout\">" + CsrfField(in.csrf) +
                "<input type=\"hidden\" name=\"pence\" value=\"" + std::to_string(bank) +
                "\"><button class=\"danger\">Pay out " + Money(bank) +
                "\xE2\x80\xA6</button></form>";
    else
        body += "<p class=\"note\">There is nothing to pay out.</p>";
    return PageOutput{200, Page("Actions", Tab::Actions, in.csrf, body)};
}
