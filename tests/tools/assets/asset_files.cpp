#include "asset_files.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "display/font_layout.h"
#include "display/image_decode.h"
#include "display/tga.h"
#include "platform/bmp_image.h"
#include "support/capture.h"

int RunGenerator(const std::string& args) {
    std::string cmd = std::string(ASSETS_TOOL) + " " + args + " 2>/dev/null";
    return std::system(cmd.c_str());
}

const std::string& GeneratedAssets() {
    // Written by the fixture that runs before these checks; empty when it did not run.
    static const std::string dir =
        std::filesystem::exists(std::string(ASSETS_DIR) + "/sounds") ? ASSETS_DIR : "";
    return dir;
}

static bool EndsWith(const std::string& s, const char* tail) {
    std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

Pixels LoadAsGame(const std::string& rel, int depth, std::string* error) {
    Pixels px;
    std::string why;
    std::vector<uint8_t> bytes = ReadBytes(GeneratedAssets() + "/" + rel);
    if (EndsWith(rel, ".BMP") || EndsWith(rel, ".PCX")) {
        DecodedImage img;
        int32_t type = EndsWith(rel, ".PCX") ? ResourceTypePcx : ResourceTypeBmp;
        if (DecodeResourceFile(bytes.data(), bytes.size(), type, depth, img, why)) {
            px.width = img.width;
            px.height = img.height;
            px.rgba = DecodedToRgba(img);
        }
    } else if (EndsWith(rel, ".tga")) {
        TgaImage tga;
        if (DecodeTga(bytes.data(), bytes.size(), tga, why)) {
            std::vector<uint8_t> bgra(size_t(tga.width) * tga.height * 4);
            CopyTgaRowsBottomUp(tga, bgra.data(), tga.width * 4);
            px.width = tga.width;
            px.height = tga.height;
            px.rgba = bgra;
            for (size_t i = 0; i < px.rgba.size(); i += 4) std::swap(px.rgba[i], px.rgba[i + 2]);
        }
    } else {
        BmpImage bmp;
        if (bmp.LoadFromMemory(bytes.data(), bytes.size())) {
            px.width = bmp.GetWidth();
            px.height = bmp.GetHeight();
            px.rgba.assign(size_t(px.width) * px.height * 4, 0);
            bmp.Draw(PixelView{px.rgba.data(), px.width * 4, px.width, px.height, 4}, 0, 0);
            for (size_t i = 0; i < px.rgba.size(); i += 4) std::swap(px.rgba[i], px.rgba[i + 2]);
        } else {
            why = bmp.Error();
        }
    }
    if (error) *error = why;
    return px;
}

Pixels ReadWithImageMagick(const std::string& path) {
    Pixels px;
    Captured size = CaptureCommand("identify -format '%w %h' '" + path + "' 2>/dev/null");
    if (size.status != 0) return px;
    std::istringstream(size.out) >> px.width >> px.height;
    Captured raw =
        CaptureCommand("convert '" + path + "' -auto-orient -depth 8 rgba:- 2>/dev/null");
    if (raw.status != 0 || raw.out.size() != size_t(px.width) * px.height * 4) return Pixels{};
    px.rgba.assign(raw.out.begin(), raw.out.end());
    return px;
}

std::vector<int> GameAdvances(const std::string& rel, int fontCode, int depth) {
    std::vector<uint8_t> bytes = ReadBytes(GeneratedAssets() + "/" + rel);
    DecodedImage img;
    std::string why;
    int32_t type = EndsWith(rel, ".PCX") ? ResourceTypePcx : ResourceTypeBmp;
    if (!DecodeResourceFile(bytes.data(), bytes.size(), type, depth, img, why)) return {};
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < img.height; ++y)
        rows.push_back(img.pixels.data() + size_t(y) * img.width * img.bytesPerPixel);
    int32_t adv[kGlyphCount];
    MeasureGlyphAdvances(rows, img.width, img.bytesPerPixel, img.height / kGlyphCount,
                         FontSlotOf(fontCode).advanceAdds, adv);
    return std::vector<int>(adv, adv + kGlyphCount);
}
