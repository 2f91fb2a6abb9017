// The credit and bank displays of the menu: a blank panel with the amount in pounds on it.
#pragma once
#include <cstddef>
#include <cstdint>

// Room for an amount's text: the pound sign, up to "99.99" (balances of 10000 or more read as 0),
// and the terminator, with room to spare.
constexpr size_t AmountTextSize = 10;

// The pound sign (Latin-1 0xA3) and "%2.2f" of pence / 100 in single precision, cut to fit.
void FormatAmount(char (&text)[AmountTextSize], uint16_t pence);

// Each asks the service for its balance and draws its panel; neither presents.
void DrawCreditPanel();
void DrawBankPanel();
