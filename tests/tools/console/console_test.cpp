// The console through a real HTTP client: nothing without signing in, refusals of wrong
// passwords, missing or stale form tokens, path tricks, over-long requests and floods of
// sign-ins; money that agrees with the service's own ledger and the audit after 200 simulated
// games; the actions, each confirmed once.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "cabinet_folder.h"
#include "support/capture.h"
#include "support/console_rig.h"

namespace {
const char* const Pages[] = {"/",      "/meters", "/money",   "/money.csv", "/report.csv",
                             "/games", "/events", "/actions", "/missing"};

std::string CreditShow(ConsoleRig& rig) {
    return RunCreditCommand({"show", "--port", std::to_string(rig.service().port())}, rig.folder())
        .output;
}

TEST(ConsoleSignIn, NothingIsServedWithoutSigningIn) {
    ConsoleRig rig("console-closed");
    ASSERT_TRUE(rig.started()) << rig.Log();
    ConsoleClient anonymous(rig.port());
    ConsoleClient formOnly(rig.port());
    formOnly.Get("/login");  // holds a sign-in form's cookie, but has not signed in
    ASSERT_FALSE(formOnly.cookie.empty());
    for (ConsoleClient* c : {&anonymous, &formOnly})
        for (const char* page : Pages) {
            httplib::Result r = c->Get(page);
            ASSERT_TRUE(r) << page;
            EXPECT_EQ(r->status, 303) << page;
            EXPECT_EQ(r->get_header_value("Location"), "/login") << page;
            EXPECT_EQ(r->body, "") << page;
        }
    for (const char* action : {"/actions/credit", "/actions/payout", "/logout"}) {
        httplib::Result r = formOnly.Post(
            action, {{"pence", "100"}, {"csrf", formOnly.lastCsrf}, {"confirm", "x"}});
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 403) << action;
    }
    EXPECT_NE(CreditShow(rig).find("credit \xC2\xA3"
                                   "0.00"),
              std::string::npos);

    ConsoleClient op(rig.port());
    httplib::Result form = op.Get("/login");
    EXPECT_NE(form->body.find("name=\"password\""), std::string::npos);
    EXPECT_NE(form->body.find("action=\"/login\""), std::string::npos);
    EXPECT_EQ(op.SignIn(OperatorPassword), 303);
    std::string setCookie;
    for (const char* page : Pages) {
        httplib::Result r = op.Get(page);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, std::string(page) == "/missing" ? 404 : 200) << page << r->body;
    }
    EXPECT_EQ(op.Get("/login")->status, 303) << "a signed-in session goes to the overview";
}

// A signed-in session lasts while it is used; left idle past its time it ends: the next page goes
// to the sign-in form and a form posted with it does nothing.
TEST(ConsoleSignIn, AnIdleSessionEndsAndTheNextRequestGoesToSignIn) {
    ConsoleRig rig("console-idle", {"--idle", "4"});
    ASSERT_TRUE(rig.started()) << rig.Log();
    ConsoleClient op(rig.port());
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);
    for (int i = 0; i < 6; ++i) {  // 6 seconds in use, each request within the idle time
        std::this_thread::sleep_for(std::chrono::seconds(1));
        httplib::Result r = op.Get("/meters");
        ASSERT_TRUE(r);
        ASSERT_EQ(r->status, 200) << "second " << i + 1;
    }
    std::string csrf = op.lastCsrf;
    std::this_thread::sleep_for(std::chrono::seconds(5));
    httplib::Result late = op.Get("/meters");
    ASSERT_TRUE(late);
    EXPECT_EQ(late->status, 303);
    EXPECT_EQ(late->get_header_value("Location"), "/login");
    EXPECT_EQ(late->body, "");
    httplib::Result post = op.Post("/actions/credit", {{"pence", "100"}, {"csrf", csrf}});
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 403);
    EXPECT_NE(CreditShow(rig).find("credit \xC2\xA3"
                                   "0.00"),
              std::string::npos);
    EXPECT_EQ(op.SignIn(OperatorPassword), 303);
    EXPECT_EQ(op.Get("/meters")->status, 200) << "signing in again opens a new session";
}

// Sessions are HttpOnly, SameSite=Strict cookies with an expiry; signing in gives a new one.
// Wrong passwords, posts without the form's token, with another session's token or with the
// token of a session that has signed out are all refused, and change nothing.
TEST(ConsoleSignIn, WrongPasswordsAndMissingOrStaleFormTokensAreRefused) {
    ConsoleRig rig("console-tokens");
    ASSERT_TRUE(rig.started()) << rig.Log();
    ConsoleClient op(rig.port());
    EXPECT_EQ(op.SignIn("not the password"), 401);
    EXPECT_EQ(op.SignIn(""), 401);

    op.Get("/login");
    EXPECT_EQ(op.Post("/login", {{"password", OperatorPassword}})->status, 403) << "no form token";
    ConsoleClient other(rig.port());
    other.Get("/login");
    op.Get("/login");
    EXPECT_EQ(op.Post("/login", {{"password", OperatorPassword}, {"csrf", other.lastCsrf}})->status,
              403)
        << "another form's token";

    op.Get("/login");
    std::string formCookie = op.cookie;
    httplib::Result in = op.Post("/login", {{"password", OperatorPassword}, {"csrf", op.lastCsrf}});
    ASSERT_EQ(in->status, 303);
    std::string set = in->get_header_value("Set-Cookie");
    EXPECT_NE(set.find("; HttpOnly"), std::string::npos) << set;
    EXPECT_NE(set.find("; SameSite=Strict"), std::string::npos) << set;
    EXPECT_NE(set.find("; Max-Age=28800"), std::string::npos) << set;
    EXPECT_NE(op.cookie, formCookie) << "signing in must start a new session";

    op.Get("/actions");
    std::string csrf = op.lastCsrf;
    EXPECT_EQ(op.Post("/actions/credit", {{"pence", "100"}})->status, 403);
    EXPECT_EQ(op.Post("/actions/credit", {{"pence", "100"}, {"csrf", other.lastCsrf}})->status,
              403);
    // A token in the address instead of the form is no token.
    EXPECT_EQ(op.Post("/actions/credit?csrf=" + csrf, {{"pence", "100"}})->status, 403);

    httplib::Result out = op.Post("/logout", {{"csrf", csrf}});
    EXPECT_EQ(out->status, 303);
    ConsoleClient stale(rig.port());
    stale.cookie = set.substr(0, set.find(';'));
    EXPECT_EQ(stale.Get("/")->status, 303) << "a signed-out session is gone";
    EXPECT_EQ(stale.Post("/actions/credit", {{"pence", "100"}, {"csrf", csrf}})->status, 403);

    EXPECT_EQ(op.SignIn(OperatorPassword), 303);
    EXPECT_EQ(op.Post("/actions/credit", {{"pence", "100"}, {"csrf", csrf}})->status, 403)
        << "the token of a session that has ended";
    EXPECT_NE(CreditShow(rig).find("credit \xC2\xA3"
                                   "0.00"),
              std::string::npos);
    std::string log = rig.Log();
    EXPECT_NE(log.find("sign-in failed from 127.0.0.1: wrong password"), std::string::npos) << log;
    EXPECT_NE(log.find("missing or stale form token"), std::string::npos) << log;
}

// Only the console's own pages exist: no path reaches a file, however it is spelt. Requests
// over the limits are refused before they are read whole.
TEST(ConsoleSignIn, PathTricksAndOverlongRequestsGetNothing) {
    ConsoleRig rig("console-paths");
    ASSERT_TRUE(rig.started()) << rig.Log();
    { std::ofstream(rig.folder().File("secret.txt")) << "SECRET-OF-THE-PUB"; }
    { std::ofstream(rig.cabinet() + "/notes.txt") << "SECRET-OF-THE-PUB"; }
    ConsoleClient op(rig.port());
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);
    for (const char* path :
         {"/../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt", "/notes.txt",
          "/money.csv/../../secret.txt", "/games/..%2f..%2fsecret.txt", "//etc/passwd",
          "/static/../../../../etc/passwd", "/credit.db", "/cabinet/notes.txt"}) {
        httplib::Result r = op.Get(path);
        ASSERT_TRUE(r) << path;
        EXPECT_NE(r->status, 200) << path;
        EXPECT_EQ(r->body.find("SECRET"), std::string::npos) << path;
        EXPECT_EQ(r->body.find("root:"), std::string::npos) << path;
        EXPECT_EQ(r->body.find("SQLite"), std::string::npos) << path;
    }
    httplib::Result longPath = op.Get("/money?kind=" + std::string(10000, 'a'));
    ASSERT_TRUE(longPath);
    EXPECT_EQ(longPath->status, 414);
    httplib::Headers huge{{"Cookie", op.cookie}, {"X-Filler", std::string(10000, 'b')}};
    httplib::Result longHeader = op.http.Get("/", huge);
    EXPECT_TRUE(!longHeader || longHeader->status == 400) << longHeader->status;
    httplib::Result longBody =
        op.Post("/actions/credit",
                {{"pence", "100"}, {"csrf", op.lastCsrf}, {"filler", std::string(20000, 'c')}});
    EXPECT_TRUE(!longBody || longBody->status == 413) << longBody->status;
    op.Get("/actions");
    for (const char* bad : {"0", "-5", "1e3", "100001", "12abc", ""}) {
        httplib::Result r = op.Post("/actions/credit", {{"pence", bad}, {"csrf", op.lastCsrf}});
        EXPECT_EQ(r->status, 400) << bad;
    }
    for (const char* query : {"/money?kind=everything", "/money?from=yesterday",
                              "/money?to=2026-13-01", "/money?period=year", "/money?before=x1",
                              "/money.csv?kind=x", "/report.csv?period=fortnight"})
        EXPECT_EQ(op.Get(query)->status, 400) << query;
    EXPECT_EQ(op.Get("/")->status, 200) << "the console serves on after all of that";
    EXPECT_NE(CreditShow(rig).find("credit \xC2\xA3"
                                   "0.00"),
              std::string::npos);
}

// Five wrong passwords from one address in a minute, then every attempt is refused without
// being tried, the right password too.
TEST(ConsoleSignIn, AFloodOfSignInsIsRefused) {
    ConsoleRig rig("console-flood");
    ASSERT_TRUE(rig.started()) << rig.Log();
    ConsoleClient attacker(rig.port());
    int wrong = 0, refused = 0;
    for (int i = 0; i < 40; ++i) {
        int status = attacker.SignIn("guess " + std::to_string(i));
        wrong += status == 401;
        refused += status == 429;
    }
    EXPECT_EQ(wrong, 5);
    EXPECT_EQ(refused, 35);
    attacker.Get("/login");
    httplib::Result r =
        attacker.Post("/login", {{"password", OperatorPassword}, {"csrf", attacker.lastCsrf}});
    EXPECT_EQ(r->status, 429);
    EXPECT_FALSE(r->get_header_value("Retry-After").empty());
    EXPECT_EQ(attacker.Get("/")->status, 303);
    std::string log = rig.Log();
    size_t tried = 0;
    for (size_t at = 0; (at = log.find("sign-in failed", at)) != std::string::npos; ++at) ++tried;
    EXPECT_EQ(tried, 5u) << "only five passwords were hashed and tried";
}

// The figures of the CLI ledger: count of rows and the sum of each request's amounts.
struct CliLedger {
    long rows = 0;
    std::map<std::string, long> sums, counts;
};
CliLedger ReadCliLedger(const std::string& text) {
    CliLedger l;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string id, time, client, request;
        long amount;
        if (!(f >> id >> time >> client >> request >> amount)) continue;
        ++l.rows;
        l.sums[request] += amount;
        ++l.counts[request];
    }
    return l;
}

long CounterOf(const std::string& auditJson, int id) {
    std::smatch m;
    std::regex re("\"id\": " + std::to_string(id) +
                  ", \"meaning\": \"[^\"]*\", \"value\": (-?\\d+)");
    if (!std::regex_search(auditJson, m, re)) return -1;
    return std::stol(m[1]);
}

std::vector<std::vector<std::string>> Csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::istringstream f(line);
        std::string cell;
        while (std::getline(f, cell, ',')) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

long Pence(const std::string& money) {
    return std::lround(std::stod(money) * 100);
}

// After 200 games played by the real game code against the real service, the console's ledger
// holds every row of the service's own, its kinds add up to the audit's games and prizes, the
// report's total agrees, and the meters show what brindlemark-audit prints.
TEST(ConsoleMoney, TotalsAgreeWithTheLedgerAndTheAuditAfter200Games) {
    ConsoleRig rig("console-money");
    ASSERT_TRUE(rig.started()) << rig.Log();
    Captured sim = CaptureCommand(std::string(SIM_TOOL) + " --stage " + BRINDLEMARK_STAGE_DIR +
                                  " --games 200 --seed 17 --skill 0.8 --cash-out 400 --port " +
                                  std::to_string(rig.service().port()) + " --folder " +
                                  rig.cabinet() + " 2>&1");
    ASSERT_EQ(sim.status, 0) << sim.out;
    CliLedger cli = ReadCliLedger(
        RunCreditCommand({"ledger", "1000000", "--db", rig.db()}, rig.folder()).output);
    Captured audit = CaptureCommand(std::string(AUDIT_TOOL) + " " + rig.cabinet() +
                                    "/data/pellwarden.rec --json");
    ASSERT_EQ(audit.status, 0) << audit.out;
    long games = CounterOf(audit.out, 0), prizes = CounterOf(audit.out, 27);
    ASSERT_EQ(games, 200);

    ConsoleClient op(rig.port());
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);
    auto ledger = Csv(op.Get("/money.csv")->body);
    ASSERT_FALSE(ledger.empty());
    EXPECT_EQ(static_cast<long>(ledger.size()) - 1, cli.rows);
    std::map<std::string, long> byKind, byRequest;
    for (size_t i = 1; i < ledger.size(); ++i) {
        ASSERT_EQ(ledger[i].size(), 8u) << i;
        byKind[ledger[i][2]] += Pence(ledger[i][5]);
        byRequest[ledger[i][3]] += Pence(ledger[i][5]);
    }
    EXPECT_EQ(byRequest, cli.sums);
    EXPECT_EQ(byKind["stake"], 50 * games);
    EXPECT_EQ(byKind["prize to bank"] + byKind["prize to credit"], prizes);
    EXPECT_EQ(byKind["money in"] + byKind["prize to credit"], cli.sums["CADD"]);
    EXPECT_EQ(byKind["stake"] + byKind["taken out"], cli.sums["CUSE"]);

    for (const char* period : {"day", "week", "month"}) {
        auto report = Csv(op.Get(std::string("/report.csv?period=") + period)->body);
        ASSERT_GE(report.size(), 3u) << period;
        const auto& total = report.back();
        ASSERT_EQ(total[0], "total");
        EXPECT_EQ(std::stol(total[1]), games) << period;
        EXPECT_EQ(Pence(total[3]), 50 * games) << period;
        EXPECT_EQ(Pence(total[4]) + Pence(total[5]), prizes) << period;
        EXPECT_EQ(Pence(total[2]), byKind["money in"]) << period;
        EXPECT_EQ(Pence(total[8]), 50 * games - prizes) << period;
        long summed = 0;
        for (size_t i = 1; i + 1 < report.size(); ++i) summed += std::stol(report[i][1]);
        EXPECT_EQ(summed, games) << period;
    }
    // The overview counts today's games (the run has just been played).
    std::string overview = op.Get("/")->body;
    EXPECT_NE(overview.find("<span>Games today</span><strong>200</strong>"), std::string::npos)
        << overview;
    // The balance plot covers every game (the recall keeps only 100), as the game recorded the
    // balance after each, and ends at the audit record's.
    std::vector<GameBalance> history = ReadBalanceHistory(rig.cabinet(), 1000);
    ASSERT_EQ(history.size(), 200u);
    EXPECT_EQ(history.front().seq, 1);
    EXPECT_EQ(history.back().seq, 200);
    EXPECT_EQ(history.back().balance, ReadAudit(rig.cabinet()).record.balance[0]);
    EXPECT_NE(overview.find("The last 200 games (games 1 to 200), as the cabinet recorded"),
              std::string::npos);
    std::string meters = op.Get("/meters")->body;
    for (int id : {0, 9, 10, 27, 35, 39}) {
        std::string cell = "<td class=\"n\">" + std::to_string(CounterOf(audit.out, id));
        EXPECT_NE(meters.find(cell), std::string::npos) << "counter " << id;
    }
    // The log of the run: its start-up and shutdown, and a failed payment added to it.
    {
        std::ofstream log(rig.cabinet() + "/~system/logs/Brindlemark.txt", std::ios::app);
        log << "09/12/2026 21:04:05 - Prize payment failed: 300 pence to the bank not paid\r\n"
            << "09/12/2026 21:05:00 - BADD,300: the reply came late, after 2400 ms: booked\r\n"
            << "09/12/2026 21:06:00 - Game journal: resumed game 42 at question 6 of the rounds\r\n"
            << "09/12/2026 21:07:00 - Audit record: checksum failed; the last good copy was "
               "restored\r\n"
            << "09/12/2026 21:08:00 - Question 3 drawn\r\n";
    }
    std::string events = op.Get("/events")->body;
    EXPECT_NE(events.find("<td>09/12/2026 21:04:05</td><td>failed payment</td><td>Prize payment "
                          "failed: 300 pence"),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("<td>late payment</td><td>BADD,300: the reply came late"),
              std::string::npos);
    EXPECT_NE(events.find("<td>resumed game</td><td>Game journal: resumed game 42"),
              std::string::npos);
    EXPECT_NE(events.find("<td>fault</td><td>Audit record: checksum failed"), std::string::npos);
    EXPECT_EQ(events.find("Question 3 drawn"), std::string::npos) << "not an event";
    EXPECT_NE(events.find("<td>start-up</td>"), std::string::npos) << events;
    EXPECT_NE(events.find("<td>shutdown</td><td>Closing log"), std::string::npos) << events;
}

// The games page and the balance plot come from the recall: before there is one, both say so;
// files that are not games, or do not parse, are passed over; statements are shown as text.
TEST(ConsoleRecall, GamesAndTheBalancePlotComeFromTheRecall) {
    ConsoleRig rig("console-recall");
    ASSERT_TRUE(rig.started()) << rig.Log();
    ConsoleClient op(rig.port());
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);
    EXPECT_NE(op.Get("/games")->body.find("no recall yet"), std::string::npos);
    WriteAuditRecord(rig.cabinet(), 812.5f, 3);
    EXPECT_NE(op.Get("/")->body.find("no recall yet"), std::string::npos);

    WriteRecalledGame(rig.cabinet(), 1, 3, 0, "Paris is <b>big</b> & old.");
    WriteRecalledGame(rig.cabinet(), 2, 3, 2, "Rome lies on the Tiber.");
    WriteRecalledGame(rig.cabinet(), 3, 2, 0, "Oslo is in Spain.");
    std::string recall = rig.cabinet() + "/data/recall/";
    { std::ofstream(recall + "00000004.json.tmp") << "{\"format\": 1, \"seq\": 4, \"prize\": 9"; }
    { std::ofstream(recall + "00000005.json") << "{\"format\": 1, \"seq\": 5, \"prize\": "; }
    { std::ofstream(recall + "00000006.json") << "{\"format\": 2, \"seq\": 6}"; }
    { std::ofstream(recall + "notes.json") << "{\"format\": 1}"; }

    std::string games = op.Get("/games")->body;
    EXPECT_NE(games.find("The last 3 games"), std::string::npos) << games;
    EXPECT_NE(games.find("Paris is &lt;b&gt;big&lt;/b&gt; &amp; old. 0"), std::string::npos);
    EXPECT_EQ(games.find("<b>big</b>"), std::string::npos) << "a statement is text, not markup";
    EXPECT_LT(games.find("Game 3 "), games.find("Game 1 ")) << "newest first";
    EXPECT_NE(games.find("<td>Rome lies on the Tiber. 1</td><td>false</td><td>false (joker)"),
              std::string::npos)
        << games;
    EXPECT_NE(games.find("<td>timeout</td><td class=\"n\">20.00</td>"), std::string::npos);
    EXPECT_NE(games.find("prize \xC2\xA3"
                         "2.00 (paid)"),
              std::string::npos)
        << games;

    std::string overview = op.Get("/")->body;
    size_t line = overview.find("<polyline");
    ASSERT_NE(line, std::string::npos) << overview;
    std::string points = overview.substr(line, overview.find("/>", line) - line);
    EXPECT_EQ(std::count(points.begin(), points.end(), ','), 3) << points;
    EXPECT_NE(overview.find("games 1 to 3"), std::string::npos);
    size_t thresholds = 0;
    for (size_t at = 0; (at = overview.find("stroke-dasharray", at)) != std::string::npos; ++at)
        ++thresholds;
    EXPECT_EQ(thresholds, 6u) << "one dashed line for each band threshold";

    // Worked back from the balance now: game 3 lost (-12.5), game 2 beat two big teams of band 3
    // (100 and 200) and won 200 (+487.5 in all), game 1 lost.
    std::vector<RecalledGame> read;
    std::string problem;
    ASSERT_TRUE(ReadRecall(rig.cabinet(), &read, &problem)) << problem;
    std::vector<double> after = BalanceHistory(read, 812.5);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_DOUBLE_EQ(after[2], 812.5);
    EXPECT_DOUBLE_EQ(after[1], 825.0);
    EXPECT_DOUBLE_EQ(after[0], 337.5);

    // Once the cabinet keeps its balance history, the plot comes from it: the last line of a game
    // counts, and lines that do not read or were cut short are passed over.
    std::ofstream(rig.cabinet() + "/data/balance-history.txt")
        << "1 10\n2 20\n2 25\nnot a game\n-4 7\n3 -5.5\n4 1";
    std::vector<GameBalance> history = ReadBalanceHistory(rig.cabinet(), 1000);
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[1].seq, 2);
    EXPECT_EQ(history[1].balance, 25);
    EXPECT_EQ(history[2].balance, -5.5);
    EXPECT_EQ(ReadBalanceHistory(rig.cabinet(), 2).front().seq, 2) << "the newest games";
    overview = op.Get("/")->body;
    EXPECT_NE(overview.find("The last 3 games (games 1 to 3), as the cabinet recorded"),
              std::string::npos)
        << overview;
}

// Both actions are shown, then confirmed once with a one-use token; the payout empties the
// bank once, shows in the ledger as a payout, and every action is in the console's log with
// its session.
TEST(ConsoleActions, PayoutEmptiesTheBankOnceAndShowsInTheLedger) {
    ConsoleRig rig("console-actions");
    ASSERT_TRUE(rig.started()) << rig.Log();
    RawClient game(rig.service().port());
    ASSERT_TRUE(game.Send("BADD,1500\r\n"));
    ASSERT_EQ(game.Receive(), "BTEL,1500\r");
    ConsoleClient op(rig.port());
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);

    httplib::Result page = op.Get("/actions");
    EXPECT_NE(page->body.find("Pay out \xC2\xA3"
                              "15.00"),
              std::string::npos)
        << page->body;
    EXPECT_EQ(FieldValue(page->body.substr(page->body.find("/actions/payout")), "pence"), "1500");
    httplib::Result ask = op.Post("/actions/payout", {{"pence", "1500"}, {"csrf", op.lastCsrf}});
    ASSERT_EQ(ask->status, 200);
    std::string confirm = FieldValue(ask->body, "confirm");
    ASSERT_FALSE(confirm.empty()) << ask->body;
    EXPECT_NE(CreditShow(rig).find("bank   \xC2\xA3"
                                   "15.00"),
              std::string::npos)
        << "nothing is done before the confirmation";
    httplib::Result done = op.Post(
        "/actions/payout", {{"pence", "1500"}, {"csrf", op.lastCsrf}, {"confirm", confirm}});
    EXPECT_EQ(done->status, 200) << done->body;
    EXPECT_NE(done->body.find("done"), std::string::npos);
    EXPECT_NE(CreditShow(rig).find("bank   \xC2\xA3"
                                   "0.00"),
              std::string::npos);
    EXPECT_EQ(
        op.Post("/actions/payout", {{"pence", "1500"}, {"csrf", op.lastCsrf}, {"confirm", confirm}})
            ->status,
        409)
        << "a confirmation pays once";
    // A fresh confirmation for the old amount is refused by the service: the bank is empty.
    ask = op.Post("/actions/payout", {{"pence", "1500"}, {"csrf", op.lastCsrf}});
    httplib::Result again = op.Post(
        "/actions/payout",
        {{"pence", "1500"}, {"csrf", op.lastCsrf}, {"confirm", FieldValue(ask->body, "confirm")}});
    EXPECT_EQ(again->status, 502);
    EXPECT_NE(op.Get("/actions")->body.find("nothing to pay out"), std::string::npos);

    ask = op.Post("/actions/credit", {{"pence", "200"}, {"csrf", op.lastCsrf}});
    std::string creditConfirm = FieldValue(ask->body, "confirm");
    EXPECT_EQ(op.Post("/actions/payout",
                      {{"pence", "200"}, {"csrf", op.lastCsrf}, {"confirm", creditConfirm}})
                  ->status,
              409)
        << "a confirmation is for its own action only";
    ask = op.Post("/actions/credit", {{"pence", "200"}, {"csrf", op.lastCsrf}});
    EXPECT_EQ(op.Post("/actions/credit", {{"pence", "200"},
                                          {"csrf", op.lastCsrf},
                                          {"confirm", FieldValue(ask->body, "confirm")}})
                  ->status,
              200);
    EXPECT_NE(CreditShow(rig).find("credit \xC2\xA3"
                                   "2.00"),
              std::string::npos);

    CliLedger cli =
        ReadCliLedger(RunCreditCommand({"ledger", "--db", rig.db()}, rig.folder()).output);
    EXPECT_EQ(cli.counts["PAYO"], 1);
    EXPECT_EQ(cli.sums["PAYO"], 1500);
    std::string payouts = op.Get("/money?kind=payout")->body;
    EXPECT_NE(payouts.find("<td>payout</td><td class=\"opt\">PAYO</td>"), std::string::npos)
        << payouts;
    auto csv = Csv(op.Get("/money.csv?kind=payout")->body);
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(csv[1][5], "15.00");
    std::string log = rig.Log();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("session ([0-9a-f]{8}) signed in"))) << log;
    std::string session = m[1];
    EXPECT_TRUE(std::regex_search(
        log, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d session " + session +
                        " from 127.0.0.1: Pay out \xC2\xA3"
                        "15.00 from the bank: done")))
        << log;
    EXPECT_NE(log.find("session " + session +
                       " from 127.0.0.1: Insert \xC2\xA3"
                       "2.00 of test "
                       "credit: done"),
              std::string::npos)
        << log;
}
}  // namespace
