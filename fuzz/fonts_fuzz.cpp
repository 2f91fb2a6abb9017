// Bitmap-font text as the game draws it: arbitrary bytes laid out and drawn in the question box
// (font 7, lines and block centred) and in the credit and bank panels' boxes (font 12, lines
// centred), with the staged fonts on the headless display.
#include <cstdlib>
#include <string>

#include "display/fonts.h"
#include "fuzz_support.h"

FUZZ_TARGET(Fonts) {
    EnterFuzzFolder();
    static bool staged = LinkStaged("Graphic_resource");
    if (!staged) return 0;
    FuzzInput in(data, size);
    FuzzDisplayAt(32);
    const std::string text(in.Take(4096));  // the layout reads up to the first zero byte

    CentreLines = true;
    CentreBlock = true;
    DrawFontText(text.c_str(), 155, 466, 315, 110, 7);
    CentreLines = true;
    DrawFontText(text.c_str(), 594, 51, 169, 52, 12);
    CentreLines = true;
    DrawFontText(text.c_str(), 38, 51, 168, 47, 12);
    // The same text laid out for the question box: the lines stay within the text and the limit.
    const int32_t* advances = FontAdvances(7);
    if (!advances) std::abort();
    TextLayout layout;
    const int length = static_cast<int>(std::char_traits<char>::length(text.c_str()));
    LayOutText(text.c_str(), length, 315, advances, layout);
    if (layout.length < 0 || layout.length > length || layout.lineBreaks < 0 ||
        layout.lineBreaks >= kMaxTextLines)
        std::abort();
    for (int i = 0; i <= layout.lineBreaks; ++i)
        if (layout.lineEnd[i] < 0 || layout.lineEnd[i] > layout.length) std::abort();
    return 0;
}
