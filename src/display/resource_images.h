// The numbered resource images: the fixed table of picture files (display/asset_manifest.h), each
// decoded once into a surface in the display's format, drawn as frames of a vertical strip onto
// the back buffer or a work surface. Every error here (missing id or file, bad header, a size that
// cannot be held, a failed surface or lock) shuts the display down.
#pragma once
#include <cstdint>
#include <vector>

#include "display/asset_manifest.h"
#include "display/display.h"

// What a caller knows of one image: its size and where it is in the table.
struct ResourceImage {
    int32_t width = 0;
    int32_t frameHeight = 0;  // height / frameCount
    int32_t row = -1;         // row index in the table, -1 until the record is filled
    int32_t frameCount = 0;
};

// Fills the record from the file's header only; the picture is decoded on its first draw.
void RegisterResourceImage(ResourceImage& image, int32_t id, int16_t frames);
// Makes sure the id's surface exists (decoding the file the first time) and fills the record.
void LoadResourceImage(ResourceImage& image, int32_t id, int16_t frames);
// Draws frame f at (x, y) onto the back buffer, clipped to clip (null: the screen); keyed draws
// leave the back buffer alone under key-coloured pixels.
void DrawResourceFrame(ResourceImage& image, int32_t frame, int32_t x, int32_t y,
                       const FadeRect* clip, bool keyed);
// The same onto work surface n.
void DrawResourceFrameToWork(int n, ResourceImage& image, int32_t frame, int32_t x, int32_t y,
                             const FadeRect* clip, bool keyed);

// Read access to a decoded image's pixel rows (display format), valid until the images are
// released.
struct ResourceRows {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<const uint8_t*> rows;
};
// False, with rows empty, when the id is missing or not decoded yet.
bool ReadResourceRows(int32_t id, ResourceRows& rows);
// Releases every decoded image; a later draw decodes the file again.
void ReleaseResourceImages();
// The id's surface, or null while it is not decoded.
DisplaySurface* ResourceImageSurface(int32_t id);
