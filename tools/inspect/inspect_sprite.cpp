// brindlemark-inspect sprite and font: a sprite file as the image manager loads it, and the glyph
// advances the program measures for a font image.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "display/display.h"
#include "display/font_layout.h"
#include "display/image_decode.h"
#include "display/sprites.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/png.h"

namespace {
bool ParseInt(const std::string& text, int& value) {
    try {
        size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

int Fail(const char* command, const std::string& file, const std::string& reason) {
    std::fprintf(stderr, "brindlemark-inspect %s: %s: %s\n", command, file.c_str(), reason.c_str());
    return 1;
}

// Reads FILE and the options; false after printing why.
bool ParseArguments(const char* command, const std::vector<std::string>& args,
                    const std::vector<std::string>& options, std::string& file,
                    std::vector<std::string>& values) {
    values.assign(options.size(), "");
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool known = false;
        for (size_t o = 0; o < options.size(); ++o) {
            if (a == options[o] && i + 1 < args.size()) {
                values[o] = args[++i];
                known = true;
            }
        }
        if (known) continue;
        if (file.empty() && !a.starts_with("--")) {
            file = a;
            continue;
        }
        std::fprintf(stderr, "brindlemark-inspect %s: unexpected argument %s\n", command,
                     a.c_str());
        return false;
    }
    return true;
}

int InspectSprite(const std::vector<std::string>& args) {
    std::string file;
    std::vector<std::string> values;
    int frames = 1;
    if (!ParseArguments("sprite", args, {"--frames", "--png"}, file, values) || file.empty() ||
        values[1].empty() || (!values[0].empty() && (!ParseInt(values[0], frames) || frames < 1))) {
        std::fprintf(stderr, "usage: brindlemark-inspect sprite FILE [--frames N] --png OUT\n");
        return 2;
    }
    // The loader needs the image manager, which a headless display binds.
    SelectBackend(Backend::Headless);
    if (!InitDisplay()) return Fail("sprite", file, "the headless display did not come up");
    DisplaySurfacePtr sprite = LoadSprite(file.c_str(), frames);
    if (!sprite) {
        ShutdownDisplay();
        return Fail("sprite", file, "the sprite loader refused it");
    }
    int width = sprite->Width(), height = sprite->Height();
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    DDSURFACEDESC desc;
    if (sprite->Lock(nullptr, desc, DDLOCK_WAIT) != DD_OK) {
        ShutdownDisplay();
        return Fail("sprite", file, "the sprite surface cannot be read");
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = desc.surface + static_cast<size_t>(y) * desc.pitch;
        uint8_t* d = &rgba[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x, s += 4, d += 4)
            d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = s[3];
    }
    sprite->Unlock();
    const RECT* frame = GetFrameRect(file.c_str(), 0);
    int frameHeight = frame ? frame->bottom - frame->top : 0;
    sprite.reset();
    ShutdownImageManager();
    ShutdownDisplay();
    if (!WritePng(values[1], rgba, width, height))
        return Fail("sprite", values[1], "cannot be written");
    std::printf("width %d height %d frames %d frame height %d decoder %s\n", width, height, frames,
                frameHeight,
                file.find(".tga") != std::string::npos || file.find(".TGA") != std::string::npos
                    ? "tga"
                    : "bmp");
    return 0;
}

int InspectFont(const std::vector<std::string>& args) {
    std::string file;
    std::vector<std::string> values;
    int code = 6, depth = 32;
    if (!ParseArguments("font", args, {"--code", "--depth"}, file, values) || file.empty() ||
        (!values[0].empty() && !ParseInt(values[0], code)) ||
        (!values[1].empty() &&
         (!ParseInt(values[1], depth) || (depth != 16 && depth != 24 && depth != 32)))) {
        std::fprintf(stderr,
                     "usage: brindlemark-inspect font FILE [--code N] [--depth 16|24|32]\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(file.c_str(), bytes)) return Fail("font", file, "cannot be read");
    bool pcx = file.size() >= 4 && (file.ends_with(".pcx") || file.ends_with(".PCX"));
    DecodedImage image;
    std::string error;
    if (!DecodeResourceFile(bytes.data(), bytes.size(), pcx ? ResourceTypePcx : ResourceTypeBmp,
                            depth, image, error))
        return Fail("font", file, error);
    std::vector<const uint8_t*> rows;
    size_t rowBytes = static_cast<size_t>(image.width) * image.bytesPerPixel;
    for (int y = 0; y < image.height; ++y) rows.push_back(image.pixels.data() + y * rowBytes);
    int32_t advances[kGlyphCount];
    FontSlot slot = FontSlotOf(code);
    MeasureGlyphAdvances(rows, image.width, image.bytesPerPixel, image.height / kGlyphCount,
                         slot.advanceAdds, advances);
    std::printf("font %s: frame %d x %d, slot %d\n", file.c_str(), image.width,
                image.height / kGlyphCount, slot.slot);
    for (int g = 0; g < kGlyphCount; ++g) {
        int byte = g == 95 ? 0xA3 : g + 32;
        std::printf("%2d 0x%02X %d\n", g, byte, advances[g]);
    }
    return 0;
}

const bool registeredSprite =
    RegisterInspectCommand("sprite", "FILE [--frames N] --png OUT", InspectSprite);
const bool registeredFont =
    RegisterInspectCommand("font", "FILE [--code N] [--depth 16|24|32]", InspectFont);
}  // namespace
