// PNG output for pictures held as RGBA bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGBA pixels (rows packed, 4 bytes a pixel) as an 8-bit RGBA PNG.
// False, with nothing left behind, when the size does not match or the file cannot be written.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);
