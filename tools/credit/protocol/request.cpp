#include "request.h"

#include <cstdio>

namespace {
struct VerbText {
    const char* name;
    Verb verb;
    bool hasAmount;
    bool wholeBalance;  // the amount may be any balance, not only up to 100000
};
constexpr VerbText Verbs[] = {
    {"CGET", Verb::CreditGet, false, false}, {"BGET", Verb::BankGet, false, false},
    {"CUSE", Verb::CreditUse, true, false},  {"BADD", Verb::BankAdd, true, false},
    {"CADD", Verb::CreditAdd, true, false},  {"TERM", Verb::Term, false, false},
    {"PAYO", Verb::BankPayout, true, true},
};
}  // namespace

namespace {
bool ParseWhole(std::string_view text, int64_t most, int32_t* amount) {
    if (text.empty() || text.size() > 10 || text[0] == '0') return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > most) return false;
    *amount = static_cast<int32_t>(value);
    return true;
}
}  // namespace

bool ParseAmount(std::string_view text, int32_t* amount) {
    return ParseWhole(text, LargestRequestAmount, amount);
}

bool ParseBalance(std::string_view text, int32_t* amount) {
    return ParseWhole(text, LargestBalance, amount);
}

bool ParseRequest(std::string_view line, Request* request, const char** reason) {
    for (unsigned char c : line)
        if (c < 0x20 || c > 0x7E) {
            *reason = "junk bytes";
            return false;
        }
    std::string_view word = line.substr(0, line.find(','));
    for (const VerbText& v : Verbs) {
        if (word != v.name) continue;
        if (!v.hasAmount) {
            if (line.size() != word.size()) {
                *reason = "unexpected amount";
                return false;
            }
            *request = Request{v.verb, 0};
            return true;
        }
        int32_t amount = 0;
        std::string_view text =
            line.size() == word.size() ? std::string_view() : line.substr(word.size() + 1);
        if (!(v.wholeBalance ? ParseBalance(text, &amount) : ParseAmount(text, &amount))) {
            *reason = "bad amount";
            return false;
        }
        *request = Request{v.verb, amount};
        return true;
    }
    *reason = "unknown request";
    return false;
}

const char* VerbName(Verb verb) {
    for (const VerbText& v : Verbs)
        if (v.verb == verb) return v.name;
    return "?";
}

std::string PrintableLine(std::string_view line) {
    std::string out;
    for (unsigned char c : line.substr(0, LongestRequestLine)) {
        if (c >= 0x20 && c <= 0x7E && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    if (line.size() > LongestRequestLine) out += "...";
    return out;
}
