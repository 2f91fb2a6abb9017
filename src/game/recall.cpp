#include "game/recall.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/files.h"
#include "records/log.h"

namespace {
using json = nlohmann::ordered_json;

bool IsRecallName(const std::string& name, int64_t& seq) {
    if (name.size() != 13 || name.substr(8) != ".json") return false;
    seq = 0;
    for (int i = 0; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        seq = seq * 10 + (name[i] - '0');
    }
    return true;
}
}  // namespace

std::string RecallFileName(const std::string& folder, int64_t seq) {
    char name[32];
    std::snprintf(name, sizeof name, "/%08lld.json", static_cast<long long>(seq % 100000000));
    return folder + name;
}

std::vector<int64_t> RecallNumbers(const std::string& folder) {
    std::vector<int64_t> numbers;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        int64_t seq;
        if (IsRecallName(entry.path().filename().string(), seq)) numbers.push_back(seq);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

int64_t NextRecallNumber(int64_t fromAudit) {
    std::vector<int64_t> numbers = RecallNumbers(TranslatePath(RecallFolder));
    if (!numbers.empty() && numbers.back() >= fromAudit) return numbers.back() + 1;
    return fromAudit;
}

std::string RecallText(const GameJournal& g) {
    json questions = json::array();
    for (const RecallQuestion& q : g.questions)
        questions.push_back({{"stage", q.final ? "final" : "rounds"},
                             {"pack", q.pack},
                             {"line", q.line},
                             {"statement", q.statement},
                             {"answer", q.answer},
                             {"touch", q.touch},
                             {"second_try", q.secondTry},
                             {"joker", q.joker},
                             {"seconds", q.tenths / 10.0}});
    int beaten = 0;
    for (int q = 0; q < BigTeamCount; ++q) {
        int32_t team = g.session.BigTeams[q];
        if (team >= 0 && team < TeamCount && !g.session.Teams[team].standing) ++beaten;
    }
    json j = {
        {"format", RecallFormat},
        {"seq", g.seq},
        {"start", g.start},
        {"end", g.end},
        {"stake", 50},
        {"band", g.band},
        {"win_plan", {{"band", g.plan.band}, {"first", g.plan.first}, {"grades", g.plan.grade}}},
        {"questions", questions},
        {"right_answers", g.session.TotalTasksCompleted},
        {"passes_used", g.passesUsed},
        {"jokers_used", g.jokersUsed},
        {"big_teams", g.session.Prizes},
        {"big_teams_beaten", beaten},
        {"prize", g.prize},
        {"payment", g.payment},
        {"resumed", g.resumed}};
    return j.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool WriteRecall(const GameJournal& g) {
    if (JournalInMemoryOnly()) return true;
    MakeFolder("data");
    MakeFolder(RecallFolder);
    std::string folder = TranslatePath(RecallFolder);
    std::string path = RecallFileName(folder, g.seq), temp = path + ".tmp";
    if (!WriteFileDurably(temp.c_str(), RecallText(g)) ||
        !ReplaceFile(temp.c_str(), path.c_str())) {
        DeleteFileAt(temp.c_str());
        WriteLog("Recall: could not write game %lld\n", static_cast<long long>(g.seq));
        return false;
    }
    std::vector<int64_t> numbers = RecallNumbers(folder);
    for (size_t i = 0; i + RecallKept < numbers.size(); ++i)
        DeleteFileAt(RecallFileName(folder, numbers[i]).c_str());
    return true;
}
