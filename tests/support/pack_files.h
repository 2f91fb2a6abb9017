// Question packs for tests: a scratch working directory holding pack files written byte by byte,
// and a packed line as the game expands it.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch.h"

// Makes a fresh folder with Questions/trueorfalse/ in it and enters it; leaves it on destruction.
class ScratchPackFolder : public ScratchDir {
  public:
    ScratchPackFolder();
    // Writes raw bytes as pack n (1 to 48).
    void WriteRaw(int n, const std::vector<uint8_t>& bytes);
    // Writes plain lines as pack n, scrambled with the program's key by file offset.
    void WritePlain(int n, const std::vector<uint8_t>& plain);
    // Writes every pack with a few scrambled lines.
    void WriteAll();
    const std::filesystem::path root = path();
};

std::vector<uint8_t> Bytes(const std::string& s);
// The text the game expands a packed line into (the line without its ending zero).
std::string Expanded(const std::vector<uint8_t>& packed);
