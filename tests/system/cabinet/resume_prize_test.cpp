// A prize whose payment was under way when the cabinet stopped is settled at the next start,
// against the real credit service started again on its database: one the service booked before
// it died is not paid again, one it never received is paid, and either way the game is counted
// once in the audit record and its recall tells how the payment ended.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "core/random.h"
#include "credit/link.h"
#include "game/journal.h"
#include "game/recall.h"
#include "game/session.h"
#include "records/audit.h"
#include "shell/startup.h"
#include "support/credit_service.h"
#include "support/scratch.h"

namespace {
struct Case {
    bool bookedBeforeDying;
    const char* payment;
};

// The requests of the ledger as "BADD 100" lines.
std::vector<std::string> LedgerChanges(const ScratchFolder& folder) {
    CommandResult r = RunCreditCommand({"ledger", "100", "--db", folder.File("credit.db")}, folder);
    std::vector<std::string> changes;
    std::istringstream lines(r.output);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, time, client, request, amount;
        if (fields >> id >> time >> client >> request >> amount)
            changes.push_back(request + " " + amount);
    }
    return changes;
}
}  // namespace

TEST(ResumePrize, APrizeBookedBeforeTheServiceDiedIsNotPaidAgainOneNeverReceivedIsPaid) {
    for (const Case& c : {Case{true, "found-paid"}, Case{false, "paid-again"}}) {
        SCOPED_TRACE(c.payment);
        ScratchFolder folder("resume-prize");
        ScratchDir work;
        auto service =
            std::make_unique<ServiceProcess>(folder.File("credit.db"), folder.File("s1.log"));
        ASSERT_TRUE(service->started());

        // A game won with 150 pence, its whole pounds asked of the bank: the journal as the
        // cabinet left it when it stopped.
        ResetAuditRecord();
        gAuditRecord.counter[0] = 1;
        EnableJournal(true);
        SeedRandom(5);
        PickWinPlan(1);
        PrepareGameSession();
        JournalGameSetUp();
        gGameSession.WinAmount = 150;
        CreditBalances before;
        before.known = true;
        JournalBeforeMoney(MoneyRequest::AddBank, 100, before);
        EnableJournal(false);
        ASSERT_TRUE(std::filesystem::exists("data/game.journal"));
        if (c.bookedBeforeDying) {
            RawClient cabinetLine(service->port());
            ASSERT_TRUE(cabinetLine.Send("BADD,100\r\n"));
            ASSERT_EQ(cabinetLine.Receive(), "BTEL,100\r");
        }
        service->KillHard();
        service = std::make_unique<ServiceProcess>(folder.File("credit.db"), folder.File("s2.log"));
        ASSERT_TRUE(service->started());

        // The next start: the record on disk knows nothing of the game.
        ResetAuditRecord();
        LoadAuditRecord();
        gCreditServicePort = service->port();
        ASSERT_TRUE(CreateCreditSocket());
        ASSERT_TRUE(ConnectCreditService());
        EnableJournal(true);
        EXPECT_TRUE(ResumeUnfinishedGame());
        EnableJournal(false);
        CloseCreditLink();
        gCreditServicePort = 6667;

        EXPECT_EQ(LedgerChanges(folder), (std::vector<std::string>{"BADD 100", "CADD 50"}));
        EXPECT_FALSE(std::filesystem::exists("data/game.journal"));
        ResetAuditRecord();
        LoadAuditRecord();
        EXPECT_EQ(gAuditRecord.counter[0], 1);
        EXPECT_EQ(gAuditRecord.counter[27], 150);
        EXPECT_EQ(gAuditRecord.counter[35], 1);
        std::ifstream recall(RecallFileName("data/recall", 1));
        ASSERT_TRUE(recall.good());
        nlohmann::json game = nlohmann::json::parse(recall);
        EXPECT_EQ(game.at("payment"), c.payment);
        EXPECT_EQ(game.at("prize"), 150);
        EXPECT_EQ(game.at("resumed"), 1);
    }
}
