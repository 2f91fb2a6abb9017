// Whether a statement fits the question box: laid out by the program's own text layout in the
// question font, the font's advances measured from its image as the program measures them.
#include <cstring>

#include "check.h"
#include "display/font_layout.h"
#include "display/image_decode.h"
#include "platform/files.h"

namespace {
struct QuestionFont {
    bool loaded = false;
    int lineHeight = 0;
    int32_t advances[kGlyphCount] = {};
};
QuestionFont gFont;

bool FitsBox(const std::string& text) {
    TextLayout layout;
    int length = static_cast<int>(text.size());
    LayOutText(text.c_str(), length, QuestionBoxWidth, gFont.advances, layout);
    if (layout.length != length) return false;
    if ((layout.lineBreaks + 1) * gFont.lineHeight > QuestionBoxHeight) return false;
    for (int i = 0; i <= layout.lineBreaks; ++i)
        if (layout.lineWidth[i] > QuestionBoxWidth) return false;
    return true;
}
}  // namespace

bool LoadQuestionFont(const std::string& path, std::string& error) {
    gFont = QuestionFont{};
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), bytes)) {
        error = path + ": cannot be read";
        return false;
    }
    DecodedImage image;
    if (!DecodeBmp(bytes.data(), bytes.size(), 32, image, error)) {
        error = path + ": " + error;
        return false;
    }
    if (image.height < kGlyphCount) {
        error = path + ": too short for 96 glyph frames";
        return false;
    }
    std::vector<const uint8_t*> rows;
    for (int y = 0; y < image.height; ++y)
        rows.push_back(image.pixels.data() + static_cast<size_t>(y) * image.width * 4);
    gFont.lineHeight = image.height / kGlyphCount;
    MeasureGlyphAdvances(rows, image.width, 4, gFont.lineHeight,
                         FontSlotOf(QuestionFontCode).advanceAdds, gFont.advances);
    gFont.loaded = true;
    return true;
}

FitTest QuestionBoxFitTest() {
    return gFont.loaded ? FitsBox : nullptr;
}
