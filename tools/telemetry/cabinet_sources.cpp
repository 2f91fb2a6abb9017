#include "cabinet_sources.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "records/audit.h"
#include "records/log.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
// Ledger rows and log lines taken in one transaction at most.
constexpr int64_t RowsAPoll = 500;
constexpr const char* FullNote =
    "outbox full: games, money and faults wait in the cabinet's own files until the broker takes "
    "messages";

std::string Text(sqlite3_stmt* st, int column) {
    const unsigned char* t = sqlite3_column_text(st, column);
    return t ? reinterpret_cast<const char*>(t) : "";
}

// A recall file name: eight digits and ".json"; its game number, or -1.
int64_t RecallNumber(const std::string& name) {
    if (name.size() != 13 || name.compare(8, 5, ".json") != 0) return -1;
    int64_t n = 0;
    for (int i = 0; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

bool IsFaultLine(const std::string& line) {
    for (const char* sign : {"failed", "Failed", "not paid", "uncertain", "unreadable"})
        if (line.find(sign) != std::string::npos) return true;
    return false;
}

Sources::Sources(std::string folder, std::string creditDb)
    : folder_(std::move(folder)), creditDb_(std::move(creditDb)) {}

Sources::~Sources() {
    sqlite3_close(credit_);
}

std::string Sources::TakeNote() {
    return std::exchange(note_, "");
}

bool Sources::Queue(Outbox& outbox, const std::vector<Draft>& drafts,
                    const std::vector<std::pair<std::string, std::string>>& cursors) {
    std::string note;
    EnqueueResult r = outbox.Enqueue(drafts, cursors, &note);
    if (r == EnqueueResult::Full)
        note = note.empty() ? FullNote : note + "; " + FullNote;
    else if (r == EnqueueResult::Failed)
        note = "the outbox cannot be written";
    if (!note.empty()) note_ = note_.empty() ? note : note_ + "; " + note;
    return r == EnqueueResult::Added;
}

bool Sources::PollLedger(Outbox& outbox) {
    if (creditDb_.empty()) return true;
    if (!credit_) {
        if (sqlite3_open_v2(creditDb_.c_str(), &credit_, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK) {
            note_ = "cannot read the credit ledger " + creditDb_;
            sqlite3_close(credit_);
            credit_ = nullptr;
            return true;
        }
        sqlite3_busy_timeout(credit_, 2000);
    }
    int64_t last = std::stoll(outbox.Cursor("ledger", "0"));
    for (;;) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(credit_,
                               "SELECT id, time, client, request, amount, credit, bank FROM ledger"
                               " WHERE id > ?1 ORDER BY id LIMIT ?2",
                               -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            sqlite3_close(credit_);
            credit_ = nullptr;  // not there yet, or replaced: opened again next time
            return true;
        }
        // Never more than fits, so that a small outbox still takes the ledger a part at a time.
        int64_t rows = std::min(RowsAPoll, outbox.Room());
        if (rows <= 0) {
            sqlite3_finalize(st);
            note_ = FullNote;
            return false;
        }
        sqlite3_bind_int64(st, 1, last);
        sqlite3_bind_int64(st, 2, rows);
        std::vector<Draft> drafts;
        while (sqlite3_step(st) == SQLITE_ROW) {
            last = sqlite3_column_int64(st, 0);
            json body = {{"id", last},
                         {"time", Text(st, 1)},
                         {"client", Text(st, 2)},
                         {"request", Text(st, 3)},
                         {"amount", sqlite3_column_int64(st, 4)},
                         {"credit", sqlite3_column_int64(st, 5)},
                         {"bank", sqlite3_column_int64(st, 6)}};
            drafts.push_back({"ledger", body.dump()});
        }
        sqlite3_finalize(st);
        if (drafts.empty()) return true;
        if (!Queue(outbox, drafts, {{"ledger", std::to_string(last)}})) return false;
        if (static_cast<int64_t>(drafts.size()) < rows) return true;
    }
}

std::string Sources::MeterSnapshot(int64_t afterGame) {
    std::vector<uint8_t> bytes;
    std::ifstream in(fs::path(folder_) / "data" / "pellwarden.rec", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    AuditRecord record{};
    DecodeAuditHead(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), record);
    json counters = json::array();
    for (int32_t c : record.counter) counters.push_back(c);
    json body = {{"after_game", afterGame},
                 {"record", raw.size() >= static_cast<size_t>(AuditHeadSize)},
                 {"balance", {record.balance[0], record.balance[1]}},
                 {"band", PayoutBandOf(record.balance[0])},
                 {"counters", counters}};
    return body.dump();
}

bool Sources::PollGames(Outbox& outbox) {
    fs::path recall = fs::path(folder_) / "data" / "recall";
    std::error_code ec;
    if (!fs::is_directory(recall, ec)) return true;
    int64_t last = std::stoll(outbox.Cursor("game", "0"));
    std::vector<std::pair<int64_t, fs::path>> games;
    for (const auto& entry : fs::directory_iterator(recall, ec)) {
        int64_t n = RecallNumber(entry.path().filename().string());
        if (n > last) games.emplace_back(n, entry.path());
    }
    std::sort(games.begin(), games.end());
    for (const auto& [number, path] : games) {
        std::vector<Draft> drafts;
        if (last > 0 && number > last + 1)
            drafts.push_back({"fault", json{{"line", "games " + std::to_string(last + 1) + " to " +
                                                         std::to_string(number - 1) +
                                                         " left the recall before they were sent"}}
                                           .dump()});
        json game = json::parse(ReadFile(path), nullptr, false);
        if (game.is_discarded() || !game.is_object())
            drafts.push_back({"fault", json{{"line", "recall file " + path.filename().string() +
                                                         " does not parse"}}
                                           .dump()});
        else
            drafts.push_back({"game", game.dump()});
        drafts.push_back({"meters", MeterSnapshot(number)});
        if (!Queue(outbox, drafts, {{"game", std::to_string(number)}})) return false;
        last = number;
    }
    return true;
}

bool Sources::PollLog(Outbox& outbox) {
    std::ifstream in(fs::path(folder_) / "~system" / "logs" / "Brindlemark.txt", std::ios::binary);
    if (!in) return true;
    std::string head;
    std::getline(in, head);
    if (!head.empty() && head.back() == '\r') head.pop_back();
    size_t version = head.find("Version ");
    if (version != std::string::npos)
        cabinetVersion_ = head.substr(version + 8, head.find(' ', version + 8) - version - 8);
    std::string cursor = outbox.Cursor("log");
    size_t tab = cursor.rfind('\t');
    int64_t offset = 0;
    if (tab != std::string::npos && cursor.substr(0, tab) == head)
        offset = std::stoll(cursor.substr(tab + 1));  // the same run's log: go on where we were
    in.clear();
    in.seekg(offset);
    std::vector<Draft> drafts;
    std::string line;
    int64_t read = offset;
    int lines = 0;
    while (lines < RowsAPoll && std::getline(in, line) && !in.eof()) {
        read += static_cast<int64_t>(line.size()) + 1;  // only whole lines (ended by '\n')
        ++lines;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (IsFaultLine(line)) drafts.push_back({"fault", json{{"line", line}}.dump()});
    }
    if (read == offset) return true;
    return Queue(outbox, drafts, {{"log", head + "\t" + std::to_string(read)}});
}

void Sources::Heartbeat(Outbox& outbox, int64_t agentSeconds) {
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    std::error_code ec;
    fs::space_info space = fs::space(folder_, ec);
    json body = {{"uptime", static_cast<int64_t>(uptime)},
                 {"agent_uptime", agentSeconds},
                 {"free_disk", ec ? -1 : static_cast<int64_t>(space.available)},
                 {"outbox", outbox.Count()},
                 {"versions", {{"telemetry", ProgramVersion}, {"cabinet", cabinetVersion_}}}};
    Queue(outbox, {{"heartbeat", body.dump()}}, {});
}
