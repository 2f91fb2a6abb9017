// The question sources: hand-written statements and statements generated from fact tables.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One statement as the packs hold it: Latin-1 text (the pound sign is byte 0xA3), its level and
// whether it is true.
struct Statement {
    std::string text;
    int level = 0;
    bool truth = false;
    std::string source;  // the reference work or data the fact can be checked in
    std::string origin;  // file and line, for messages
    std::string family;  // the topic family, one of Families()
};

// The topic families a statement can belong to: the short name used in the source files and
// the name shown in reports.
struct Family {
    const char* key;
    const char* name;
};
const std::vector<Family>& Families();
bool IsFamily(const std::string& key);

// One table of facts: its column names and rows of fields.
struct FactTable {
    std::string file;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;
    // "% key: value" lines, in file order, with their line numbers.
    std::vector<std::pair<std::string, std::string>> directives;
    std::vector<int> directiveLines;
    // The field of row r in the named column; empty when the column is missing.
    const std::string& Get(size_t r, const std::string& column) const;
    bool Has(const std::string& column) const;
};

// Splits one CSV line into fields ("..." quoting, "" for a quote inside).
bool SplitCsvLine(const std::string& line, std::vector<std::string>& fields);
// Splits "% key: value" into key and value; false when the line is no such directive.
bool SplitDirective(const std::string& line, std::string& key, std::string& value);
// Reads a CSV file with a header row; lines starting with '#' and blank lines are skipped, lines
// starting with '%' are directives.
bool ReadFactTable(const std::string& path, FactTable& table, std::vector<std::string>& errors);

// UTF-8 text turned into the cabinet's single-byte text; false for characters it cannot hold.
bool ToCabinetText(const std::string& utf8, std::string& out);
// The cabinet's text shown as UTF-8 (for messages and dumps).
std::string ToUtf8(const std::string& cabinet);

// Reads statements/*.txt ("LEVEL T|F text" lines, each under a "% family:" and a "% source:"
// line) from the source folder.
void ReadHandStatements(const std::string& dir, std::vector<Statement>& out,
                        std::vector<std::string>& errors);
// Generates the statements of every fact table under facts/ in the source folder.
void GenerateStatements(const std::string& dir, std::vector<Statement>& out,
                        std::vector<std::string>& errors);
// Both of the above, in a stable order.
void LoadSources(const std::string& dir, std::vector<Statement>& out,
                 std::vector<std::string>& errors);
