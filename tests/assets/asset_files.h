// Shared by the asset checks: one generated asset folder for the whole test program, and readers
// for the pixels and samples of its files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The folder the generator wrote into before the checks; empty if it is missing.
const std::string& GeneratedAssets();
// Runs the generator with the given arguments; returns its exit status.
int RunGenerator(const std::string& args);
// Output of a shell command, and its exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom, as an independent decoder reads the file
    const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    bool IsKey(int x, int y) const {
        const uint8_t* p = At(x, y);
        return p[0] == 255 && p[1] == 0 && p[2] == 255;
    }
};
// Decodes a picture with ImageMagick; an empty result when it cannot be read.
Pixels ReadPixels(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Glyph advances of a 96-frame font, measured as the game measures them: per frame, the
// rightmost non-magenta column (column 0 not tested) plus one plus `extra`; the space gets half
// the frame width.
std::vector<int> MeasureAdvances(const Pixels& font, int extra);
// Glyph index of a byte, as the game maps it: 32-127 to 0-95, the pound sign (0xA3) to 95.
int GlyphIndex(unsigned char c);
