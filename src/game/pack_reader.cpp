// Reading the question packs: the start-up count, one line at a time, and its expansion.
#include <cstdio>
#include <cstring>

#include "core/random.h"
#include "game/packs.h"
#include "platform/files.h"

PackReader gPackReader{};

namespace {
FILE* OpenPack() {
    return static_cast<FILE*>(gPackReader.pack);
}

void ClosePack() {
    if (gPackReader.pack) std::fclose(OpenPack());
    gPackReader.pack = nullptr;
}

bool OpenPackFile(const char* path) {
    ClosePack();
    FILE* file = OpenFile(path, "rb");
    if (!file) return false;
    gPackReader.pack = file;
    gPackReader.atEnd = false;
    gPackReader.position = 0;
    return true;
}

// The next plain byte of the open pack, or -1 once a read fails at the end.
int NextPackByte() {
    int c = std::fgetc(OpenPack());
    if (c == EOF) {
        gPackReader.atEnd = true;
        return -1;
    }
    uint8_t plain =
        UnscramblePackByte(static_cast<uint8_t>(c), gPackReader.position, gPackReader.keyLength);
    gPackReader.position++;
    return plain;
}

void SetMissingText(int32_t level, int32_t answer) {
    std::snprintf(gPackReader.questionText, QuestionTextSize, "NOT FOUND! %d, %d", level, answer);
}
}  // namespace

int32_t MeasurePackKey() {
    int32_t n = 0;
    while (PackKey[n] != 0) ++n;
    return n;
}

uint8_t UnscramblePackByte(uint8_t stored, int32_t offset, int32_t keyLength) {
    if (keyLength <= 0 || stored < 8 || stored > 247) return stored;
    int k = PackKey[offset % keyLength];
    return static_cast<uint8_t>((stored + 232 - k) % 240 + 8);
}

uint8_t ScramblePackByte(uint8_t plain, int32_t offset, int32_t keyLength) {
    if (keyLength <= 0 || plain < 8 || plain > 247) return plain;
    int k = PackKey[offset % keyLength];
    return static_cast<uint8_t>((plain - 8 + k) % 240 + 8);
}

void ReadPackLine() {
    // A line longer than the buffer keeps what fits; the rest of it is passed over, so that the
    // next read starts at the next line and the line count stays right.
    int i = 0;
    if (gPackReader.pack) {
        while (!gPackReader.atEnd) {
            int c = NextPackByte();
            if (c < 0 || c == '\n') break;
            if (i < PackLineSize - 1) gPackReader.line[i++] = static_cast<uint8_t>(c);
        }
    }
    gPackReader.line[i] = 0;
}

void ExpandPackText(const uint8_t* line, char* out) {
    int n = 0;
    auto put = [&](char c) {
        if (n < QuestionTextSize - 1) out[n++] = c;
    };
    for (const uint8_t* p = line; *p != 0; ++p) {
        uint8_t c = *p;
        if (c >= 0x80) {
            for (const char* w = PackWords[c - 0x80]; *w; ++w) put(*w);
            continue;
        }
        if (c == '\t') c = ' ';
        if (c < 32) continue;
        if (c == '#') c = PackPoundByte;
        put(static_cast<char>(c));
    }
    out[n] = 0;
}

bool CountPackLines(PackEntry& row) {
    if (!OpenPackFile(row.path)) return false;
    int32_t n = 0;
    while (!gPackReader.atEnd) {
        ReadPackLine();
        ++n;
    }
    row.lineCount = n > 0 ? n - 1 : 0;
    ClosePack();
    return true;
}

bool CheckQuestionPacks() {
    gPackReader.keyLength = MeasurePackKey();
    for (PackEntry* row = PackTable; row->path; ++row)
        if (!CountPackLines(*row)) return false;
    return true;
}

void LoadQuestion(int32_t level, int32_t answer) {
    gPackReader.level = level;
    gPackReader.packPath = nullptr;
    gPackReader.lineNumber = 0;
    const PackEntry* row = PackTable;
    while (row->path && !(row->answer == answer && row->level == level)) ++row;
    // A pack that cannot be opened now (it was there at start-up) is shown as missing.
    if (!row->path || !OpenPackFile(row->path)) {
        SetMissingText(level, answer);
        return;
    }
    uint32_t r = RandomBelow(static_cast<uint32_t>(row->lineCount));
    gPackReader.packPath = row->path;
    gPackReader.lineNumber = static_cast<int32_t>(r) + 1;
    for (uint32_t i = 0; i < r; ++i) ReadPackLine();
    ReadPackLine();
    ExpandPackText(gPackReader.line, gPackReader.questionText);
    char* star = std::strrchr(gPackReader.questionText, '*');
    if (star) *star = 0;
    ClosePack();
}

const char* QuestionText() {
    return gPackReader.questionText;
}

int32_t CorrectAnswer() {
    return gPackReader.correctAnswer;
}
