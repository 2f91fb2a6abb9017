// The amounts of the credit and bank displays.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "credit/balance_panels.h"

TEST(AmountText, PoundSignAndTwoDecimalsForEveryBalanceShown) {
    char text[AmountTextSize];
    FormatAmount(text, 150);
    EXPECT_EQ(std::string(text),
              "\xA3"
              "1.50");
    FormatAmount(text, 0);
    EXPECT_EQ(std::string(text),
              "\xA3"
              "0.00");
    // Every balance the displays can show reads as whole pounds and pence, single precision or not.
    for (int pence = 0; pence < 10000; ++pence) {
        FormatAmount(text, static_cast<uint16_t>(pence));
        char expected[16];
        std::snprintf(expected, sizeof expected, "\xA3%d.%02d", pence / 100, pence % 100);
        ASSERT_EQ(std::string(text), expected) << pence;
    }
}

TEST(AmountText, LargestValueFitsTheBuffer) {
    char text[AmountTextSize];
    FormatAmount(text, 65535);
    EXPECT_EQ(std::string(text),
              "\xA3"
              "655.35");
    EXPECT_LT(std::string(text).size(), AmountTextSize);
}
