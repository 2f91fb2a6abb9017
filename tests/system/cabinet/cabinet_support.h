// The whole cabinet program in-process, as a player meets it: start-up, the menu, paid games and
// the way out by Main Menu, all through the program's own main loop and credit link, against a
// real brindlemark-credit service in a scratch folder. A relay between the link and the service
// keeps every byte the game sent; the service's log and ledger show what it booked.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/net.h"
#include "records/audit.h"
#include "support/credit_service.h"
#include "support/game_harness.h"
#include "support/scratch.h"

// Passes one client connection on to the service unchanged, keeping a copy of what the client
// sent.
class RecordingRelay {
  public:
    explicit RecordingRelay(uint16_t servicePort);
    ~RecordingRelay();
    uint16_t port() const { return port_; }
    // The client's bytes so far, in order.
    std::string Sent();
    // Waits up to timeoutMs for the client to close its end; true once it has.
    bool WaitForClose(int timeoutMs);
    // From now on, each chunk of the client's bytes is handed to `watch` (on the relay's
    // thread) before it is passed on.
    void Watch(std::function<void(const std::string& chunk)> watch);

  private:
    void Run();
    uint16_t servicePort_;
    SocketHandle listener_ = InvalidSocket;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> closed_{false};
    std::mutex mutex_;
    std::string sent_;
    std::function<void(const std::string& chunk)> watch_;
    std::thread thread_;
};

// What one game left behind as it returned to the main loop.
struct GameRecord {
    uint8_t state = 0;
    int32_t winAmount = 0;
    int32_t prizes[3] = {};
    int32_t tasks = 0;     // right or passed answers in the rounds
    int32_t standing = 0;  // teams standing at the end
    size_t playsTaken = 0;
    OutsideLog log;          // what the game drew, played and paid
    bool displayUp = false;  // the display was still up when the game ended
};

// How the cabinet is run.
struct CabinetPlan {
    int games = 1;                                     // games bought before leaving
    std::function<std::vector<Play>(int game)> plays;  // the plays of each game, from 0
    bool drawn = true;  // the display comes up and every screen is drawn
    bool sound = true;  // the effects are played (and mixed by the headless sound device)
    int coin = 100;     // put in whenever credit and bank on screen fall short of a stake
    // The tunes are read from the working folder as at a program start, and played; otherwise
    // they are silent (decoding them for every virtual minute of play only costs time).
    bool tunes = false;
    // The plays of a game that the start takes up from its journal, before the menu.
    std::vector<Play> resumedPlays;
    // Sees each chunk of the game's requests (on the relay's thread) before the service does.
    std::function<void(const std::string& chunk)> watchRequests;
};

// What is done to one file of the working folder before the cabinet starts.
enum class FileDamage { Missing, CutToHalf, Overwritten };

class Cabinet {
  public:
    Cabinet();
    ~Cabinet();
    // The service, the relay and the staged files are all there.
    bool ready() const { return ready_; }
    // The audit record the cabinet will start with: zero counters and this payout balance.
    void PresetPayoutBalance(float balance);
    // Damages one file of the staged working folder (or the audit record), given by its path
    // there: removed, cut to half its length, or 64 bytes at random places overwritten with
    // random bytes drawn from `seed`. False when the file is not there.
    bool Damage(const std::string& path, FileDamage damage, uint32_t seed);
    // The cabinet's own log file.
    std::string LogText() const;
    // The cabinet's working folder (kept from one run to the next).
    std::string WorkFolder() const;

    // A coin through the operator's command.
    bool Insert(int pence);
    // The cabinet program from start-up to its end; returns its exit code.
    int Run(const CabinetPlan& plan);

    const std::vector<GameRecord>& games() const { return games_; }
    int64_t coinsInserted() const { return coins_; }
    // The audit record the cabinet saved last.
    const AuditRecord& savedRecord() const { return saved_; }
    // Every request line the game sent (over every run), each with its own line end, in order.
    std::vector<std::string> Requests();
    // The same without the balance queries of the menu.
    std::vector<std::string> Changes();
    // The whole ledger, oldest first, through the operator's command.
    std::vector<LedgerEntry> Ledger();
    // The ledger's changes made by the game's connection (the one that took stakes).
    std::vector<LedgerEntry> GameLedger();
    // Credit and bank through the operator's command; false when it failed.
    bool Balances(int64_t& credit, int64_t& bank);
    // The service's own log.
    std::string ServiceLog() const;

    // Used by the player's hooks.
    bool EnsureMoney();
    void NoteGame();
    bool MenuPress(uint32_t now, int16_t& x, int16_t& y);
    std::vector<Play> NextPlays();

  private:
    ScratchFolder folder_{"cabinet-service"};
    std::unique_ptr<ServiceProcess> service_;
    std::unique_ptr<RecordingRelay> relay_;
    std::string sentBefore_;             // what the links of earlier runs sent
    std::unique_ptr<RawClient> player_;  // the player's eyes on the credit and bank
    std::unique_ptr<ScratchDir> work_;
    bool ready_ = false;
    CabinetPlan plan_;
    int bought_ = 0;
    uint32_t lastMenuPress_ = 0;
    int64_t coins_ = 0;
    std::vector<GameRecord> games_;
    AuditRecord saved_{};
};

// The changes a prize payment must show on the wire, whole pounds first.
std::vector<std::string> PrizeLines(int32_t prize);
