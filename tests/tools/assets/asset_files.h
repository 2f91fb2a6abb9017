// Shared by the asset checks: the generated asset folder, the pictures read through the game's
// own loaders (and through ImageMagick for comparison), and small helpers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/scratch.h"

// The folder the generator wrote into before the checks; empty if it is missing.
const std::string& GeneratedAssets();
// Runs the generator with the given arguments; returns its exit status.
int RunGenerator(const std::string& args);

struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom
    const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    bool IsKey(int x, int y) const {
        const uint8_t* p = At(x, y);
        return p[0] == 255 && p[1] == 0 && p[2] == 255;
    }
};

// A picture of the asset folder (path relative to it) as the game reads it: numbered resource
// images (.BMP, .PCX) through the resource decoders at a display depth, BMP sprites (.bmp)
// through the image object, TGA sprites through the sprite decoder. Empty when the game's loader
// refuses the file; `error` says why.
Pixels LoadAsGame(const std::string& rel, int depth = 32, std::string* error = nullptr);
// The same picture decoded by ImageMagick; empty when it cannot be read.
Pixels ReadWithImageMagick(const std::string& path);

// Glyph advances of a 96-frame font resource as the game measures them at a display depth.
std::vector<int> GameAdvances(const std::string& rel, int fontCode, int depth = 32);
