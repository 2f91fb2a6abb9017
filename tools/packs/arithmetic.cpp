// Arithmetic statements, made to the difficulty of each level: true ones state the result,
// false ones are off by a plausible amount (a near neighbour, a times-table step, ten).
#include <set>
#include <string>

#include "question_sources.h"

namespace {
struct Rand {
    uint64_t state;
    explicit Rand(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 12345) {}
    int Between(int lo, int hi) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return lo + static_cast<int>(state % static_cast<uint64_t>(hi - lo + 1));
    }
};

bool IsPrime(int n) {
    if (n < 2) return false;
    for (int d = 2; d * d <= n; ++d)
        if (n % d == 0) return false;
    return true;
}

std::string Roman(int n) {
    static const int values[] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
    static const char* digits[] = {"M",  "CM", "D",  "CD", "C",  "XC", "L",
                                   "XL", "X",  "IX", "V",  "IV", "I"};
    std::string out;
    for (int i = 0; i < 13; ++i)
        while (n >= values[i]) {
            out += digits[i];
            n -= values[i];
        }
    return out;
}

// A wrong result near the right one: off by a small amount, by a step, or by ten.
int Near(int right, int step, Rand& r) {
    int offsets[] = {1, 2, step, 10};
    int wrong = right;
    // Ten off only where the result has a tens digit to get wrong.
    int choices = right >= 20 ? 3 : 2;
    while (wrong == right || wrong < 0) {
        int off = offsets[r.Between(0, choices)];
        wrong = right + (r.Between(0, 1) ? off : -off);
    }
    return wrong;
}

std::string Result(const std::string& what, int right, bool truth, int step, Rand& r) {
    return what + " is " + std::to_string(truth ? right : Near(right, step, r)) + ".";
}

// A composite that does not give itself away: odd, not a multiple of 3 or 5.
int HiddenComposite(int lo, int hi, Rand& r) {
    for (;;) {
        int n = r.Between(lo, hi);
        if (n % 2 && n % 3 && n % 5 && !IsPrime(n)) return n;
    }
}

int PrimeBetween(int lo, int hi, Rand& r) {
    for (;;) {
        int n = r.Between(lo, hi);
        if (IsPrime(n)) return n;
    }
}

std::string PrimeStatement(int lo, int hi, bool truth, Rand& r) {
    int n = truth ? PrimeBetween(lo, hi, r) : HiddenComposite(lo, hi, r);
    return std::to_string(n) + " is a prime number.";
}

std::string RomanStatement(int lo, int hi, bool truth, Rand& r) {
    int n = r.Between(lo, hi);
    int shown = n;
    if (!truth) {
        int steps[] = {1, 2, 5, 10, 50};
        while (shown == n || shown < 1)
            shown = n + (r.Between(0, 1) ? 1 : -1) * steps[r.Between(0, 4)];
    }
    return Roman(n) + " is " + std::to_string(shown) + " in Roman numerals.";
}

std::string Make(int level, bool truth, Rand& r) {
    int a, b;
    switch (level) {
        case 1:
            a = r.Between(1, 9), b = r.Between(1, 9);
            return Result(std::to_string(a) + " plus " + std::to_string(b), a + b, truth, 1, r);
        case 2:
            a = r.Between(2, 5), b = r.Between(2, 5);
            return Result(std::to_string(a) + " times " + std::to_string(b), a * b, truth, a, r);
        case 3:
            a = r.Between(11, 19), b = r.Between(2, 9);
            return Result(std::to_string(a) + " minus " + std::to_string(b), a - b, truth, 1, r);
        case 4:
            a = r.Between(6, 10), b = r.Between(3, 10);
            return Result(std::to_string(a) + " times " + std::to_string(b), a * b, truth, b, r);
        case 5:
            a = r.Between(15, 60), b = r.Between(12, 39);
            return Result(std::to_string(a) + " plus " + std::to_string(b), a + b, truth, 10, r);
        case 6:
            a = r.Between(6, 12), b = r.Between(11, 12);
            return Result(std::to_string(b) + " times " + std::to_string(a), a * b, truth, b, r);
        case 7:
            a = 2 * r.Between(26, 99);
            return Result("Half of " + std::to_string(a), a / 2, truth, 1, r);
        case 8:
            a = r.Between(52, 99), b = r.Between(17, 48);
            return Result(std::to_string(a) + " minus " + std::to_string(b), a - b, truth, 10, r);
        case 9:
            a = r.Between(11, 15);
            return Result(std::to_string(a) + " squared", a * a, truth, 10, r);
        case 10:
            a = r.Between(13, 29), b = r.Between(3, 9);
            return Result(std::to_string(a) + " times " + std::to_string(b), a * b, truth, b, r);
        case 11:
            a = 4 * r.Between(6, 60);
            return Result("25% of " + std::to_string(a), a / 4, truth, 5, r);
        case 12:
            return RomanStatement(14, 99, truth, r);
        case 13:
            a = r.Between(16, 25);
            return Result(std::to_string(a) + " squared", a * a, truth, 10, r);
        case 14:
            return PrimeStatement(20, 80, truth, r);
        case 15:
            a = 20 * r.Between(3, 40);
            return Result("15% of " + std::to_string(a), a * 15 / 100, truth, 3, r);
        case 16:
            a = r.Between(3, 10);
            return Result(std::to_string(a) + " cubed", a * a * a, truth, 10, r);
        case 17:
            return RomanStatement(100, 999, truth, r);
        case 18:
            a = r.Between(6, 12);
            return Result("2 to the power of " + std::to_string(a), 1 << a, truth, 2, r);
        case 19:
            return PrimeStatement(80, 200, truth, r);
        case 20:
            a = r.Between(11, 19), b = r.Between(11, 19);
            return Result(std::to_string(a) + " times " + std::to_string(b), a * b, truth, a, r);
        case 21:
            return RomanStatement(1066, 2000, truth, r);
        case 22:
            a = r.Between(14, 32);
            return Result("The square root of " + std::to_string(a * a), a, truth, 1, r);
        case 23:
            return PrimeStatement(200, 400, truth, r);
        default:
            a = r.Between(21, 39), b = r.Between(13, 29);
            return Result(std::to_string(a) + " times " + std::to_string(b), a * b, truth, 10, r);
    }
}
}  // namespace

void GenerateArithmetic(const FactTable& t, std::vector<Statement>& out,
                        std::vector<std::string>& errors) {
    // One sum is made once, whatever level asks for it again.
    std::set<std::string> made;
    for (size_t row = 0; row < t.rows.size(); ++row) {
        std::string origin = "facts/" + t.file + ":" + std::to_string(t.lines[row]);
        int level = std::atoi(t.Get(row, "level").c_str());
        int count = std::atoi(t.Get(row, "count").c_str());
        if (level < 1 || level > 24 || count < 0 || count > 200) {
            errors.push_back(origin + ": level must be 1 to 24 and count 0 to 200");
            continue;
        }
        for (int truth = 0; truth <= 1; ++truth) {
            Rand r(static_cast<uint64_t>(level * 2 + truth));
            // Small levels have few distinct sums; stop trying rather than loop for ever.
            for (int tries = 0, n = 0; n < count && tries < 100 * count; ++tries) {
                std::string text = Make(level, truth != 0, r);
                if (!made.insert(text).second) continue;
                ++n;
                Statement s;
                s.text = text;
                s.level = level;
                s.truth = truth != 0;
                s.source = t.Get(row, "source");
                s.origin = origin;
                out.push_back(s);
            }
        }
    }
}
