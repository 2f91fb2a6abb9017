#include "cabinet_folder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "platform/files.h"

namespace {
constexpr const char* Trailer = " - Inf File Written ";
constexpr size_t TrailerLength = 20;
constexpr size_t DateLength = 8;
// The log is read from its end: a longer one shows its last 4 MiB of events.
constexpr std::streamoff LongestLogRead = 4 << 20;
// A recalled game's file is about 8 KB at most; a much larger one is not read.
constexpr uintmax_t LongestRecallFile = 256 * 1024;
// The cabinet keeps its balance history under 41 KB; of a longer file the last 1 MiB is read.
constexpr std::streamoff LongestHistoryRead = 1 << 20;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Has(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

// The kind of one logged message, or false for a message that is no event.
bool EventOf(const std::string& message, EventKind* kind) {
    std::string m = Lower(message);
    if (Has(m, "start of log"))
        *kind = EventKind::StartUp;
    else if (Has(m, "closing log"))
        *kind = EventKind::Shutdown;
    else if (Has(m, "resum"))
        *kind = EventKind::ResumedGame;
    else if (Has(m, "not paid") || Has(m, "payment failed") || Has(m, "not taken"))
        *kind = EventKind::FailedPayment;
    else if (Has(m, "late") || Has(m, "no reply") || Has(m, "missing reply") ||
             Has(m, "not booked") || Has(m, "uncertain") || Has(m, "cannot tell") ||
             Has(m, "asking the balances"))
        *kind = EventKind::LatePayment;
    else if (Has(m, "fail") || Has(m, "error") || Has(m, "cannot") || Has(m, "could not") ||
             Has(m, "corrupt") || Has(m, "set aside") || Has(m, "missing"))
        *kind = EventKind::Fault;
    else
        return false;
    return true;
}
}  // namespace

AuditReading ReadAudit(const std::string& folder) {
    AuditReading r;
    std::string path = folder + "/data/pellwarden.rec";
    std::vector<uint8_t> bytes;
    if (!std::filesystem::exists(path)) {
        r.problem = "no audit record yet: the cabinet has not finished a game";
        return r;
    }
    if (!ReadWholeFile(path.c_str(), bytes)) {
        r.problem = "the audit record cannot be read";
        return r;
    }
    if (bytes.size() < AuditHeadSize + TrailerLength + DateLength ||
        std::string(bytes.end() - static_cast<long>(TrailerLength + DateLength),
                    bytes.end() - static_cast<long>(DateLength)) != Trailer) {
        r.problem = "the file in the audit record's place is not an audit record";
        return r;
    }
    r.firstDate.assign(bytes.end() - static_cast<long>(DateLength), bytes.end());
    DecodeAuditHead(bytes.data(), AuditHeadSize, r.record);
    r.present = true;
    return r;
}

const char* EventKindName(EventKind kind) {
    switch (kind) {
        case EventKind::StartUp:
            return "start-up";
        case EventKind::Shutdown:
            return "shutdown";
        case EventKind::FailedPayment:
            return "failed payment";
        case EventKind::LatePayment:
            return "late payment";
        case EventKind::ResumedGame:
            return "resumed game";
        case EventKind::Fault:
            break;
    }
    return "fault";
}

std::vector<CabinetEvent> ReadEvents(const std::string& folder, std::string* problem) {
    std::vector<CabinetEvent> events;
    std::ifstream in(folder + "/~system/logs/Brindlemark.txt", std::ios::binary);
    if (!in) {
        *problem = "no log yet: the cabinet has not started in this folder";
        return events;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    std::streamoff start = std::max<std::streamoff>(0, size - LongestLogRead);
    in.seekg(start);
    std::string line;
    if (start > 0) std::getline(in, line);  // a line cut by the start of the read
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // "DD/MM/YYYY HH:MM:SS - message" (a two-digit year is read too)
        size_t stamp = line.find(" - ");
        if (stamp != 17 && stamp != 19) continue;
        CabinetEvent e;
        e.text = line.substr(stamp + 3);
        if (!EventOf(e.text, &e.kind)) continue;
        e.time = line.substr(0, stamp);
        events.push_back(std::move(e));
    }
    return events;
}

bool ReadRecall(const std::string& folder, std::vector<RecalledGame>* games, std::string* problem) {
    games->clear();
    std::filesystem::path dir = std::filesystem::path(folder) / "data" / "recall";
    std::error_code failed;
    if (!std::filesystem::is_directory(dir, failed)) {
        *problem = "no recall yet";
        return false;
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir, failed)) {
        std::string name = entry.path().filename().string();
        if (name.size() == 13 && name.compare(8, 5, ".json") == 0 &&
            name.find_first_not_of("0123456789") == 8 && entry.is_regular_file(failed) &&
            entry.file_size(failed) <= LongestRecallFile)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::ifstream in(dir / name, std::ios::binary);
        nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
        if (j.is_discarded() || !j.is_object() || j.value("format", 0) != 1) continue;
        try {
            RecalledGame g;
            g.seq = j.value("seq", 0L);
            g.start = j.value("start", "");
            g.end = j.value("end", "");
            g.stake = j.value("stake", 50);
            g.band = j.value("band", 0);
            g.bigTeams = j.value("big_teams", std::vector<int>{});
            g.bigTeamsBeaten = j.value("big_teams_beaten", 0);
            g.prize = j.value("prize", 0);
            g.payment = j.value("payment", "");
            g.resumed = j.value("resumed", 0);
            for (const nlohmann::json& q : j.value("questions", nlohmann::json::array())) {
                RecalledQuestion r;
                r.stage = q.value("stage", "");
                r.statement = q.value("statement", "");
                r.answer = q.value("answer", false);
                r.touch = q.value("touch", "");
                r.secondTry = q.value("second_try", false);
                r.joker = q.value("joker", false);
                r.seconds = q.value("seconds", 0.0);
                g.questions.push_back(std::move(r));
            }
            games->push_back(std::move(g));
        } catch (const nlohmann::json::exception&) {
            // a field of the wrong type: the game is left out like an unreadable file
        }
    }
    if (games->empty()) {
        *problem = "no recall yet";
        return false;
    }
    return true;
}

std::vector<double> BalanceHistory(const std::vector<RecalledGame>& games, double balanceNow) {
    std::vector<double> after(games.size());
    double balance = balanceNow;
    for (size_t i = games.size(); i-- > 0;) {
        after[i] = balance;
        const RecalledGame& g = games[i];
        double change = -g.stake * 25 / 100.0;
        if (g.prize > 0) {
            change += g.prize;
            for (int b = 0; b < g.bigTeamsBeaten && b < static_cast<int>(g.bigTeams.size()); ++b)
                change += g.bigTeams[static_cast<size_t>(b)];
        }
        balance -= change;
    }
    return after;
}

std::vector<GameBalance> ReadBalanceHistory(const std::string& folder, size_t most) {
    std::ifstream in(folder + "/data/balance-history.txt", std::ios::binary);
    std::map<long, double> bySeq;
    if (in) {
        in.seekg(0, std::ios::end);
        std::streamoff size = in.tellg();
        std::streamoff start = std::max<std::streamoff>(0, size - LongestHistoryRead);
        in.seekg(start);
        std::string line;
        if (start > 0) std::getline(in, line);  // a line cut by the start of the read
        // "SEQ BALANCE": the game's number, a space and the balance; a last line without its
        // end was cut short and is not read.
        while (std::getline(in, line) && !in.eof()) {
            size_t space = line.find(' ');
            if (space == 0 || space == std::string::npos) continue;
            long seq = 0;
            double balance = 0;
            const char* end = line.data() + line.size();
            auto [seqEnd, seqError] = std::from_chars(line.data(), line.data() + space, seq);
            auto [balanceEnd, balanceError] =
                std::from_chars(line.data() + space + 1, end, balance);
            if (seqError != std::errc() || seqEnd != line.data() + space || seq <= 0 ||
                balanceError != std::errc() || balanceEnd != end || !std::isfinite(balance))
                continue;
            bySeq[seq] = balance;
        }
    }
    std::vector<GameBalance> history;
    auto from = bySeq.begin();
    if (bySeq.size() > most) std::advance(from, static_cast<long>(bySeq.size() - most));
    for (auto it = from; it != bySeq.end(); ++it) history.push_back({it->first, it->second});
    return history;
}
