#include "sim_state.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "game/journal.h"
#include "game/recall.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace {
using nlohmann::json;

struct KeptState {
    std::string folder;  // empty: nothing kept
    int64_t lastSeq = 0;
    SimMoney* money = nullptr;
    std::string pendingLine;  // a coin or cash-out asked for, reply not yet counted
    int64_t pendingCredit = 0, pendingBank = 0;
};
KeptState gKept;

std::string StatePath() {
    return gKept.folder + "/sim-state.json";
}

json TallyJson(const SimTally& t) {
    json prizes = json::object();
    for (const auto& [prize, count] : t.prizeCount) prizes[std::to_string(prize)] = count;
    return {{"games_played", t.gamesPlayed},
            {"games_won", t.gamesWon},
            {"reached_final", t.reachedFinal},
            {"prizes_paid", t.prizesPaid},
            {"inserted", t.inserted},
            {"collected", t.collected},
            {"prize_count", prizes},
            {"band_count", t.bandCount},
            {"band_ms", t.bandMs},
            {"questions_answered", t.questionsAnswered},
            {"cabinet_starts", t.cabinetStarts},
            {"big_team_prizes", t.bigTeamPrizes},
            {"start_balance", t.startBalance},
            {"largest_balance", t.largestBalance}};
}

void ReadTally(const json& j, SimTally& t) {
    t.gamesPlayed = j.at("games_played");
    t.gamesWon = j.at("games_won");
    t.reachedFinal = j.at("reached_final");
    t.prizesPaid = j.at("prizes_paid");
    t.inserted = j.at("inserted");
    t.collected = j.at("collected");
    for (const auto& [prize, count] : j.at("prize_count").items())
        t.prizeCount[std::stoi(prize)] = count.get<uint64_t>();
    for (int b = 0; b < 7; ++b) {
        t.bandCount[b] = j.at("band_count").at(b);
        t.bandMs[b] = j.at("band_ms").at(b);
    }
    t.questionsAnswered = j.at("questions_answered");
    t.cabinetStarts = j.at("cabinet_starts");
    t.bigTeamPrizes = j.at("big_team_prizes");
    t.startBalance = j.at("start_balance");
    t.largestBalance = j.at("largest_balance");
}

// One game into the tally.
void CountGame(int64_t seq, int32_t prize, int band, int rightAnswers, int beaten,
               const int32_t* bigTeams) {
    if (seq <= gKept.lastSeq) return;
    gKept.lastSeq = seq;
    SimTally& t = gSimTally;
    ++t.gamesPlayed;
    ++t.prizeCount[prize];
    t.prizesPaid += prize;
    if (prize > 0) ++t.gamesWon;
    if (band >= 0 && band < 7) ++t.bandCount[band];
    if (rightAnswers < MainRoundCount) return;
    ++t.reachedFinal;
    for (int q = 0; q < beaten && q < BigTeamCount; ++q) t.bigTeamPrizes += bigTeams[q];
}

void CountRecorded(const GameJournal& g) {
    int beaten = 0;
    for (int q = 0; q < BigTeamCount; ++q) {
        int32_t team = g.session.BigTeams[q];
        if (team >= 0 && team < TeamCount && !g.session.Teams[team].standing) ++beaten;
    }
    CountGame(g.seq, g.prize, g.band, g.session.TotalTasksCompleted, beaten, g.session.Prizes);
    SaveSimState();
}
}  // namespace

bool LoadSimState(const std::string& folder, SimMoney& money) {
    gKept = KeptState{};
    gKept.folder = folder;
    gKept.money = &money;
    if (folder.empty()) return false;
    std::ifstream in(StatePath());
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    try {
        json j = json::parse(text.str());
        ReadTally(j.at("tally"), gSimTally);
        gKept.lastSeq = j.at("last_seq");
        money.startCredit = j.at("start_credit");
        money.startBank = j.at("start_bank");
        money.clockStart = j.at("clock_start");
        money.clockRan = j.at("clock_ran");
        gKept.pendingLine = j.at("pending_line");
        gKept.pendingCredit = j.at("pending_credit");
        gKept.pendingBank = j.at("pending_bank");
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brindlemark-sim: %s is not the simulator's state (%s)\n",
                     StatePath().c_str(), e.what());
        std::exit(1);
    }
}

void SaveSimState() {
    if (gKept.folder.empty()) return;
    SimMoney& m = *gKept.money;
    json j = {{"tally", TallyJson(gSimTally)},     {"last_seq", gKept.lastSeq},
              {"start_credit", m.startCredit},     {"start_bank", m.startBank},
              {"clock_start", m.clockStart},       {"clock_ran", ClockPeek() - m.clockStart},
              {"pending_line", gKept.pendingLine}, {"pending_credit", gKept.pendingCredit},
              {"pending_bank", gKept.pendingBank}};
    std::string text = j.dump(1) + "\n", temp = StatePath() + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = FlushToDisk(f) && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok) ReplaceFile(temp.c_str(), StatePath().c_str());
}

void CountRecalledGames() {
    gOnGameRecorded = CountRecorded;
    std::string folder = TranslatePath(RecallFolder);
    for (int64_t seq : RecallNumbers(folder)) {
        if (seq <= gKept.lastSeq) continue;
        std::ifstream in(RecallFileName(folder, seq));
        try {
            json g = json::parse(in);
            int32_t big[BigTeamCount];
            for (int q = 0; q < BigTeamCount; ++q) big[q] = g.at("big_teams").at(q);
            CountGame(seq, g.at("prize"), g.at("band"), g.at("right_answers"),
                      g.at("big_teams_beaten"), big);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "brindlemark-sim: recall of game %lld unreadable (%s)\n",
                         static_cast<long long>(seq), e.what());
            gKept.lastSeq = seq;
        }
    }
}

void BeforePlayerMove(const char* line, int64_t credit, int64_t bank) {
    gKept.pendingLine = line;
    gKept.pendingCredit = credit;
    gKept.pendingBank = bank;
    SaveSimState();
}

void AfterPlayerMove(bool taken) {
    if (taken) {
        int64_t amount = std::atoll(gKept.pendingLine.c_str() + 5);
        if (gKept.pendingLine.compare(0, 4, "CADD") == 0)
            gSimTally.inserted += amount;
        else
            gSimTally.collected += amount;
    }
    gKept.pendingLine.clear();
    SaveSimState();
}

void SettlePlayerMove() {
    if (gKept.pendingLine.empty()) return;
    int64_t credit = PlayerExchange("CGET\r\n"), bank = PlayerExchange("BGET\r\n");
    int64_t amount = std::atoll(gKept.pendingLine.c_str() + 5);
    bool coin = gKept.pendingLine.compare(0, 4, "CADD") == 0;
    // A coin adds to the credit; a cash-out takes credit and bank to nothing.
    bool taken =
        coin ? (credit == gKept.pendingCredit + amount && bank == gKept.pendingBank)
             : (credit == 0 && bank == 0 && gKept.pendingCredit + gKept.pendingBank == amount);
    AfterPlayerMove(taken);
}
