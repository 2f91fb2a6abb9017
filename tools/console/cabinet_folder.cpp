#include "cabinet_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace {
constexpr const char* Trailer = " - Inf File Written ";
constexpr size_t TrailerLength = 20;
constexpr size_t DateLength = 8;
// The log is read from its end: a longer one shows its last 4 MiB of events.
constexpr std::streamoff LongestLogRead = 4 << 20;

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
    else if (Has(m, "late") || Has(m, "reconcil"))
        *kind = EventKind::LatePayment;
    else if (Has(m, "not paid") || Has(m, "payment failed"))
        *kind = EventKind::FailedPayment;
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
    *problem = "no recall yet";
    return false;
}
