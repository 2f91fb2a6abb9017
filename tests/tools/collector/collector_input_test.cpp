// The collector against what a cabinet might send: text that needs escaping is stored exactly,
// a message sent twice is stored once, and what cannot be read (not JSON, another cabinet's name
// in the envelope, no sequence number, a bad time) is kept aside in "rejected" while the rest
// goes on.
#include <gtest/gtest.h>

#include <fstream>

#include "support/credit_service.h"
#include "support/fleet_services.h"

namespace {
TEST(CollectorInput, OddTextIsStoredExactlyDuplicatesOnceAndUnreadableKeptAside) {
    ScratchFolder scratch("fleet-input");
    fleet::Postgres db(scratch.path() / "pg");
    fleet::Broker broker(scratch.path() / "broker", FLEET_SETUP);
    ASSERT_TRUE(db.running()) << db.error();
    ASSERT_TRUE(broker.running()) << broker.setUpOutput();
    ASSERT_TRUE(broker.AddCabinet("pub-a"));
    ProcessId collector =
        StartProcess({COLLECTOR_TOOL, "run", "--db", db.url(), "--broker", broker.address(),
                      "--user", "brindlemark-collector", "--password-file",
                      broker.Client("brindlemark-collector", "password").string()},
                     "", scratch.File("collector.log"));
    ASSERT_TRUE(fleet::WaitFor(20, [&] {
        return ReadText(scratch.File("collector.log")).find("connected") != std::string::npos;
    })) << ReadText(scratch.File("collector.log"));

    std::string password = ReadText(broker.Client("pub-a", "password").string());
    password = password.substr(0, password.find('\n'));
    auto publish = [&](const std::string& kind, const std::string& payload) {
        std::string file = scratch.File("payload.json");
        std::ofstream(file, std::ios::binary) << payload;
        Captured c = CaptureCommand(
            "mosquitto_pub -h 127.0.0.1 -p " + std::to_string(broker.port()) + " -u pub-a -P '" +
            password + "' -q 1 -t brindlemark/fleet/pub-a/" + kind + " -f '" + file + "' 2>&1");
        EXPECT_EQ(c.status, 0) << c.out;
    };
    auto envelope = [](int seq, const std::string& kind, const std::string& body) {
        return "{\"cabinet\":\"pub-a\",\"seq\":" + std::to_string(seq) + ",\"kind\":\"" + kind +
               "\",\"time\":\"2026-12-09T10:00:00.000Z\",\"body\":" + body + "}";
    };
    // Backslashes, a tab, a line end, quotes and a pound sign: COPY's text format escapes them.
    std::string odd = R"({"line":"C:\\cabinet\tfailed\n \"quoted\" \u00a3 5"})";
    publish("fault", envelope(1, "fault", odd));
    publish("fault", envelope(1, "fault", odd));  // again: nothing changes
    publish("ledger", envelope(2, "ledger",
                               R"({"id":1,"time":"2026-12-09T10:00:00.000Z","client":"x",)"
                               R"("request":"CADD","amount":100,"credit":100,"bank":0})"));
    publish("ledger", "not json at all");
    publish(
        "ledger",
        R"({"cabinet":"pub-b","seq":3,"kind":"ledger","time":"2026-12-09T10:00:00Z","body":{}})");
    publish("ledger",
            R"({"cabinet":"pub-a","kind":"ledger","time":"2026-12-09T10:00:00Z","body":{}})");
    publish("ledger",
            R"({"cabinet":"pub-a","seq":4,"kind":"ledger","time":"2026-12-09 10:00","body":{}})");
    publish("heartbeat", envelope(5, "heartbeat", "{\"uptime\":1}"));

    EXPECT_TRUE(fleet::WaitFor(20, [&] {
        return db.Value("SELECT count(*) FROM messages") == "3";
    })) << db.Value("SELECT count(*) FROM messages");
    EXPECT_TRUE(fleet::WaitFor(10, [&] {
        return db.Value("SELECT count(*) FROM rejected") == "4";
    })) << db.Value("SELECT reason FROM rejected");
    EXPECT_EQ(db.Value("SELECT line FROM faults WHERE seq = 1"),
              "C:\\cabinet\tfailed\n \"quoted\" \xc2\xa3 5");
    EXPECT_EQ(db.Value("SELECT amount FROM ledger WHERE cabinet = 'pub-a'"), "100");
    EXPECT_EQ(db.Value("SELECT last_seq FROM cabinets WHERE cabinet = 'pub-a'"), "5");
    StopProcess(collector);
    WaitProcess(collector);
}
}  // namespace
