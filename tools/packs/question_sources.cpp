#include "question_sources.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {
const std::string kEmpty;

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::vector<std::string> FilesIn(const std::string& dir, const std::string& ext) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.is_regular_file() && entry.path().extension() == ext)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}
}  // namespace

const std::vector<Family>& Families() {
    static const std::vector<Family> families = {{"geography", "geography"},
                                                 {"history", "history"},
                                                 {"science", "science"},
                                                 {"nature", "the natural world"},
                                                 {"body", "the human body"},
                                                 {"space", "space"},
                                                 {"sport", "sport"},
                                                 {"literature", "literature"},
                                                 {"art", "art"},
                                                 {"music", "music"},
                                                 {"screen", "film and television"},
                                                 {"food", "food and drink"},
                                                 {"language", "language and words"},
                                                 {"numbers", "numbers and measures"},
                                                 {"british", "British life and customs"},
                                                 {"technology", "technology"}};
    return families;
}

bool IsFamily(const std::string& key) {
    for (const Family& f : Families())
        if (key == f.key) return true;
    return false;
}

bool SplitDirective(const std::string& line, std::string& key, std::string& value) {
    if (line.empty() || line[0] != '%') return false;
    size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    key = Trim(line.substr(1, colon - 1));
    value = Trim(line.substr(colon + 1));
    return !key.empty();
}

const std::string& FactTable::Get(size_t r, const std::string& column) const {
    for (size_t c = 0; c < columns.size(); ++c)
        if (columns[c] == column) return c < rows[r].size() ? rows[r][c] : kEmpty;
    return kEmpty;
}

bool FactTable::Has(const std::string& column) const {
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

bool SplitCsvLine(const std::string& line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(Trim(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(Trim(field));
    return !quoted;
}

bool ReadFactTable(const std::string& path, FactTable& table, std::vector<std::string>& errors) {
    table = FactTable{};
    table.file = std::filesystem::path(path).filename().string();
    std::ifstream in(path);
    if (!in) {
        errors.push_back(path + ": cannot be read");
        return false;
    }
    std::string line;
    int number = 0;
    bool ok = true;
    std::vector<std::string> fields;
    while (std::getline(in, line)) {
        ++number;
        if (Trim(line).empty() || line[0] == '#') continue;
        if (line.rfind("%  ", 0) == 0 && !table.directives.empty()) {
            table.directives.back().second += " " + Trim(line.substr(1));  // a continued line
            continue;
        }
        if (line[0] == '%') {
            std::string key, value;
            if (!SplitDirective(line, key, value)) {
                errors.push_back(table.file + ":" + std::to_string(number) +
                                 ": expected % key: value");
                ok = false;
                continue;
            }
            table.directives.emplace_back(key, value);
            table.directiveLines.push_back(number);
            continue;
        }
        if (!SplitCsvLine(line, fields)) {
            errors.push_back(table.file + ":" + std::to_string(number) + ": unclosed quote");
            ok = false;
            continue;
        }
        if (table.columns.empty()) {
            table.columns = fields;
            continue;
        }
        if (fields.size() != table.columns.size()) {
            errors.push_back(table.file + ":" + std::to_string(number) + ": " +
                             std::to_string(fields.size()) + " fields where the header has " +
                             std::to_string(table.columns.size()));
            ok = false;
            continue;
        }
        table.rows.push_back(fields);
        table.lines.push_back(number);
    }
    return ok;
}

bool ToCabinetText(const std::string& utf8, std::string& out) {
    out.clear();
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<uint8_t>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
                   (static_cast<uint8_t>(utf8[i + 1]) & 0xC0) == 0x80) {
            int code = ((c & 0x1F) << 6) | (static_cast<uint8_t>(utf8[i + 1]) & 0x3F);
            out += static_cast<char>(code);
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

std::string ToUtf8(const std::string& cabinet) {
    std::string out;
    for (char ch : cabinet) {
        auto c = static_cast<uint8_t>(ch);
        if (c == 127) c = 0xA3;  // the pound sign as the reader gives it
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void ReadHandStatements(const std::string& dir, std::vector<Statement>& out,
                        std::vector<std::string>& errors) {
    for (const std::string& path : FilesIn(dir + "/statements", ".txt")) {
        std::string topic = std::filesystem::path(path).stem().string();
        std::ifstream in(path);
        std::string line, family, source;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            std::string origin = "statements/" + topic + ".txt:" + std::to_string(number);
            std::string t = Trim(line);
            if (t.empty() || t[0] == '#') continue;
            std::string key, value;
            if (t[0] == '%') {
                // "% family: KEY" and "% source: REFERENCE" hold for the lines below them.
                if (!SplitDirective(t, key, value) || (key != "family" && key != "source")) {
                    errors.push_back(origin + ": expected % family: or % source:");
                } else if (key == "family" && !IsFamily(value)) {
                    errors.push_back(origin + ": unknown family " + value);
                } else if (value.empty()) {
                    errors.push_back(origin + ": empty " + key);
                } else {
                    (key == "family" ? family : source) = value;
                }
                continue;
            }
            // LEVEL, then T or F, then the statement.
            size_t a = t.find(' ');
            size_t b = a == std::string::npos ? a : t.find(' ', a + 1);
            if (b == std::string::npos) {
                errors.push_back(origin + ": expected LEVEL T|F statement");
                continue;
            }
            Statement s;
            std::string level = t.substr(0, a), truth = t.substr(a + 1, b - a - 1);
            if (level.empty() || level.size() > 3 ||
                !std::all_of(level.begin(), level.end(), ::isdigit) ||
                (truth != "T" && truth != "F")) {
                errors.push_back(origin + ": expected LEVEL T|F statement");
                continue;
            }
            if (family.empty() || source.empty()) {
                errors.push_back(origin + ": no % family: and % source: line above it");
                continue;
            }
            s.level = std::stoi(level);
            s.truth = truth == "T";
            if (!ToCabinetText(Trim(t.substr(b + 1)), s.text)) {
                errors.push_back(origin + ": a character the cabinet cannot show");
                continue;
            }
            s.source = source;
            s.family = family;
            s.origin = origin;
            out.push_back(s);
        }
    }
}

void LoadSources(const std::string& dir, std::vector<Statement>& out,
                 std::vector<std::string>& errors) {
    out.clear();
    if (!std::filesystem::is_directory(dir)) {
        errors.push_back(dir + ": not a folder");
        return;
    }
    GenerateStatements(dir, out, errors);
    ReadHandStatements(dir, out, errors);
}
