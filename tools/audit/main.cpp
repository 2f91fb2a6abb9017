// brindlemark-audit [FILE] [--json]: prints the cabinet's audit record for its operator.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include "platform/files.h"

#include "game/recall.h"
#include "records/audit.h"
#include "records/audit_check.h"
#include "records/audit_meanings.h"

namespace {
constexpr const char* Trailer = " - Inf File Written ";
constexpr size_t TrailerLength = 20;
constexpr size_t DateLength = 8;

const char* const BandRanges[7] = {"1000 or more",      "600 to below 1000",  "200 to below 600",
                                   "-400 to below 200", "-800 to below -400", "-1000 to below -800",
                                   "below -1000"};

// The integrity of the record for machines, by RecordCheck.
const char* const RecordCheckNames[] = {"no-checksum", "good", "failed-restorable", "failed",
                                        "checksum-unreadable"};

bool IsRecordDate(const std::string& date) {
    if (date.size() != DateLength || date[2] != '/' || date[5] != '/') return false;
    for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u})
        if (date[i] < '0' || date[i] > '9') return false;
    return true;
}

// Checks the file's shape: a 176-byte head, a banner, the trailer and the date of first
// writing. Returns an empty text when it is a record, else why not.
std::string CheckRecord(const std::vector<uint8_t>& bytes, std::string& date) {
    if (bytes.size() < AuditHeadSize + TrailerLength + DateLength)
        return "it is " + std::to_string(bytes.size()) + " bytes long, shorter than any record";
    std::string tail(bytes.end() - static_cast<long>(TrailerLength + DateLength), bytes.end());
    if (tail.compare(0, TrailerLength, Trailer) != 0)
        return "it does not end with the record's trailer";
    date = tail.substr(TrailerLength);
    if (!IsRecordDate(date)) return "its last 8 bytes are not a MM/DD/YY date";
    return "";
}

void PrintText(const char* path, const AuditRecord& r, const std::string& date, RecordCheck check) {
    int band = PayoutBandOf(r.balance[0]);
    std::printf("Audit record %s\n", path);
    std::printf("Integrity          %s\n", RecordCheckText(check));
    std::printf("First written      %s (MM/DD/YY)\n", date.c_str());
    std::printf("Payout balance     %.2f\n", static_cast<double>(r.balance[0]));
    std::printf("Second balance     %.2f\n", static_cast<double>(r.balance[1]));
    std::printf("Payout band        %d (balance %s)\n\n", band, BandRanges[band]);
    std::printf(" id  %-52s %11s\n", "counter", "value");
    for (int id = 0; id < AuditCounterCount; ++id)
        std::printf("%3d  %-52s %11d\n", id, AuditCounterMeaning(id).c_str(), r.counter[id]);
}

void PrintJson(const char* path, const AuditRecord& r, const std::string& date, RecordCheck check) {
    std::printf("{\n  \"file\": \"");
    for (const char* p = path; *p; ++p) {
        if (*p == '"' || *p == '\\') std::putchar('\\');
        std::putchar(*p);
    }
    std::printf("\",\n  \"first_written\": \"%s\",\n", date.c_str());
    std::printf("  \"integrity\": \"%s\",\n", RecordCheckNames[static_cast<int>(check)]);
    std::printf("  \"balance\": [%.2f, %.2f],\n", static_cast<double>(r.balance[0]),
                static_cast<double>(r.balance[1]));
    std::printf("  \"payout_band\": %d,\n  \"counters\": [\n", PayoutBandOf(r.balance[0]));
    for (int id = 0; id < AuditCounterCount; ++id)
        std::printf("    {\"id\": %d, \"meaning\": \"%s\", \"value\": %d}%s\n", id,
                    AuditCounterMeaning(id).c_str(), r.counter[id],
                    id + 1 < AuditCounterCount ? "," : "");
    std::printf("  ]\n}\n");
}

std::string Money(int64_t pence) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(pence / 100),
                  static_cast<long long>(pence % 100));
    return text;
}

void PrintGame(const nlohmann::json& g) {
    std::printf("Game %lld  %s to %s  band %d\n", g.at("seq").get<long long>(),
                g.at("start").get<std::string>().c_str(), g.at("end").get<std::string>().c_str(),
                g.at("band").get<int>());
    const nlohmann::json& plan = g.at("win_plan");
    std::printf("  win plan band %d, first grade %d, grades", plan.at("band").get<int>(),
                plan.at("first").get<int>());
    for (const auto& grade : plan.at("grades")) std::printf(" %d", grade.get<int>());
    std::printf("\n  big teams");
    for (const auto& prize : g.at("big_teams"))
        std::printf(" %s", Money(prize.get<int64_t>()).c_str());
    std::printf(", %d beaten; %d right answers, %d passes, %d jokers used\n",
                g.at("big_teams_beaten").get<int>(), g.at("right_answers").get<int>(),
                g.at("passes_used").get<int>(), g.at("jokers_used").get<int>());
    std::printf("  prize %s, payment %s", Money(g.at("prize").get<int64_t>()).c_str(),
                g.at("payment").get<std::string>().c_str());
    int resumed = g.at("resumed").get<int>();
    if (resumed > 0)
        std::printf("; resumed %d time%s after an interruption", resumed, resumed == 1 ? "" : "s");
    std::printf("\n");
    int n = 0;
    for (const auto& q : g.at("questions")) {
        std::string touch = q.at("touch").get<std::string>();
        if (q.at("second_try").get<bool>()) touch += " (second try)";
        if (q.at("joker").get<bool>()) touch += " +joker";
        std::printf("  %2d %-6s %s line %-4d %-5s %-22s %5.1f s  %s\n", ++n,
                    q.at("stage").get<std::string>().c_str(),
                    q.at("pack").get<std::string>().c_str(), q.at("line").get<int>(),
                    q.at("answer").get<bool>() ? "TRUE" : "FALSE", touch.c_str(),
                    q.at("seconds").get<double>(), q.at("statement").get<std::string>().c_str());
    }
    std::printf("\n");
}

// brindlemark-audit recall [N] [--folder DIR] [--json]: the last N games, newest last.
int Recall(int argc, char** argv) {
    std::string folder = ".";
    bool json = false;
    long count = 10;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        char* end = nullptr;
        if (a == "--json") {
            json = true;
        } else if (a == "--folder" && i + 1 < argc) {
            folder = argv[++i];
        } else if (a[0] != '-' && (count = std::strtol(a.c_str(), &end, 10), *end == 0) &&
                   count > 0 && count <= RecallKept) {
        } else {
            std::fprintf(stderr,
                         "usage: brindlemark-audit recall [N] [--folder DIR] [--json]\n"
                         "  N from 1 to %d (10 unless told)\n",
                         RecallKept);
            return 2;
        }
    }
    std::string recall = folder + "/" + TranslatePath(RecallFolder);
    std::vector<int64_t> numbers = RecallNumbers(recall);
    size_t first = numbers.size() > static_cast<size_t>(count) ? numbers.size() - count : 0;
    nlohmann::json games = nlohmann::json::array();
    for (size_t i = first; i < numbers.size(); ++i) {
        std::vector<uint8_t> bytes;
        std::string file = RecallFileName(recall, numbers[i]);
        try {
            if (!ReadWholeFile(file.c_str(), bytes)) throw std::runtime_error("cannot be read");
            nlohmann::json g = nlohmann::json::parse(bytes.begin(), bytes.end());
            if (g.at("format").get<int>() > RecallFormat) throw std::runtime_error("newer format");
            if (!json) PrintGame(g);
            games.push_back(std::move(g));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "brindlemark-audit: %s skipped: %s\n", file.c_str(), e.what());
        }
    }
    if (json)
        std::printf("%s\n", games.dump(2).c_str());
    else if (games.empty())
        std::printf("No games in the recall of %s\n", folder.c_str());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "recall") == 0) return Recall(argc, argv);
    const char* path = "data/pellwarden.rec";
    bool json = false, havePath = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (argv[i][0] == '-' || havePath) {
            std::fprintf(stderr,
                         "usage: brindlemark-audit [FILE] [--json]\n"
                         "       brindlemark-audit recall [N] [--folder DIR] [--json]\n");
            return 2;
        } else {
            path = argv[i];
            havePath = true;
        }
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        std::fprintf(stderr, "brindlemark-audit: cannot read %s\n", path);
        return 1;
    }
    std::string date;
    std::string why = CheckRecord(bytes, date);
    if (!why.empty()) {
        std::fprintf(stderr, "brindlemark-audit: %s is not an audit record: %s\n", path,
                     why.c_str());
        return 1;
    }
    AuditRecord record{};
    DecodeAuditHead(bytes.data(), AuditHeadSize, record);
    RecordCheck check = CheckRecordFile(path).check;
    if (json)
        PrintJson(path, record, date, check);
    else
        PrintText(path, record, date, check);
    return 0;
}
