// At start-up, after the audit record is loaded and the display is up: the game the journal kept
// is taken up where it stood, its stake or prize settled by comparing balances, and its result
// counted in the audit record exactly once.
#include <cstring>

#include "core/random.h"
#include "credit/link.h"
#include "game/balance_history.h"
#include "game/game.h"
#include "game/journal.h"
#include "game/recall.h"
#include "game/session.h"
#include "records/audit.h"
#include "records/log.h"
#include "shell/menu_sound.h"
#include "shell/startup.h"

namespace {
long long Seq() {
    return static_cast<long long>(gJournal.seq);
}

// The game's own state as the journal kept it.
void RestoreGame() {
    gAuditRecord = gJournal.audit;
    gWinPlan = gJournal.plan;
    gGameSession = gJournal.session;
    SeedRandom(gJournal.random);
    std::memcpy(SlotOrder, gJournal.slotOrder, sizeof SlotOrder);
}

void FinishResumed() {
    FinishGame(gJournal.prize, static_cast<int16_t>(JournalPlayedMs() / 1000));
}

CreditBalances BalancesBefore() {
    CreditBalances before;
    before.credit = gJournal.creditBefore;
    before.bank = gJournal.bankBefore;
    before.known = before.credit != CreditQueryFailed && before.bank != CreditQueryFailed;
    return before;
}

// A stake asked for when the power went: the balances now against those before. One that may
// have been taken counts as taken (the player gets the game), as a late reply does.
bool SettleStakeOnResume() {
    MoneyOutcome outcome =
        ReconcileMoneyRequest(MoneyRequest::UseCredit, GameStake, BalancesBefore());
    if (outcome == MoneyOutcome::NotBooked) {
        WriteLog("Stake: game %lld, found not taken after a restart; no game\n", Seq());
        RemoveJournal();
        return false;
    }
    WriteLog(outcome == MoneyOutcome::Booked
                 ? "Stake: game %lld, found taken after a restart; the game goes on\n"
                 : "Stake: game %lld, may have been taken before a restart; counted as taken, "
                   "the game goes on\n",
             Seq());
    CountStake(QueryBank());
    JournalStakeTaken();
    return true;
}

// The rest of a prize whose payment was under way: the part asked for is judged by the
// balances; one never booked is sent again; one that may have been is never sent twice.
void SettlePrizeOnResume() {
    int16_t amount = static_cast<int16_t>(gGameSession.WinAmount);
    int32_t part = gJournal.prizePart;
    MoneyRequest request = part == 0 ? MoneyRequest::AddBank : MoneyRequest::AddCredit;
    int32_t value = part == 0 ? (amount / 100) * 100 : amount % 100;
    WriteLog("Game journal: resumed game %lld at its prize payment (%d pence)\n", Seq(), amount);
    MoneyOutcome outcome = ReconcileMoneyRequest(request, value, BalancesBefore());
    const char* payment = "found-paid";
    if (outcome == MoneyOutcome::NotBooked) {
        outcome = PayPrizePart(request, value);
        payment = outcome == MoneyOutcome::Booked ? "paid-again" : PaymentName(outcome);
    } else if (outcome == MoneyOutcome::Uncertain) {
        payment = "uncertain";
    }
    if (part == 0 && amount % 100 != 0) {
        MoneyOutcome rest = PayPrizePart(MoneyRequest::AddCredit, amount % 100);
        if (rest != MoneyOutcome::Booked && CombinePrizeOutcomes(outcome, rest) != outcome)
            payment = PaymentName(rest);
    }
    JournalGameEnded(amount, payment);
}

void LogResumedInPlay() {
    const GameSession& s = gJournal.session;
    if (gJournal.phase == JournalPhase::Final) {
        WriteLog("Game journal: resumed game %lld at big team %d of the final stage\n", Seq(),
                 gJournal.beaten + 1);
        return;
    }
    WriteLog(
        "Game journal: resumed game %lld at question %d of the rounds (%d right answers, "
        "%d passes left, %d jokers left)\n",
        Seq(), s.TotalTasksCompleted + 1, s.TotalTasksCompleted, s.PassesLeft, s.JokersLeft);
}
}  // namespace

bool ResumeUnfinishedGame() {
    GameJournal journal;
    if (ReadJournal(journal) <= 0) return false;
    gJournal = journal;
    gJournal.resumed += 1;
    JournalTakeOver();
    switch (gJournal.phase) {
        case JournalPhase::StakePending:
            if (!SettleStakeOnResume()) return true;
            [[fallthrough]];
        case JournalPhase::StakeTaken:
            WriteLog("Game journal: resumed game %lld from its start (the stake was taken)\n",
                     Seq());
            gAuditRecord = gJournal.audit;
            gMenuSounds.playMainTune(27, 60000);
            PlayPaidGame();
            return true;
        case JournalPhase::Rounds:
        case JournalPhase::Final:
            RestoreGame();
            LogResumedInPlay();
            gMenuSounds.playMainTune(27, 60000);
            ResumeGameInPlay();
            FinishGame(gGameSession.WinAmount, static_cast<int16_t>(JournalPlayedMs() / 1000));
            return true;
        case JournalPhase::PrizePending:
            RestoreGame();
            SettlePrizeOnResume();
            FinishGame(gGameSession.WinAmount, static_cast<int16_t>(JournalPlayedMs() / 1000));
            return true;
        case JournalPhase::Ended:
            if (gAuditRecord.counter[0] >= gJournal.bought && gJournal.bought > 0) {
                // The result reached the audit record before the power went.
                WriteRecall(gJournal);
                AppendBalanceHistory(gJournal.seq, gAuditRecord.balance[0]);
                if (gOnGameRecorded) gOnGameRecorded(gJournal);
                RemoveJournal();
                WriteLog(
                    "Game journal: game %lld already counted; recall written, journal "
                    "removed\n",
                    Seq());
                return true;
            }
            RestoreGame();
            WriteLog("Game journal: resumed game %lld at its end (result counted now)\n", Seq());
            FinishResumed();
            return true;
    }
    return false;
}
