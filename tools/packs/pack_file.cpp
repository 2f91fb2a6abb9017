#include "pack_file.h"

#include <cstdio>
#include <cstring>

#include "game/packs.h"
#include "platform/files.h"

std::vector<uint8_t> CompressPackText(const std::string& cabinetText) {
    std::string text = cabinetText;
    for (char& c : text)
        if (static_cast<uint8_t>(c) == 0xA3) c = '#';
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < text.size()) {
        int best = -1;
        size_t bestLength = 0;
        for (int w = 0; w < PackWordCount; ++w) {
            size_t n = std::strlen(PackWords[w]);
            if (n > bestLength && text.compare(i, n, PackWords[w]) == 0) {
                best = w;
                bestLength = n;
            }
        }
        if (best >= 0) {
            out.push_back(static_cast<uint8_t>(0x80 + best));
            i += bestLength;
        } else {
            out.push_back(static_cast<uint8_t>(text[i]));
            ++i;
        }
    }
    return out;
}

std::vector<uint8_t> MakePackBytes(const std::vector<std::string>& statements) {
    int32_t keyLength = MeasurePackKey();
    std::vector<uint8_t> plain;
    for (const std::string& s : statements) {
        std::vector<uint8_t> line = CompressPackText(s);
        plain.insert(plain.end(), line.begin(), line.end());
        // The tail after the asterisk is dropped by the reader; a carriage return keeps the
        // files readable as text lines after unscrambling.
        plain.push_back('*');
        plain.push_back('\r');
        plain.push_back('\n');
    }
    std::vector<uint8_t> stored(plain.size());
    for (size_t i = 0; i < plain.size(); ++i)
        stored[i] = ScramblePackByte(plain[i], static_cast<int32_t>(i), keyLength);
    return stored;
}

bool ReadPackStatements(const std::string& path, std::vector<std::string>& statements) {
    statements.clear();
    FILE* file = OpenFile(path.c_str(), "rb");
    if (!file) return false;
    gPackReader.keyLength = MeasurePackKey();
    gPackReader.pack = file;
    gPackReader.atEnd = false;
    gPackReader.position = 0;
    std::vector<std::string> lines;
    char text[QuestionTextSize];
    while (!gPackReader.atEnd) {
        ReadPackLine();
        ExpandPackText(gPackReader.line, text);
        char* star = std::strrchr(text, '*');
        if (star) *star = 0;
        lines.push_back(text);
    }
    std::fclose(file);
    gPackReader.pack = nullptr;
    // As at start-up, the line after the last line feed is never drawn.
    if (!lines.empty()) lines.pop_back();
    statements = lines;
    return true;
}
