// Sprite files as the game loads them: a BMP painted opaque and keyed on magenta, or a TGA (raw or
// run-length) with its own alpha, a strip of frames; then each frame's rectangle drawn onto the
// back buffer.
#include <cstdlib>

#include "display/sprites.h"
#include "fuzz_support.h"

FUZZ_TARGET(Sprites) {
    EnterFuzzFolder();
    FuzzDisplayAt(32);
    FuzzInput in(data, size);
    const uint8_t mode = in.Byte();
    const int32_t frames = 1 + in.Byte() % 40;
    const int32_t x = static_cast<int16_t>(in.U16()) % 1000;
    const int32_t y = static_cast<int16_t>(in.U16()) % 800;
    const float angle = static_cast<float>(in.Byte()) * 1.5f;
    const float opacity = static_cast<float>(in.Byte()) / 255.0f;
    const char* path = (mode & 1) ? "Graphic_resource\\fuzz.tga" : "Graphic_resource\\fuzz.bmp";
    const std::string_view file = in.Rest();
    // Sprites of more than 512K pixels (a little more than the screen) load like smaller ones,
    // only with more memory to fill, most of it with no input byte in it: the fuzzer leaves them
    // to the unit tests.
    auto at = [&file](size_t i) { return i < file.size() ? static_cast<uint8_t>(file[i]) : 0; };
    const int64_t w = (mode & 1) ? at(12) | at(13) << 8 : at(18) | at(19) << 8 | at(20) << 16;
    const int64_t h = (mode & 1) ? at(14) | at(15) << 8 : at(22) | at(23) << 8 | at(24) << 16;
    if (w * h > 512 * 1024) return 0;
    WriteFuzzFile(path, file.data(), file.size());

    ImageManager.records.clear();
    DisplaySurfacePtr sprite = LoadSprite(path, frames);
    if (!sprite) {
        // A failed load leaves no record behind.
        if (!ImageManager.records.empty() || GetFrameRect(path, 0)) std::abort();
        return 0;
    }
    // The first, the last and one past the last frame (which has no rectangle).
    for (int32_t frame : {0, frames - 1, frames}) {
        const RECT* rect = GetFrameRect(path, frame);
        if ((rect == nullptr) != (frame == frames)) std::abort();
        if (rect && (rect->left != 0 || rect->right != sprite->Width() || rect->top < 0 ||
                     rect->bottom > sprite->Height() || rect->top > rect->bottom))
            std::abort();
        DrawSprite(sprite.get(), rect, DisplayBackBuffer(), x, y, 1.0f, 1.0f, 0.0f, mode & 2,
                   opacity);
    }
    if (mode & 4)
        DrawSprite(sprite.get(), GetFrameRect(path, 0), DisplayBackBuffer(), x, y, 0.5f, 2.0f,
                   angle, mode & 8, opacity);
    // Nothing of the input is kept: an input that keeps memory is run again to look for a leak.
    ImageManager.records.clear();
    return 0;
}
