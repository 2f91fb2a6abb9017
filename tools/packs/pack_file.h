// Pack files as the builder writes them and as the program reads them back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The statement shortened with the pack dictionary, longest entry first; "#" stands for the pound
// sign. The text must not hold bytes of 0x80 and above other than the pound sign.
std::vector<uint8_t> CompressPackText(const std::string& cabinetText);
// The stored bytes of a pack holding these statements (cabinet text), one line each: compressed,
// "*" and a tail appended, scrambled by file offset.
std::vector<uint8_t> MakePackBytes(const std::vector<std::string>& statements);
// The statements of a pack file as the game shows them, read through the program's own reader;
// false when the file cannot be opened.
bool ReadPackStatements(const std::string& path, std::vector<std::string>& statements);
