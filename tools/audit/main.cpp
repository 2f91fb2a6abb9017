// brindlemark-audit [FILE] [--json]: prints the cabinet's audit record for its operator.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "records/audit.h"
#include "records/audit_meanings.h"

namespace {
constexpr const char* Trailer = " - Inf File Written ";
constexpr size_t TrailerLength = 20;
constexpr size_t DateLength = 8;

const char* const BandRanges[7] = {"1000 or more",      "600 to below 1000",  "200 to below 600",
                                   "-400 to below 200", "-800 to below -400", "-1000 to below -800",
                                   "below -1000"};

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

void PrintText(const char* path, const AuditRecord& r, const std::string& date) {
    int band = PayoutBandOf(r.balance[0]);
    std::printf("Audit record %s\n", path);
    std::printf("First written      %s (MM/DD/YY)\n", date.c_str());
    std::printf("Payout balance     %.2f\n", static_cast<double>(r.balance[0]));
    std::printf("Second balance     %.2f\n", static_cast<double>(r.balance[1]));
    std::printf("Payout band        %d (balance %s)\n\n", band, BandRanges[band]);
    std::printf(" id  %-52s %11s\n", "counter", "value");
    for (int id = 0; id < AuditCounterCount; ++id)
        std::printf("%3d  %-52s %11d\n", id, AuditCounterMeaning(id).c_str(), r.counter[id]);
}

void PrintJson(const char* path, const AuditRecord& r, const std::string& date) {
    std::printf("{\n  \"file\": \"");
    for (const char* p = path; *p; ++p) {
        if (*p == '"' || *p == '\\') std::putchar('\\');
        std::putchar(*p);
    }
    std::printf("\",\n  \"first_written\": \"%s\",\n", date.c_str());
    std::printf("  \"balance\": [%.2f, %.2f],\n", static_cast<double>(r.balance[0]),
                static_cast<double>(r.balance[1]));
    std::printf("  \"payout_band\": %d,\n  \"counters\": [\n", PayoutBandOf(r.balance[0]));
    for (int id = 0; id < AuditCounterCount; ++id)
        std::printf("    {\"id\": %d, \"meaning\": \"%s\", \"value\": %d}%s\n", id,
                    AuditCounterMeaning(id).c_str(), r.counter[id],
                    id + 1 < AuditCounterCount ? "," : "");
    std::printf("  ]\n}\n");
}
}  // namespace

int main(int argc, char** argv) {
    const char* path = "data/pellwarden.rec";
    bool json = false, havePath = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (argv[i][0] == '-' || havePath) {
            std::fprintf(stderr, "usage: brindlemark-audit [FILE] [--json]\n");
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
    if (json)
        PrintJson(path, record, date);
    else
        PrintText(path, record, date);
    return 0;
}
