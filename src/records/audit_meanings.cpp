#include "records/audit_meanings.h"

#include <cstdio>

std::string AuditCounterMeaning(int id) {
    static const int prizes[15] = {50,  100, 150, 200,  300,  400,  500, 600,
                                   700, 800, 900, 1000, 1200, 1600, 2000};
    char text[96];
    if (id == 0) return "games bought";
    if (id >= 1 && id <= 7) {
        std::snprintf(text, sizeof text, "games started at payout band %d", id - 1);
        return text;
    }
    if (id == 8 || id == 40 || id == 41) return "reserved";
    if (id == 9) return "questions put";
    if (id == 10) return "wrong answers";
    if (id >= 11 && id <= 25) {
        int p = prizes[id - 11];
        std::snprintf(text, sizeof text, "games won with a prize of %d.%02d pounds", p / 100,
                      p % 100);
        return text;
    }
    if (id == 26) return "final stages lost without a big team beaten";
    if (id == 27) return "total prize value won (pence)";
    if (id >= 28 && id <= 34) {
        std::snprintf(text, sizeof text, "prize value won at payout band %d (pence)", id - 28);
        return text;
    }
    if (id == 35) return "games won";
    if (id == 36) return "games bought with the bank under 5.00 pounds";
    if (id == 37) return "games bought with the bank at 5.00 to 9.99 pounds";
    if (id == 38) return "games bought with the bank at 10.00 pounds or more";
    return "seconds of play";
}
