// The operator's commands: insert, show and ledger against a running service, and their usage
// errors.
#include <gtest/gtest.h>

#include <string>

#include "support/credit_service.h"

namespace {
TEST(OperatorCommands, InsertShowAndLedgerWorkTogether) {
    ScratchFolder folder("credit-operator");
    std::string db = folder.File("credit.db");
    ServiceProcess service(db, folder.File("service.log"));
    ASSERT_TRUE(service.started());
    std::string port = std::to_string(service.port());

    CommandResult r = RunCreditCommand({"insert", "150", "--port", port}, folder);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.output,
              "inserted \xC2\xA3"
              "1.50, credit now \xC2\xA3"
              "1.50\n");
    r = RunCreditCommand({"insert", "--port", port, "1005"}, folder);
    EXPECT_EQ(r.exitCode, 0) << r.errors;

    r = RunCreditCommand({"show", "--port", port}, folder);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.output,
              "credit \xC2\xA3"
              "11.55\nbank   \xC2\xA3"
              "0.00\n");

    r = RunCreditCommand({"ledger", "--db", db}, folder);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    size_t first = r.output.find("CADD         150");
    size_t second = r.output.find("CADD        1005");
    EXPECT_NE(first, std::string::npos) << r.output;
    EXPECT_NE(second, std::string::npos) << r.output;
    EXPECT_LT(first, second) << "newest last";

    r = RunCreditCommand({"ledger", "1", "--db", db}, folder);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.output.find("CADD         150"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("CADD        1005"), std::string::npos) << r.output;
}

// A cash collection pays the whole bank out once: the ledger holds one PAYO row with the amount,
// the credit stays, and a second payout finds an empty bank. A payout naming an old amount is
// refused by the service.
TEST(OperatorCommands, PayoutEmptiesTheBankOnceAndIsInTheLedger) {
    ScratchFolder folder("credit-payout");
    std::string db = folder.File("credit.db");
    ServiceProcess service(db, folder.File("service.log"));
    ASSERT_TRUE(service.started());
    std::string port = std::to_string(service.port());
    RawClient game(service.port());
    ASSERT_TRUE(game.Send("CADD,70\r\nBADD,1200\r\nBADD,300\r\n"));
    std::string replies;
    while (replies.size() < 24 && replies.find('<') == std::string::npos) replies += game.Receive();
    EXPECT_EQ(replies, "CTEL,70\rBTEL,1200\rBTEL,1500\r");

    ASSERT_TRUE(game.Send("PAYO,1200\r\n"));
    EXPECT_EQ(game.Receive(), "FAIL,0\r") << "a stale amount empties nothing";

    CommandResult r = RunCreditCommand({"payout", "--port", port}, folder);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.output,
              "paid out \xC2\xA3"
              "15.00 from the bank, bank now \xC2\xA3"
              "0.00\n");
    r = RunCreditCommand({"payout", "--port", port}, folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find("the bank is empty"), std::string::npos) << r.errors;
    r = RunCreditCommand({"show", "--port", port}, folder);
    EXPECT_EQ(r.output,
              "credit \xC2\xA3"
              "0.70\nbank   \xC2\xA3"
              "0.00\n");

    r = RunCreditCommand({"ledger", "--db", db}, folder);
    size_t at = r.output.find("PAYO        1500");
    ASSERT_NE(at, std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\xC2\xA3"
                            "0.00\n",
                            at),
              std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("PAYO", at + 4), std::string::npos) << "paid out twice:\n" << r.output;
}

TEST(OperatorCommands, MistakesGetAClearUsageErrorAndChangeNothing) {
    ScratchFolder folder("credit-usage");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"spend"}, "unknown command \"spend\""},
        {{"insert"}, "insert needs one amount in pence"},
        {{"insert", "-50"}, "unknown option -50"},
        {{"insert", "1.50"}, "insert needs one amount in pence"},
        {{"insert", "100001"}, "insert needs one amount in pence"},
        {{"insert", "5", "--port"}, "--port needs a port number"},
        {{"insert", "5", "--port", "70000"}, "--port needs a port number"},
        {{"insert", "5", "--db", "x.db"}, "unknown option --db"},
        {{"show", "now"}, "show takes no argument \"now\""},
        {{"payout", "500"}, "payout takes no argument \"500\""},
        {{"ledger", "ten"}, "ledger takes at most one count"},
        {{"ledger", "--db"}, "--db needs a file name"},
        {{"ledger", "--port", "6667"}, "unknown option --port"},
        {{"serve", "extra"}, "serve takes no argument \"extra\""},
    };
    for (const Case& c : cases) {
        CommandResult r = RunCreditCommand(c.args, folder);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find("usage:"), std::string::npos) << r.errors;
        EXPECT_EQ(r.output, "");
    }
}

TEST(OperatorCommands, AMissingServiceOrDatabaseIsAFailureNotAUsageError) {
    ScratchFolder folder("credit-missing");
    // A port nobody listens on: one the service had, after it has gone.
    uint16_t port;
    {
        ServiceProcess gone(folder.File("gone.db"), folder.File("gone.log"));
        ASSERT_TRUE(gone.started());
        port = gone.port();
    }
    CommandResult r = RunCreditCommand({"insert", "50", "--port", std::to_string(port)}, folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find("no credit service"), std::string::npos) << r.errors;
    r = RunCreditCommand({"ledger", "--db", folder.File("absent.db")}, folder);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find("absent.db"), std::string::npos) << r.errors;
    EXPECT_FALSE(std::filesystem::exists(folder.File("absent.db")));
}
}  // namespace
