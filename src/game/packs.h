// Question packs: the 48 scrambled line files of true-or-false statements, the start-up check
// that counts their lines, and the choice and loading of one question.
#pragma once
#include <cstdint>

// One row of the pack table.
struct PackEntry {
    const char* path;   // null ends the table
    int32_t level;      // 1 (easiest) to 24 (hardest)
    const char* label;  // " TRUE " or " FALSE"; descriptive only
    int32_t answer;     // 1: every statement of the pack is true; 0: every one is false
    int32_t reserved;
    int32_t lineCount;  // usable lines, counted at start-up
};

constexpr int PackCount = 48;
constexpr int PackLevels = 24;
constexpr int PackLineSize = 504;      // a line, line feed included
constexpr int QuestionTextSize = 200;  // 199 characters and the terminator
constexpr int PackWordCount = 128;
constexpr uint8_t PackPoundByte = 127;  // what "#" becomes; the font draws the pound sign for it

// The 48 packs, in file order, then the end row.
extern PackEntry PackTable[PackCount + 1];
// The scrambling key: 67 bytes from 1 to 240, then a zero byte.
extern const uint8_t PackKey[];
// The dictionary: entry i stands for the byte 0x80 + i.
extern const char* const PackWords[PackWordCount];

// Reading state of the open pack. keyLength is measured by CheckQuestionPacks; 0 reads the bytes
// as they are stored.
struct PackReader {
    void* pack;  // the open file, or null
    bool atEnd;  // a read has failed at the end of the open file
    int32_t position;
    int32_t keyLength;
    uint8_t line[PackLineSize];
    char questionText[QuestionTextSize];
    int32_t correctAnswer;
    int32_t level;         // the level of the current question
    const char* packPath;  // the current question's pack (null when it was missing)
    int32_t lineNumber;    // its line in the pack, from 1
};
extern PackReader gPackReader;

// The key length: bytes of PackKey before its terminating zero.
int32_t MeasurePackKey();
// A stored byte turned back into its plain byte, by its offset in the file.
uint8_t UnscramblePackByte(uint8_t stored, int32_t offset, int32_t keyLength);
// A plain byte scrambled for the given file offset (the pack builder's side).
uint8_t ScramblePackByte(uint8_t plain, int32_t offset, int32_t keyLength);

// Opens every pack and counts its lines; false when one is missing.
bool CheckQuestionPacks();
// Opens one pack and counts its lines into its row (with the key CheckQuestionPacks measured);
// false when it cannot be opened.
bool CountPackLines(PackEntry& row);
// Reads the next line of the open pack into the line buffer, unscrambled and zero-terminated.
void ReadPackLine();
// Turns an unscrambled line into display text: dictionary bytes expanded, "#" to the pound byte,
// tabs to spaces, other control bytes dropped; at most 199 characters.
void ExpandPackText(const uint8_t* line, char* out);
// Loads a random line of the pack with that level and answer as the current question.
void LoadQuestion(int32_t level, int32_t answer);

// The grade of a main-round question by right answers so far (0 to 13) and plan column (0 to 4).
extern const int32_t GradeTable[14][5];
// Chooses the current question for a grade with the given game progress and plan grade: the
// answer, the column chance, the level and the line are drawn in that order. Returns the grade.
int32_t ChooseQuestionFor(bool final, int32_t grade, int32_t totalTasksCompleted,
                          int32_t planGrade);

// The same for the game in progress: its right answers so far and the win plan's grade.
int32_t ChooseQuestion(bool final, int32_t grade);

const char* QuestionText();
int32_t CorrectAnswer();
