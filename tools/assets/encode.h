// File encoders for the formats the cabinet reads: 24-bit BMP, 32-bit TGA, 3-plane PCX,
// 16-bit PCM WAV; and PNG for review sheets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

using Bytes = std::vector<uint8_t>;

// 24-bit BMP, 40-byte information header, rows bottom first, padded to 4 bytes. Alpha is ignored.
Bytes EncodeBmp(const Image& img);
// 32-bit TGA with straight alpha, rows bottom first; run-length encoded (type 10) or raw (type 2).
Bytes EncodeTga(const Image& img, bool runLength);
// 8-bit, 3-plane, run-length encoded PCX; the width must be even.
Bytes EncodePcx(const Image& img);
// 16-bit PCM WAV; `samples` holds `channels` interleaved channels.
Bytes EncodeWav(const std::vector<int16_t>& samples, int channels, int rate);
// PNG through cairo (review output only).
bool WritePng(const Image& img, const std::string& path);
// Writes bytes to a file, making its folders; false on failure.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
