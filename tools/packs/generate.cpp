// The statement generator: each fact table gives true statements from its rows and false ones
// whose wrong value belongs to another item of the same kind, so that the truth of every
// generated statement follows from the table.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "question_sources.h"

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

std::string Fill(std::string text, const std::string& name, const std::string& value) {
    std::string mark = "{" + name + "}";
    for (size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
    return text;
}

// What one table says of itself: its family and how its rows are graded.
struct TableInfo {
    std::string family, grading;
};

class Generator {
  public:
    Generator(std::vector<Statement>& out, std::vector<std::string>& errors,
              const std::set<std::string>& ambiguous)
        : out_(out), errors_(errors), ambiguous_(ambiguous) {}

    void Begin(const std::string& family) { family_ = family; }

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
        s.family = family_;
        out_.push_back(s);
    }

    void Error(const std::string& text) { errors_.push_back(text); }

    // Whether a name is shared by several places, people or works and so is never used bare.
    bool Ambiguous(const std::string& name) const {
        std::string folded;
        for (char c : name)
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return ambiguous_.count(folded) != 0;
    }

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

  private:
    std::vector<Statement>& out_;
    std::vector<std::string>& errors_;
    const std::set<std::string>& ambiguous_;
    std::string family_;
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

// One "% say:" line of a table: a statement made from every row, and how its false form is made.
//   % say: [bump=N] [vary=COLUMN] [within=COLUMN] [wrong=COLUMN] [avoid=COLUMN]
//          [when=COLUMN=VALUE] [from=COLUMN=VALUE] | TEXT
// TEXT names columns as {column} ({^column} with a capital first letter). The false form puts
// another row's value of the vary column in place of the row's own, from a row with the same
// value in the within column; with wrong=, the row's own wrong value (one of several split by
// ';') is used instead. avoid= names a column of values (split by ';') never used as the row's
// wrong value, when= the rows that are said, from= the rows whose values may be the wrong one. A
// false form that any row of the table makes true, or that names an ambiguous name, is never
// made.
struct Saying {
    std::string text, vary, within, wrong, avoid, whenColumn, whenValue, fromColumn, fromValue;
    int bump = 0;
};

bool ParseSaying(const std::string& value, Saying& s, std::string& error) {
    size_t bar = value.find('|');
    if (bar == std::string::npos) {
        error = "expected options | text";
        return false;
    }
    s.text = value.substr(bar + 1);
    while (!s.text.empty() && s.text[0] == ' ') s.text.erase(0, 1);
    std::string options = value.substr(0, bar) + " ";
    for (size_t at = 0, space; (space = options.find(' ', at)) != std::string::npos;
         at = space + 1) {
        std::string option = options.substr(at, space - at);
        if (option.empty()) continue;
        size_t eq = option.find('=');
        std::string key = option.substr(0, eq),
                    v = eq == std::string::npos ? "" : option.substr(eq + 1);
        if (v.empty()) {
            error = "option " + option + " has no value";
            return false;
        }
        if (key == "bump") {
            s.bump = std::atoi(v.c_str());
        } else if (key == "vary") {
            s.vary = v;
        } else if (key == "within") {
            s.within = v;
        } else if (key == "wrong") {
            s.wrong = v;
        } else if (key == "avoid") {
            s.avoid = v;
        } else if ((key == "when" || key == "from") && v.find('=') != std::string::npos) {
            (key == "when" ? s.whenColumn : s.fromColumn) = v.substr(0, v.find('='));
            (key == "when" ? s.whenValue : s.fromValue) = v.substr(v.find('=') + 1);
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    return true;
}

// The columns a text names.
std::vector<std::string> Placeholders(const std::string& text) {
    std::vector<std::string> names;
    for (size_t at = text.find('{'); at != std::string::npos; at = text.find('{', at + 1)) {
        size_t close = text.find('}', at);
        if (close == std::string::npos) break;
        std::string name = text.substr(at + 1, close - at - 1);
        if (!name.empty() && name[0] == '^') name.erase(0, 1);
        names.push_back(name);
    }
    return names;
}

// The text with the row's values, one column's value replaced by `value` when column is given.
std::string Say(const std::string& text, const FactTable& t, size_t r, const std::string& column,
                const std::string& value) {
    std::string out = text;
    for (const std::string& name : Placeholders(text)) {
        const std::string& v = name == column ? value : t.Get(r, name);
        out = Fill(out, name, v);
        out = Fill(out, "^" + name, Cap(v));
    }
    // A value that ends the sentence with its own full stop ("Washington, D.C.") keeps one.
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "..") == 0) out.pop_back();
    return out;
}

void Relation(Generator& g, const FactTable& t, const Saying& say, size_t directiveLine) {
    std::string where = "facts/" + t.file + ":" + std::to_string(directiveLine);
    std::vector<std::string> used = Placeholders(say.text);
    for (const std::string& c : used)
        if (!t.Has(c)) return g.Error(where + ": no column " + c);
    for (const std::string* c :
         {&say.vary, &say.within, &say.wrong, &say.avoid, &say.whenColumn, &say.fromColumn})
        if (!c->empty() && !t.Has(*c)) return g.Error(where + ": no column " + *c);
    if (!say.vary.empty() && std::find(used.begin(), used.end(), say.vary) == used.end())
        return g.Error(where + ": the text does not name " + say.vary);
    // Everything the table holds true in this form, whether or not it is said.
    std::set<std::string> truths;
    for (size_t r = 0; r < t.rows.size(); ++r) truths.insert(Say(say.text, t, r, "", ""));
    auto usable = [&](size_t r, const std::string& column, const std::string& value) {
        for (const std::string& c : used) {
            const std::string& v = c == column ? value : t.Get(r, c);
            if (v.empty() || g.Ambiguous(v)) return false;
        }
        return true;
    };
    for (size_t r = 0; r < t.rows.size(); ++r) {
        if (!say.whenColumn.empty() && t.Get(r, say.whenColumn) != say.whenValue) continue;
        int tier = g.Tier(t, r);
        if (!tier || !usable(r, "", "")) continue;
        std::string yes = Say(say.text, t, r, "", "");
        std::string no;
        Draw d(yes);
        if (!say.wrong.empty()) {
            std::vector<std::string> wrongs;
            std::string all = t.Get(r, say.wrong) + ";";
            for (size_t at = 0, semi; (semi = all.find(';', at)) != std::string::npos;
                 at = semi + 1)
                if (semi > at) wrongs.push_back(all.substr(at, semi - at));
            if (!wrongs.empty()) {
                const std::string& w =
                    wrongs[static_cast<size_t>(d.Below(static_cast<int>(wrongs.size())))];
                std::string text = Say(say.text, t, r, say.vary, w);
                if (truths.count(text))
                    g.Error(Generator::Origin(t, r) + ": the wrong value " + w + " is true");
                else if (usable(r, say.vary, w))
                    no = text;
            }
        } else if (!say.vary.empty()) {
            std::vector<std::string> near, far;
            std::set<std::string> tried;
            std::string avoid = ";" + (say.avoid.empty() ? "" : t.Get(r, say.avoid)) + ";";
            for (size_t o = 0; o < t.rows.size(); ++o) {
                const std::string& v = t.Get(o, say.vary);
                if (o == r || v == t.Get(r, say.vary) || !tried.insert(v).second) continue;
                if (!say.within.empty() && t.Get(o, say.within) != t.Get(r, say.within)) continue;
                if (!say.fromColumn.empty() && t.Get(o, say.fromColumn) != say.fromValue) continue;
                if (avoid.find(";" + v + ";") != std::string::npos) continue;
                std::string text = Say(say.text, t, r, say.vary, v);
                if (truths.count(text) || !usable(r, say.vary, v)) continue;
                bool close = std::abs(t.Get(o, "tier")[0] - t.Get(r, "tier")[0]) <= 1;
                (close ? near : far).push_back(text);
            }
            std::vector<std::string>& pool = near.empty() ? far : near;
            if (!pool.empty())
                no = pool[static_cast<size_t>(d.Below(static_cast<int>(pool.size())))];
        }
        Pair(g, t, r, tier, say.bump, yes, no);
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
        // A wrong symbol that starts like the name, when there is one, is the harder choice;
        // symbols are unique, so another element's symbol is always wrong.
        std::vector<std::string> like, any;
        for (size_t x = 0; x < t.rows.size(); ++x) {
            const std::string& other = t.Get(x, "symbol");
            if (x == r || other == symbol) continue;
            (std::tolower(static_cast<unsigned char>(other[0])) ==
                     std::tolower(static_cast<unsigned char>(name[0]))
                 ? like
                 : any)
                .push_back(other);
        }
        std::vector<std::string>& pool = like.empty() ? any : like;
        std::string lower = name;
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
        Pair(g, t, r, tier, 0, "The chemical symbol for " + lower + " is " + symbol + ".",
             pool.empty()
                 ? ""
                 : "The chemical symbol for " + lower + " is " +
                       pool[static_cast<size_t>(d.Below(static_cast<int>(pool.size())))] + ".");
        // Atomic numbers are whole counts of protons: any other number is plainly wrong.
        int wrong = number;
        while (wrong == number || wrong < 1) wrong = number + d.Between(-4, 4);
        Pair(g, t, r, std::min(5, tier + 2), 0,
             name + " has the atomic number " + std::to_string(number) + ".",
             name + " has the atomic number " + std::to_string(wrong) + ".");
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

using TableGenerator = void (*)(Generator&, const FactTable&);
// Tables whose statements need more than sayings: numbers made wrong by a rule.
const std::map<std::string, TableGenerator>& TableGenerators() {
    static const std::map<std::string, TableGenerator> table = {{"elements.csv", Elements},
                                                                {"events.csv", Events}};
    return table;
}

// The names that several places, people or works share, one a line ("# note" allowed).
std::set<std::string> ReadAmbiguousNames(const std::string& path) {
    std::set<std::string> names;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!line.empty()) names.insert(line);
    }
    return names;
}
}  // namespace

void GenerateArithmetic(const FactTable& t, std::vector<Statement>& out,
                        std::vector<std::string>& errors);

void GenerateStatements(const std::string& dir, std::vector<Statement>& out,
                        std::vector<std::string>& errors) {
    std::set<std::string> ambiguous = ReadAmbiguousNames(dir + "/facts/ambiguous.txt");
    Generator g(out, errors, ambiguous);
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir + "/facts", ec))
        if (entry.path().extension() == ".csv") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    for (const std::string& path : files) {
        FactTable table;
        if (!ReadFactTable(path, table, errors)) continue;
        std::string where = "facts/" + table.file;
        std::string family, grading;
        std::vector<std::pair<Saying, int>> sayings;
        bool ok = true;
        for (size_t i = 0; i < table.directives.size(); ++i) {
            const auto& [key, value] = table.directives[i];
            std::string at = where + ":" + std::to_string(table.directiveLines[i]) + ": ";
            Saying say;
            std::string error;
            if (key == "family") {
                family = value;
            } else if (key == "grading") {
                grading = value;
            } else if (key == "say" && ParseSaying(value, say, error)) {
                sayings.emplace_back(say, table.directiveLines[i]);
            } else {
                errors.push_back(at + (key == "say" ? error : "unknown directive " + key));
                ok = false;
            }
        }
        if (!IsFamily(family)) {
            errors.push_back(where + ": needs a % family: line naming a known family");
            ok = false;
        }
        if (grading.empty()) {
            errors.push_back(where + ": needs a % grading: line saying how its rows are graded");
            ok = false;
        }
        if (!table.Has("source") || !table.Has(table.file == "arithmetic.csv" ? "level" : "tier")) {
            errors.push_back(where + ": needs a source column and a tier column");
            ok = false;
        }
        for (size_t r = 0; ok && r < table.rows.size(); ++r)
            if (table.Get(r, "source").empty()) {
                errors.push_back(Generator::Origin(table, r) + ": no source");
                ok = false;
            }
        if (!ok) continue;
        size_t first = out.size();
        g.Begin(family);
        auto gen = TableGenerators().find(table.file);
        if (table.file == "arithmetic.csv") {
            GenerateArithmetic(table, out, errors);
        } else if (gen != TableGenerators().end()) {
            gen->second(g, table);
        } else if (!sayings.empty()) {
            for (const auto& [say, line] : sayings)
                Relation(g, table, say, static_cast<size_t>(line));
        } else {
            errors.push_back(where + ": no % say: line and no generator of its own");
        }
        for (size_t i = first; i < out.size(); ++i) out[i].family = family;
    }
}
