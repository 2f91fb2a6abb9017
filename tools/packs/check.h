// Validation of the question sources and the counts the packs will hold.
#pragma once
#include <array>
#include <map>
#include <string>
#include <vector>

#include "question_sources.h"

constexpr int LeastPerPack = 150;
// The spread of the bank over topic families.
constexpr int LeastFamilies = 14;
constexpr int MostFamilyPercentOfBank = 15;
constexpr int MostFamilyPercentOfLevel = 25;
constexpr int LongestStatement = 198;  // with the asterisk, the 199 characters the reader keeps

struct SourceReport {
    std::vector<std::string> problems;
    int perPack[48] = {};                                  // statements per pack, Data01 first
    std::map<std::string, int> perSource;                  // statements per source file
    std::map<std::string, std::array<int, 25>> perFamily;  // per family, by level (1 to 24)
    bool fitChecked = false;  // every statement was laid out in the question box
};

// The question box and its font.
constexpr int QuestionBoxWidth = 315;
constexpr int QuestionBoxHeight = 110;
constexpr int QuestionFontCode = 7;

// Whether the text fits the question box in the question font.
using FitTest = bool (*)(const std::string& cabinetText);
// Reads the question font's image (a 24-bit BMP of 96 glyph frames) and measures its glyphs.
bool LoadQuestionFont(const std::string& path, std::string& error);
// The fit test of the loaded question font; null when none is loaded.
FitTest QuestionBoxFitTest();

// Empty when the statement keeps the house style; otherwise what is wrong with it.
std::string StyleProblem(const std::string& text);

// The pack (0 to 47) a statement goes to.
int PackIndex(const Statement& s);
// Checks every statement and the pack counts; problems name the statement's origin.
SourceReport CheckStatements(const std::vector<Statement>& statements, FitTest fits);
