// The statement generator: each fact table gives true statements from its rows and false ones
// whose wrong value belongs to another item of the same kind, so that the truth of every
// generated statement follows from the table.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "sources.h"

namespace {
// A small deterministic generator, seeded from text, so that every build makes the same set.
struct Draw {
    uint64_t state;
    explicit Draw(const std::string& seed) : state(1469598103934665603ull) {
        for (char c : seed) state = (state ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    }
    uint64_t Next() {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
};

// Levels by fame tier: tier 1 is known to nearly everyone (levels 1 to 4), tier 5 only to keen
// quizzers (levels 20 to 24). A harder form of a statement adds to the level.
int LevelFor(int tier, int bump, const std::string& key) {
    static const int start[] = {1, 5, 10, 15, 20};
    static const int width[] = {4, 5, 5, 5, 5};
    Draw d(key);
    int level = start[tier - 1] + d.Below(width[tier - 1]) + bump;
    return std::clamp(level, 1, 24);
}

std::string Cap(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

std::string Article(const std::string& word) {
    return (!word.empty() && std::string("aeiouAEIOU").find(word[0]) != std::string::npos) ? "an"
                                                                                           : "a";
}

std::string Fill(std::string text, const std::string& name, const std::string& value) {
    std::string mark = "{" + name + "}";
    for (size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
    return text;
}

class Generator {
  public:
    Generator(std::vector<Statement>& out, std::vector<std::string>& errors)
        : out_(out), errors_(errors) {}

    void Emit(const std::string& utf8, int level, bool truth, const std::string& source,
              const std::string& origin) {
        Statement s;
        if (!ToCabinetText(utf8, s.text)) {
            errors_.push_back(origin + ": a character the cabinet cannot show");
            return;
        }
        s.level = level;
        s.truth = truth;
        s.source = source;
        s.origin = origin;
        out_.push_back(s);
    }

    void Error(const std::string& text) { errors_.push_back(text); }

    // The tier of row r: 1 to 5, or 0 after reporting a bad value.
    int Tier(const FactTable& t, size_t r) {
        const std::string& v = t.Get(r, "tier");
        if (v.size() == 1 && v[0] >= '1' && v[0] <= '5') return v[0] - '0';
        Error(Origin(t, r) + ": tier must be 1 to 5");
        return 0;
    }

    static std::string Origin(const FactTable& t, size_t r) {
        return "facts/" + t.file + ":" + std::to_string(t.lines[r]);
    }

    // A row other than r that passes the test, chosen by the draw; -1 when there is none. Rows
    // of about the same fame come first, so that a hard statement is not given away by a
    // famous wrong value.
    static int Other(const FactTable& t, size_t r, Draw& d,
                     const std::function<bool(size_t)>& fits) {
        std::vector<size_t> candidates, near;
        for (size_t o = 0; o < t.rows.size(); ++o) {
            if (o == r || !fits(o)) continue;
            candidates.push_back(o);
            if (std::abs(t.Get(o, "tier")[0] - t.Get(r, "tier")[0]) <= 1) near.push_back(o);
        }
        if (!near.empty()) candidates = near;
        if (candidates.empty()) return -1;
        return static_cast<int>(
            candidates[static_cast<size_t>(d.Below(static_cast<int>(candidates.size())))]);
    }

  private:
    std::vector<Statement>& out_;
    std::vector<std::string>& errors_;
};

bool Require(Generator& g, const FactTable& t, std::initializer_list<const char*> columns) {
    bool ok = true;
    for (const char* c : columns)
        if (!t.Has(c)) {
            g.Error("facts/" + t.file + ": missing column " + c);
            ok = false;
        }
    return ok;
}

// A pair of statements from one row: the true form and a false one with the wrong value.
void Pair(Generator& g, const FactTable& t, size_t r, int tier, int bump, const std::string& yes,
          const std::string& no) {
    std::string origin = Generator::Origin(t, r);
    const std::string& source = t.Get(r, "source");
    g.Emit(yes, LevelFor(tier, bump, yes), true, source, origin);
    if (!no.empty()) g.Emit(no, LevelFor(tier, bump, no), false, source, origin);
}

void Countries(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"country", "capital", "continent", "sure", "tier", "source"})) return;
    static const char* continents[] = {"Europe",        "Asia",          "Africa",
                                       "North America", "South America", "Oceania"};
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &country = t.Get(r, "country"), &capital = t.Get(r, "capital"),
                          &continent = t.Get(r, "continent");
        Draw d(country + "|capital");
        auto sameContinent = [&](size_t o) {
            return t.Get(o, "continent") == continent && t.Get(o, "capital") != capital;
        };
        int o = Generator::Other(t, r, d, sameContinent);
        Pair(g, t, r, tier, 0, "The capital of " + country + " is " + capital + ".",
             o < 0 ? ""
                   : "The capital of " + country + " is " +
                         t.Get(static_cast<size_t>(o), "capital") + ".");
        // The reversed form adds variety among the better-known capitals only.
        o = Generator::Other(t, r, d, sameContinent);
        if (tier <= 2)
            Pair(g, t, r, tier, 1, capital + " is the capital city of " + country + ".",
                 o < 0 ? ""
                       : capital + " is the capital city of " +
                             t.Get(static_cast<size_t>(o), "country") + ".");
        if (t.Get(r, "sure") == "y") {
            std::string wrong;
            do wrong = continents[d.Below(6)];
            while (wrong == continent);
            Pair(g, t, r, std::max(1, tier - 1), 0, Cap(country) + " is in " + continent + ".",
                 Cap(country) + " is in " + wrong + ".");
        }
    }
}

void Elements(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"number", "name", "symbol", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &name = t.Get(r, "name"), &symbol = t.Get(r, "symbol");
        int number = std::atoi(t.Get(r, "number").c_str());
        Draw d(name + "|element");
        // A wrong symbol that starts like the name, when there is one, is the harder choice.
        int o = Generator::Other(t, r, d, [&](size_t x) {
            return t.Get(x, "symbol")[0] == name[0] && t.Get(x, "symbol") != symbol;
        });
        if (o < 0)
            o = Generator::Other(t, r, d, [&](size_t x) { return t.Get(x, "symbol") != symbol; });
        std::string lower = name;
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
        Pair(g, t, r, tier, 0, "The chemical symbol for " + lower + " is " + symbol + ".",
             o < 0 ? ""
                   : "The chemical symbol for " + lower + " is " +
                         t.Get(static_cast<size_t>(o), "symbol") + ".");
        int wrong = number;
        while (wrong == number || wrong < 1) wrong = number + d.Between(-4, 4);
        Pair(g, t, r, std::min(5, tier + 2), 0,
             name + " has the atomic number " + std::to_string(number) + ".",
             name + " has the atomic number " + std::to_string(wrong) + ".");
    }
}

void Regions(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"region", "capital", "kind", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &region = t.Get(r, "region"), &kind = t.Get(r, "kind"),
                          &capital = t.Get(r, "capital");
        Draw d(region + "|" + kind);
        int o = Generator::Other(t, r, d, [&](size_t x) {
            return t.Get(x, "kind") == kind && t.Get(x, "capital") != capital;
        });
        std::string head = "The capital of the " + kind + " of " + region + " is ";
        Pair(g, t, r, tier, 0, head + capital + ".",
             o < 0 ? "" : head + t.Get(static_cast<size_t>(o), "capital") + ".");
    }
}

void Cities(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"city", "country", "continent", "lat", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &city = t.Get(r, "city"), &country = t.Get(r, "country");
        Draw d(city + "|city");
        // A country with a town of the same name is never the wrong answer.
        const std::string avoid = ";" + t.Get(r, "avoid") + ";";
        int o = Generator::Other(t, r, d, [&](size_t x) {
            const std::string& other = t.Get(x, "country");
            return t.Get(x, "continent") == t.Get(r, "continent") && other != country &&
                   avoid.find(";" + other + ";") == std::string::npos;
        });
        Pair(g, t, r, tier, 0, city + " is a city in " + country + ".",
             o < 0 ? "" : city + " is a city in " + t.Get(static_cast<size_t>(o), "country") + ".");
        // Cities near the equator are left out of the hemisphere question.
        double lat = std::atof(t.Get(r, "lat").c_str());
        if (std::fabs(lat) >= 8.0) {
            bool truth = d.Below(2) == 0;
            bool north = (lat > 0) == truth;
            std::string text =
                city + " lies in the " + (north ? "Northern" : "Southern") + " Hemisphere.";
            g.Emit(text, LevelFor(std::min(5, tier + 1), 0, text), truth, t.Get(r, "source"),
                   Generator::Origin(t, r));
        }
    }
}

void Events(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"event", "year", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string& event = t.Get(r, "event");
        int year = std::atoi(t.Get(r, "year").c_str());
        if (event.find("{year}") == std::string::npos || year < 1) {
            g.Error(Generator::Origin(t, r) + ": an event needs {year} and a year");
            continue;
        }
        Draw d(event);
        // Far enough that nobody could count the wrong year as right: more for older events.
        int least = year < 1500 ? 20 : (year < 1900 ? 10 : 5);
        int wrong;
        do wrong = year + (d.Below(2) ? 1 : -1) * d.Between(least, least * 3);
        while (wrong > 2024 || wrong < 1);
        Pair(g, t, r, tier, 0, Cap(Fill(event, "year", std::to_string(year))),
             Cap(Fill(event, "year", std::to_string(wrong))));
    }
}

void Works(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"work", "creator", "kind", "tier", "source"})) return;
    static const std::map<std::string, std::string> verbs = {
        {"novel", "written"},   {"play", "written"},     {"poem", "written"},
        {"book", "written"},    {"painting", "painted"}, {"opera", "composed"},
        {"ballet", "composed"}, {"piece", "composed"},   {"sculpture", "sculpted"}};
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &kind = t.Get(r, "kind"), &creator = t.Get(r, "creator");
        auto verb = verbs.find(kind);
        if (verb == verbs.end()) {
            g.Error(Generator::Origin(t, r) + ": unknown kind of work " + kind);
            continue;
        }
        Draw d(t.Get(r, "work"));
        int o = Generator::Other(t, r, d, [&](size_t x) {
            auto v = verbs.find(t.Get(x, "kind"));
            return v != verbs.end() && v->second == verb->second && t.Get(x, "creator") != creator;
        });
        std::string head = (kind == "piece" ? "'" : "The " + kind + " '") + t.Get(r, "work") +
                           "' was " + verb->second + " by ";
        Pair(g, t, r, tier, 0, head + creator + ".",
             o < 0 ? "" : head + t.Get(static_cast<size_t>(o), "creator") + ".");
    }
}

void Units(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"small", "big", "count", "wrong", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &count = t.Get(r, "count"), &wrong = t.Get(r, "wrong");
        if (count == wrong || wrong.empty()) {
            g.Error(Generator::Origin(t, r) + ": the wrong count must differ from the count");
            continue;
        }
        std::string head = "There are ",
                    tail = " " + t.Get(r, "small") + " in " + t.Get(r, "big") + ".";
        Pair(g, t, r, tier, 0, head + count + tail, head + wrong + tail);
    }
}

void Animals(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"animal", "class", "tier", "source"})) return;
    static const std::map<std::string, std::vector<std::string>> confusions = {
        {"mammal", {"fish", "bird", "reptile"}},
        {"bird", {"mammal", "reptile"}},
        {"reptile", {"amphibian", "mammal"}},
        {"amphibian", {"reptile", "fish"}},
        {"fish", {"mammal", "amphibian", "reptile"}},
        {"insect", {"arachnid", "crustacean"}},
        {"arachnid", {"insect"}},
        {"crustacean", {"insect", "mollusc", "fish"}},
        {"mollusc", {"crustacean", "fish"}}};
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &animal = t.Get(r, "animal"), &cls = t.Get(r, "class");
        auto c = confusions.find(cls);
        if (c == confusions.end()) {
            g.Error(Generator::Origin(t, r) + ": unknown class " + cls);
            continue;
        }
        Draw d(animal);
        const std::string& wrong =
            c->second[static_cast<size_t>(d.Below(static_cast<int>(c->second.size())))];
        Pair(g, t, r, tier, 0, "The " + animal + " is " + Article(cls) + " " + cls + ".",
             "The " + animal + " is " + Article(wrong) + " " + wrong + ".");
    }
}

void Sports(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"statement", "players", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string& players = t.Get(r, "players");
        Draw d(t.Get(r, "statement"));
        int o = Generator::Other(t, r, d, [&](size_t x) { return t.Get(x, "players") != players; });
        Pair(g, t, r, tier, 0, Fill(t.Get(r, "statement"), "n", players),
             o < 0 ? ""
                   : Fill(t.Get(r, "statement"), "n", t.Get(static_cast<size_t>(o), "players")));
    }
}

void Currencies(Generator& g, const FactTable& t) {
    if (!Require(g, t, {"country", "currency", "shared", "tier", "source"})) return;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        int tier = g.Tier(t, r);
        if (!tier) continue;
        const std::string &country = t.Get(r, "country"), &currency = t.Get(r, "currency");
        Draw d(country + "|currency");
        // A name that several countries use (or used) is never the wrong answer.
        int o = Generator::Other(t, r, d, [&](size_t x) {
            return t.Get(x, "currency") != currency && t.Get(x, "shared") != "y";
        });
        Pair(g, t, r, tier, 0, "The " + currency + " is the currency of " + country + ".",
             o < 0 ? ""
                   : "The " + t.Get(static_cast<size_t>(o), "currency") + " is the currency of " +
                         country + ".");
    }
}

using TableGenerator = void (*)(Generator&, const FactTable&);
const std::map<std::string, TableGenerator>& TableGenerators() {
    static const std::map<std::string, TableGenerator> table = {
        {"countries.csv", Countries},  {"elements.csv", Elements}, {"regions.csv", Regions},
        {"cities.csv", Cities},        {"events.csv", Events},     {"works.csv", Works},
        {"units.csv", Units},          {"animals.csv", Animals},   {"sports.csv", Sports},
        {"currencies.csv", Currencies}};
    return table;
}
}  // namespace

void GenerateArithmetic(const FactTable& t, std::vector<Statement>& out,
                        std::vector<std::string>& errors);

void GenerateStatements(const std::string& dir, std::vector<Statement>& out,
                        std::vector<std::string>& errors) {
    Generator g(out, errors);
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/facts", ec))
        if (entry.path().extension() == ".csv") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    for (const std::string& path : files) {
        FactTable table;
        if (!ReadFactTable(path, table, errors)) continue;
        if (table.file == "arithmetic.csv") {
            GenerateArithmetic(table, out, errors);
            continue;
        }
        auto gen = TableGenerators().find(table.file);
        if (gen == TableGenerators().end()) {
            errors.push_back("facts/" + table.file + ": no generator knows this table");
            continue;
        }
        gen->second(g, table);
    }
}
