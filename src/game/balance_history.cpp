#include "game/balance_history.h"

#include <cstdio>
#include <string>
#include <vector>

#include "game/journal.h"
#include "platform/files.h"
#include "records/log.h"

namespace {
// A line is 10 to 30 bytes: the file holds 1,300 to 4,000 games at most.
constexpr int64_t RewriteAbove = 40 * 1024;

std::string Line(int64_t seq, float balance) {
    char line[64];
    std::snprintf(line, sizeof line, "%lld %.9g\n", static_cast<long long>(seq),
                  static_cast<double>(balance));
    return line;
}

bool EndsWithWholeLine(const char* path) {
    FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    bool whole = std::fseek(f, -1, SEEK_END) == 0 && std::fgetc(f) == '\n';
    std::fclose(f);
    return whole;
}

// Writes the newest whole lines and the new one to a new file that replaces the old.
bool Rewrite(const char* path, const std::string& line) {
    std::vector<uint8_t> bytes;
    ReadWholeFile(path, bytes);
    std::vector<std::string> lines;
    std::string current;
    for (uint8_t b : bytes) {
        current += static_cast<char>(b);
        if (b == '\n') lines.push_back(std::move(current)), current.clear();
    }
    // `current` holds a line cut short, if any: it is dropped.
    std::string text;
    size_t from = lines.size() >= BalanceHistoryKept ? lines.size() - BalanceHistoryKept + 1 : 0;
    for (size_t i = from; i < lines.size(); ++i) text += lines[i];
    text += line;
    std::string temp = std::string(path) + ".tmp";
    if (!WriteFileDurably(temp.c_str(), text) || !ReplaceFile(temp.c_str(), path)) {
        DeleteFileAt(temp.c_str());
        return false;
    }
    return true;
}
}  // namespace

bool AppendBalanceHistory(int64_t seq, float balance) {
    if (JournalInMemoryOnly()) return true;
    MakeFolder("data");
    std::string line = Line(seq, balance);
    int64_t size = FileSize(BalanceHistoryFile);
    bool ok;
    if (size > RewriteAbove || (size > 0 && !EndsWithWholeLine(BalanceHistoryFile))) {
        ok = Rewrite(BalanceHistoryFile, line);
    } else {
        FILE* f = OpenFile(BalanceHistoryFile, "ab");
        ok = f && std::fwrite(line.data(), 1, line.size(), f) == line.size();
        if (f) ok = FlushToDisk(f) && ok;
        if (f) ok = std::fclose(f) == 0 && ok;
    }
    if (!ok) WriteLog("Balance history: could not write game %lld\n", static_cast<long long>(seq));
    return ok;
}
