#include "credit/balance_panels.h"

#include <cstdio>

#include "credit/link.h"
#include "display/fonts.h"
#include "display/resource_images.h"

namespace {
// One panel: its blank picture and the box its amount is centred in.
struct AmountPanel {
    int32_t image;  // resource image of the blank panel
    int32_t x, y;   // where the blank panel goes
    bool keyed;
    int32_t boxX, boxY, boxWidth, boxHeight;
};
ResourceImage gCreditBlank;
ResourceImage gBankBlank;
constexpr AmountPanel CreditPanel = {CreditBlankImage, 567, 0, false, 594, 51, 169, 52};
constexpr AmountPanel BankPanel = {BankBlankImage, 0, 0, true, 38, 51, 168, 47};

void DrawAmountPanel(const AmountPanel& panel, ResourceImage& blank, uint16_t pence) {
    if (blank.row < 0) RegisterResourceImage(blank, panel.image, 1);
    DrawResourceFrame(blank, 0, panel.x, panel.y, nullptr, panel.keyed);
    char text[AmountTextSize];
    FormatAmount(text, pence);
    CentreLines = true;
    DrawFontText(text, panel.boxX, panel.boxY, panel.boxWidth, panel.boxHeight, AmountFontImage);
}
}  // namespace

void FormatAmount(char (&text)[AmountTextSize], uint16_t pence) {
    float pounds = static_cast<float>(pence) / 100.0f;
    std::snprintf(text, sizeof text, "\xA3%2.2f", static_cast<double>(pounds));
}

void DrawCreditPanel() {
    DrawAmountPanel(CreditPanel, gCreditBlank, CurrentCredit());
}

void DrawBankPanel() {
    DrawAmountPanel(BankPanel, gBankBlank, CurrentBank());
}
