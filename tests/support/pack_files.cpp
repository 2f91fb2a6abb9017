#include "support/pack_files.h"

#include <cstdio>
#include <fstream>
#include <random>

#include "game/packs.h"

ScratchPackFolder::ScratchPackFolder() {
    std::filesystem::create_directories(root / "Questions" / "trueorfalse");
}

void ScratchPackFolder::WriteRaw(int n, const std::vector<uint8_t>& bytes) {
    char name[32];
    std::snprintf(name, sizeof name, "Data%02d.pck", n);
    std::ofstream out(root / "Questions" / "trueorfalse" / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void ScratchPackFolder::WritePlain(int n, const std::vector<uint8_t>& plain) {
    int32_t keyLength = MeasurePackKey();
    std::vector<uint8_t> stored(plain.size());
    for (size_t i = 0; i < plain.size(); ++i)
        stored[i] = ScramblePackByte(plain[i], static_cast<int32_t>(i), keyLength);
    WriteRaw(n, stored);
}

void ScratchPackFolder::WriteAll() {
    for (int n = 1; n <= PackCount; ++n) {
        std::string text;
        for (int line = 0; line < 3; ++line)
            text += "pack " + std::to_string(n) + " line " + std::to_string(line) + "*\r\n";
        WritePlain(n, Bytes(text));
    }
}

std::string Expanded(const std::vector<uint8_t>& packed) {
    std::vector<uint8_t> line = packed;
    line.push_back(0);
    char out[QuestionTextSize];
    ExpandPackText(line.data(), out);
    return out;
}

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}
