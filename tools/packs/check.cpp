#include "check.h"

#include <cctype>
#include <set>
#include <string>

int PackIndex(const Statement& s) {
    return (s.level - 1) * 2 + (s.truth ? 0 : 1);
}

namespace {
// Empty when the text can be shown as a statement; otherwise what is wrong with it.
std::string TextProblem(const std::string& text) {
    if (text.empty()) return "empty statement";
    if (static_cast<int>(text.size()) > LongestStatement)
        return "longer than " + std::to_string(LongestStatement) + " characters";
    for (char ch : text) {
        auto c = static_cast<uint8_t>(ch);
        if (c == 0xA3) continue;
        if (c < 32 || c >= 127) return "a character the question font has no glyph for";
        if (c == '#' || c == '*') return "'#' and '*' are reserved in packs";
    }
    if (text.front() == ' ' || text.back() == ' ') return "leading or trailing space";
    if (text.find("  ") != std::string::npos) return "double space";
    return "";
}

// The statement without case and punctuation, so that two forms of one statement compare equal;
// a point or comma between digits stays ("3.26" is not "32.6").
std::string Folded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool inNumber = (c == '.' || c == ',') && i > 0 && i + 1 < text.size() &&
                        std::isdigit(static_cast<unsigned char>(text[i - 1])) &&
                        std::isdigit(static_cast<unsigned char>(text[i + 1]));
        if (inNumber || std::string(" .,;:!?'\"-").find(c) == std::string::npos)
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// At least LeastFamilies families, none holding too much of the bank or of one level.
void CheckSpread(SourceReport& report) {
    int total = 0, perLevel[25] = {};
    for (int p = 0; p < 48; ++p) {
        total += report.perPack[p];
        perLevel[p / 2 + 1] += report.perPack[p];
    }
    if (static_cast<int>(report.perFamily.size()) < LeastFamilies)
        report.problems.push_back("the bank has " + std::to_string(report.perFamily.size()) +
                                  " families, fewer than " + std::to_string(LeastFamilies));
    for (const auto& [family, levels] : report.perFamily) {
        int all = 0;
        for (int level = 1; level <= 24; ++level) {
            all += levels[static_cast<size_t>(level)];
            if (levels[static_cast<size_t>(level)] * 100 >
                perLevel[level] * MostFamilyPercentOfLevel)
                report.problems.push_back("family " + family + " has " +
                                          std::to_string(levels[static_cast<size_t>(level)]) +
                                          " of the " + std::to_string(perLevel[level]) +
                                          " statements of level " + std::to_string(level) +
                                          ", more than " +
                                          std::to_string(MostFamilyPercentOfLevel) + " %");
        }
        if (all * 100 > total * MostFamilyPercentOfBank)
            report.problems.push_back("family " + family + " has " + std::to_string(all) +
                                      " of the " + std::to_string(total) +
                                      " statements, more than " +
                                      std::to_string(MostFamilyPercentOfBank) + " %");
    }
}
}  // namespace

SourceReport CheckStatements(const std::vector<Statement>& statements, FitTest fits) {
    SourceReport report;
    report.fitChecked = fits != nullptr;
    std::map<std::string, std::string> seen;
    for (const Statement& s : statements) {
        std::string shown = ToUtf8(s.text);
        shown.insert(shown.begin(), '"');
        shown.push_back('"');
        if (s.level < 1 || s.level > 24) {
            report.problems.push_back(s.origin + ": level " + std::to_string(s.level) +
                                      " is outside 1 to 24: " + shown);
            continue;
        }
        std::string problem = TextProblem(s.text);
        if (problem.empty()) problem = StyleProblem(s.text);
        if (!problem.empty())
            report.problems.push_back(s.origin + ": " + problem + ": " + shown);
        else if (fits && !fits(s.text))
            report.problems.push_back(s.origin + ": does not fit the question box: " + shown);
        // The same statement twice, in any case or punctuation, is one too many.
        auto [at, fresh] = seen.emplace(Folded(s.text), s.origin);
        if (!fresh)
            report.problems.push_back(s.origin + ": duplicate of " + at->second + ": " + shown);
        report.perPack[PackIndex(s)]++;
        report.perSource[s.origin.substr(0, s.origin.rfind(':'))]++;
        if (!IsFamily(s.family))
            report.problems.push_back(s.origin + ": no known family: " + shown);
        else
            report.perFamily[s.family][static_cast<size_t>(s.level)]++;
    }
    CheckSpread(report);
    for (int p = 0; p < 48; ++p)
        if (report.perPack[p] < LeastPerPack)
            report.problems.push_back("pack Data" + std::string(p < 9 ? "0" : "") +
                                      std::to_string(p + 1) + " (level " +
                                      std::to_string(p / 2 + 1) + (p % 2 ? ", false" : ", true") +
                                      ") has " + std::to_string(report.perPack[p]) +
                                      " statements, fewer than " + std::to_string(LeastPerPack));
    return report;
}
