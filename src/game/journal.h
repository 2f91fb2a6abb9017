// The game journal: "data\game.journal" (plain text lines and a CRC-32), rewritten atomically at
// each step of a paid game that matters (the stake, each question put and answered, each help, each
// big team beaten, each part of a prize payment), so that a game cut off by a power cut resumes at
// the next start where it stood. It is removed once the game's result is in the audit record and
// its recall is written.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "credit/reconcile.h"
#include "game/session.h"
#include "records/audit.h"

constexpr const char* JournalPath = "data\\game.journal";
constexpr int JournalVersion = 1;

enum class JournalPhase : uint8_t {
    StakePending,  // the stake was asked for; its reply had not come
    StakeTaken,    // the stake was taken; the game was not set up yet
    Rounds,        // the main rounds are under way
    Final,         // the final stage is under way
    PrizePending,  // a part of the prize was asked for; its reply had not come
    Ended,         // the game is over, its result not yet in the audit record
};

// The verdict on the last question, written at the touch, before its effects are played.
enum class JournalVerdict : uint8_t { None, Right, Wrong };

// One question answered, as the recall keeps it.
struct RecallQuestion {
    bool final = false;
    std::string pack;  // file name of the pack
    int32_t line = 0;  // from 1
    std::string statement;
    bool answer = false;
    std::string touch;  // "true", "false", "pass" or "timeout"
    bool secondTry = false;
    bool joker = false;
    int32_t tenths = 0;  // tenths of a second from the clock's start to the touch
};

struct GameJournal {
    bool open = false;  // a game is journaled
    JournalPhase phase = JournalPhase::StakeTaken;
    int64_t seq = 0;         // the game's number
    int32_t bought = 0;      // games bought once this game's stake was counted
    std::string start, end;  // local times, YYYY-MM-DDTHH:MM:SS
    int64_t playedMs = 0;    // play before the current run took the game over
    int32_t resumed = 0;
    int32_t band = 0;  // payout band as the game started
    // The stake or prize part in hand: balances read just before it was asked for.
    uint16_t creditBefore = 0, bankBefore = 0;
    // The question on screen and the verdict on the last one.
    bool questionOpen = false;
    bool secondTryUsed = false;
    JournalVerdict verdict = JournalVerdict::None;
    int32_t beaten = 0;  // big teams beaten in the final stage
    int32_t passesUsed = 0, jokersUsed = 0;
    // The prize and its payment: the part asked for (0 the bank's pounds, 1 the credit's pence).
    int32_t prize = 0;
    int32_t prizePart = 0;
    std::string payment = "none";
    std::vector<RecallQuestion> questions;
    // The game's own state.
    GameSession session{};
    WinPlan plan{};
    AuditRecord audit{};
    uint32_t random = 1;
    int32_t slotOrder[TeamCount] = {};
};
extern GameJournal gJournal;

// Journaling is on in the program's own run (and the simulator's); off for screens and games
// driven piecemeal, which then behave exactly as without it.
void EnableJournal(bool on);
bool JournalEnabled();
// For a run whose folder is thrown away at its end (the simulator's in memory): the journal is
// kept up to date for the recall but never written.
void KeepJournalInMemoryOnly(bool on);
bool JournalInMemoryOnly();
// Called with each game once its result is in the audit record and its recall is written.
extern void (*gOnGameRecorded)(const GameJournal& journal);

// The journal as text (with its checksum line), and back; false when the text is not a journal
// of this version or fails its checksum (`why` says which).
std::string JournalText(const GameJournal& journal);
bool ParseJournal(const std::string& text, GameJournal& journal, std::string& why);

// True while a game is journaled and its last step reached the disk: a run that ends now leaves
// the game to be resumed at the next start.
bool JournalOnDisk();
// Writes gJournal with the game's state as it stands now (the question on screen, if any, is
// left out of the audit copy: a resumed game puts a fresh one); does nothing when off.
void WriteJournal();
// Reads the journal file: 1 read, 0 none there, -1 unreadable (then set aside and logged).
int ReadJournal(GameJournal& journal);
// Removes the journal file and closes the game in memory.
void RemoveJournal();
// Renames an unreadable journal so that nothing reads it again; it is never deleted.
void SetJournalAside(const char* why);

// Steps of the game, each writing the journal.
void JournalBeforeStake(uint16_t credit, uint16_t bank);
void JournalStakeTaken();
void JournalStakeRefused();
void JournalGameSetUp();
void JournalQuestionPut(bool final);
void JournalJoker();
void JournalSecondTry();
// `touch` as the recall keeps it; `right` the verdict.
void JournalVerdictGiven(const char* touch, bool right);
void JournalRoundSettled();
void JournalFinalSettled(int32_t beaten);
// Before a stake or a prize part is asked for (the credit link's hook): the balances it will
// be judged against should its reply never come.
void JournalBeforeMoney(MoneyRequest request, int32_t amount, const CreditBalances& before);
// How a payment ended, as the recall writes it.
const char* PaymentName(MoneyOutcome outcome);
void JournalGameEnded(int32_t prize, const char* payment);
// The log's line on how a won game's prize was paid.
void LogPayment(const GameJournal& journal);

// Milliseconds the game has been played, over every run that played it.
int64_t JournalPlayedMs();
// Marks the clock at which this run took the game over (a new game, or one resumed).
void JournalTakeOver();

// The local time now as the recall writes it.
std::string RecallTimeNow();
