// Pieces of the console's pages: escaping, money, the page frame with its stylesheet, and the
// balance plot drawn as SVG.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Text made safe inside HTML elements and quoted attributes.
std::string Escape(const std::string& text);
// Pence as "£12.05" (negative as "−£0.50").
std::string Money(int64_t pence);
// Pence as "12.05" for CSV.
std::string PlainMoney(int64_t pence);
// A CSV field, quoted when it must be.
std::string CsvField(const std::string& text);

enum class Tab {
    Overview,
    Meters,
    Money,
    Games,
    Events,
    Actions,
    None,
    // the fleet mode's pages, with a navigation of their own
    FleetCabinets,
    FleetReport,
    FleetOther
};

// A whole page: head with the stylesheet, the navigation with `current` marked, a sign-out form
// carrying the session's form token, and the body.
std::string Page(const std::string& title, Tab current, const std::string& csrf,
                 const std::string& body);
// The sign-in page: the form posts `password` and the sign-in form's token to /login.
std::string LoginPage(const std::string& csrf, const std::string& message);
// A hidden field carrying the session's form token.
std::string CsrfField(const std::string& csrf);

// The payout balance over games (oldest first), with the band thresholds drawn across.
std::string BalancePlot(const std::vector<double>& balances, const std::vector<double>& thresholds);
