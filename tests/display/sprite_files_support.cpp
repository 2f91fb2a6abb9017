#include "sprite_files_support.h"

#include <fstream>

#include "display/resource_images.h"
#include "display/sprites.h"
#include "platform/backend.h"
#include "platform/window.h"

void WriteSpriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

namespace {
void Put(std::vector<uint8_t>& b, size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

void WriteSpriteBmp(const std::string& path, const SpritePicture& p) {
    size_t stride = (static_cast<size_t>(p.width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> b(54 + stride * p.height, 0);
    b[0] = 'B', b[1] = 'M';
    Put(b, 2, static_cast<uint32_t>(b.size()), 4);
    Put(b, 10, 54, 4);
    Put(b, 14, 40, 4);
    Put(b, 18, static_cast<uint32_t>(p.width), 4);
    Put(b, 22, static_cast<uint32_t>(p.height), 4);
    Put(b, 26, 1, 2);
    Put(b, 28, 24, 2);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const Colour& c = p.colour[static_cast<size_t>(y) * p.width + x];
            uint8_t* d = &b[54 + (p.height - 1 - y) * stride + x * 3];
            d[0] = static_cast<uint8_t>(c.b), d[1] = static_cast<uint8_t>(c.g),
            d[2] = static_cast<uint8_t>(c.r);
        }
    WriteSpriteFile(path, b);
}

void WriteSpriteTga(const std::string& path, const SpritePicture& p) {
    std::vector<uint8_t> b(18, 0);
    b[2] = 2;
    Put(b, 12, static_cast<uint32_t>(p.width), 2);
    Put(b, 14, static_cast<uint32_t>(p.height), 2);
    b[16] = 32;
    b[17] = 8;
    for (int y = p.height - 1; y >= 0; --y)
        for (int x = 0; x < p.width; ++x) {
            size_t i = static_cast<size_t>(y) * p.width + x;
            b.push_back(static_cast<uint8_t>(p.colour[i].b));
            b.push_back(static_cast<uint8_t>(p.colour[i].g));
            b.push_back(static_cast<uint8_t>(p.colour[i].r));
            b.push_back(static_cast<uint8_t>(p.alpha[i]));
        }
    WriteSpriteFile(path, b);
}

void SpriteDisplay::SetUp() {
    scratch_ = std::make_unique<ScratchDir>();
    SelectBackend(Backend::Headless);
    HeadlessResetInput();
    ResetDisplayDeviceFaults();
    for (int d = 32; d > GetParam(); d -= 8) RefuseDisplayMode(d, DDERR_INVALIDMODE);
    ASSERT_TRUE(InitDisplay());
    ASSERT_EQ(GetParam(), DisplayDepth());
}

void SpriteDisplay::TearDown() {
    ShutdownImageManager();
    ReleaseResourceImages();
    ShutdownDisplay();
    ResetDisplayDeviceFaults();
    scratch_.reset();
}

Colour SpriteDisplay::ScreenAt(int x, int y) {
    DisplaySurface* s = DisplayBackBuffer();
    const uint8_t* p = s->Pixels() + y * s->Pitch() + x * s->BytesPerPixel();
    if (s->BytesPerPixel() == 2) {
        int v = p[0] | (p[1] << 8);
        int r = v >> 11, g = (v >> 5) & 63, b = v & 31;
        return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
    }
    return {p[2], p[1], p[0]};
}

void SpriteDisplay::FillScreen(Colour c) {
    uint32_t v = Bytes() == 2
                     ? static_cast<uint32_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3))
                     : static_cast<uint32_t>(c.b | (c.g << 8) | (c.r << 16));
    DDBLTFX fx;
    fx.fillColor = v;
    ASSERT_EQ(DD_OK, DisplayBackBuffer()->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
}

std::vector<uint8_t> SpriteDisplay::ScreenBytes() {
    DisplaySurface* s = DisplayBackBuffer();
    std::vector<uint8_t> out;
    for (int y = 0; y < s->Height(); ++y)
        out.insert(out.end(), s->Pixels() + y * s->Pitch(),
                   s->Pixels() + y * s->Pitch() + s->Width() * s->BytesPerPixel());
    return out;
}

std::string DepthName(const testing::TestParamInfo<int>& info) {
    return std::to_string(info.param) + "Bits";
}
