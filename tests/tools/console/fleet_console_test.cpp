// The console's fleet mode over a fleet database filled as the collector fills it: nothing
// without signing in; every cabinet with its state, money and band; a cabinet's own page with
// its games, ledger and faults (their text escaped); and the period report, whose CSV is the
// collector's own.
#include <gtest/gtest.h>

#include <fstream>

#include "support/console_rig.h"
#include "support/fleet_services.h"

namespace {
std::string Envelope(const std::string& cabinet, int seq, const std::string& kind,
                     const std::string& body) {
    return "('" + cabinet + "', " + std::to_string(seq) + ", '" + kind + "', now(), now(), '" +
           body + "')";
}

TEST(FleetConsole, EveryCabinetItsOwnPageAndThePeriodReportAfterSigningIn) {
    ScratchFolder scratch("fleet-console");
    fleet::Postgres db(scratch.path() / "pg");
    ASSERT_TRUE(db.running()) << db.error();
    Captured migrate =
        CaptureCommand(std::string(COLLECTOR_TOOL) + " migrate --db '" + db.url() + "' 2>&1");
    ASSERT_EQ(migrate.status, 0) << migrate.out;
    std::string ledger =
        R"({"id":1,"time":"2026-12-09T10:00:00.000Z","client":"c","request":"CADD","amount":200,"credit":200,"bank":0})";
    std::string stake =
        R"({"id":2,"time":"2026-12-09T10:01:00.000Z","client":"c","request":"CUSE","amount":50,"credit":150,"bank":0})";
    std::string prize =
        R"({"id":3,"time":"2026-12-09T10:05:00.000Z","client":"c","request":"BADD","amount":100,"credit":150,"bank":100})";
    std::string game =
        R"({"format":1,"seq":1,"start":"2026-12-09T10:01:00","end":"2026-12-09T10:05:00","stake":50,"prize":100,"band":3,"payment":"paid"})";
    std::string meters = R"({"after_game":1,"band":4,"balance":[-50.0,0.0],"counters":[1]})";
    std::string fault = R"({"line":"Prize payment failed: <script>alert(1)</script>"})";
    std::string sql =
        "INSERT INTO messages (cabinet, seq, kind, sent_at, received_at, body) VALUES " +
        Envelope("pub-1", 1, "ledger", ledger) + "," + Envelope("pub-1", 2, "ledger", stake) + "," +
        Envelope("pub-1", 3, "ledger", prize) + "," + Envelope("pub-1", 4, "game", game) + "," +
        Envelope("pub-1", 5, "meters", meters) + "," + Envelope("pub-1", 6, "fault", fault) + "," +
        Envelope("pub-2", 1, "ledger", ledger) +
        "; INSERT INTO cabinets (cabinet, state, last_seen, last_seq) VALUES"
        " ('pub-1', 'online', now(), 6), ('pub-2', 'offline', now(), 1)";
    std::ofstream(scratch.File("fill.sql")) << sql << ";\n";
    Captured fill = CaptureCommand("psql -X -q -v ON_ERROR_STOP=1 '" + db.url() + "' -f '" +
                                   scratch.File("fill.sql") + "' 2>&1");
    ASSERT_EQ(fill.status, 0) << fill.out;

    ProcessId console = NoProcess;
    int port = StartFleetConsole(db.url(), scratch, &console);
    ASSERT_NE(port, 0) << ReadText(scratch.File("console.log"));

    ConsoleClient stranger(port);
    for (const char* page : {"/", "/cabinet?id=pub-1", "/report", "/report.csv"}) {
        httplib::Result r = stranger.Get(page);
        ASSERT_TRUE(r) << page;
        EXPECT_NE(r->status, 200) << page;
        EXPECT_EQ(r->body.find("pub-1"), std::string::npos) << page;
    }
    ConsoleClient client(port);
    ASSERT_EQ(client.SignIn(OperatorPassword), 303);
    httplib::Result overview = client.Get("/");
    ASSERT_TRUE(overview);
    EXPECT_EQ(overview->status, 200);
    EXPECT_NE(overview->body.find("2 cabinets, 1 online"), std::string::npos) << overview->body;
    EXPECT_NE(overview->body.find("pub-2"), std::string::npos);
    EXPECT_NE(overview->body.find("offline"), std::string::npos);
    EXPECT_NE(overview->body.find("\xC2\xA3"
                                  "1.50"),
              std::string::npos)
        << "pub-1's credit";

    httplib::Result cabinet = client.Get("/cabinet?id=pub-1");
    ASSERT_TRUE(cabinet);
    EXPECT_EQ(cabinet->status, 200);
    EXPECT_EQ(cabinet->body.find("<script>"), std::string::npos);
    EXPECT_NE(cabinet->body.find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(cabinet->body.find("payout band 4"), std::string::npos);
    httplib::Result missing = client.Get("/cabinet?id=nobody");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);

    httplib::Result csv = client.Get("/report.csv?period=month");
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->status, 200);
    Captured cli = CaptureCommand(std::string(COLLECTOR_TOOL) + " report --db '" + db.url() +
                                  "' --period month --csv");
    EXPECT_EQ(csv->body, cli.out);
    EXPECT_NE(csv->body.find(",pub-1,1,50,100,-50,200,50,100,0"), std::string::npos) << csv->body;
    httplib::Result bad = client.Get("/report?period=fortnight");
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->status, 400);
    StopProcess(console);
    WaitProcess(console);
}
}  // namespace
