#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "check.h"
#include "game/packs.h"
#include "pack_file.h"
#include "sources.h"

namespace {
namespace fs = std::filesystem;

// A scratch question source folder with statements/ and facts/.
struct SourceFolder {
    fs::path root;
    SourceFolder() {
        std::random_device seed;
        root = fs::temp_directory_path() / ("bm_questions_" + std::to_string(seed()));
        fs::create_directories(root / "statements");
        fs::create_directories(root / "facts");
    }
    ~SourceFolder() { fs::remove_all(root); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(root / name, std::ios::binary) << text;
    }
    // Every pack filled with n distinct statements.
    std::string FullSet(int n) {
        std::string text;
        for (int level = 1; level <= 24; ++level)
            for (const char* truth : {"T", "F"})
                for (int i = 0; i < n; ++i)
                    text += std::to_string(level) + " " + truth + " Statement " + truth +
                            std::to_string(level) + " number " + std::to_string(i) + ".\n";
        return text;
    }
    SourceReport Check() {
        std::vector<Statement> statements;
        std::vector<std::string> errors;
        LoadSources(root.string(), statements, errors);
        SourceReport report = CheckStatements(statements, nullptr);
        report.problems.insert(report.problems.end(), errors.begin(), errors.end());
        return report;
    }
};

bool Mentions(const SourceReport& r, const std::string& what) {
    for (const std::string& p : r.problems)
        if (p.find(what) != std::string::npos) return true;
    return false;
}

std::string Expanded(const std::vector<uint8_t>& packed) {
    std::vector<uint8_t> line = packed;
    line.push_back(0);
    char out[QuestionTextSize];
    ExpandPackText(line.data(), out);
    return out;
}
}  // namespace

TEST(PackCompressTest, LongestEntryWinsAndExpandsBack) {
    std::vector<uint8_t> packed = CompressPackText("Which one");
    ASSERT_FALSE(packed.empty());
    EXPECT_EQ(packed[0], 0x80);  // the whole word "Which " rather than "Wh" and the rest
    EXPECT_LT(packed.size(), 9u);
    EXPECT_EQ(Expanded(packed), "Which one");
}

TEST(PackCompressTest, PoundSignTravelsAsHash) {
    std::vector<uint8_t> packed = CompressPackText(
        "A stamp cost \xA3"
        "5.");
    EXPECT_NE(std::find(packed.begin(), packed.end(), '#'), packed.end());
    EXPECT_EQ(Expanded(packed),
              "A stamp cost \x7f"
              "5.");
}

TEST(PackSourceTest, CsvFieldsWithQuotesAndCommas) {
    std::vector<std::string> f;
    ASSERT_TRUE(SplitCsvLine("a, \"b, c\" ,\"say \"\"hi\"\"\",", f));
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "b, c");
    EXPECT_EQ(f[2], "say \"hi\"");
    EXPECT_EQ(f[3], "");
    EXPECT_FALSE(SplitCsvLine("\"open", f));
}

TEST(PackSourceTest, CabinetTextHoldsLatinOneOnly) {
    std::string out;
    ASSERT_TRUE(
        ToCabinetText("\xC2\xA3"
                      "5",
                      out));
    EXPECT_EQ(out,
              "\xA3"
              "5");
    EXPECT_FALSE(ToCabinetText("\xE2\x82\xAC", out));  // the euro sign
    EXPECT_EQ(ToUtf8("\x7f"
                     "5"),
              "\xC2\xA3"
              "5");
}

TEST(PackCheckTest, PassesOnAFullSet) {
    SourceFolder src;
    src.Write("statements/all.txt", src.FullSet(LeastPerPack));
    SourceReport r = src.Check();
    EXPECT_TRUE(r.problems.empty()) << (r.problems.empty() ? "" : r.problems.front());
    EXPECT_EQ(r.perPack[0], LeastPerPack);
    EXPECT_EQ(r.perSource["hand: all"], 48 * LeastPerPack);
}

TEST(PackCheckTest, FailsOnDuplicateLongLevelAndThinPack) {
    SourceFolder src;
    std::string text = src.FullSet(LeastPerPack);
    src.Write("statements/all.txt", text);
    src.Write("statements/bad.txt",
              "3 T statement t3 number 7\n"  // the same as one in all.txt, bar case and stop
              "25 T A statement for no pack.\n"
              "0 F Another for no pack.\n" +
                  std::string("4 F ") + std::string(LongestStatement + 1, 'x') + "\n");
    SourceReport r = src.Check();
    EXPECT_TRUE(Mentions(r, "bad.txt:1: duplicate of statements/all.txt"));
    EXPECT_TRUE(Mentions(r, "bad.txt:2: level 25 is outside 1 to 24"));
    EXPECT_TRUE(Mentions(r, "bad.txt:3: level 0 is outside 1 to 24"));
    EXPECT_TRUE(Mentions(r, "bad.txt:4: longer than"));

    // One statement short in the level 24 false pack.
    size_t cut = text.rfind("24 F ");
    src.Write("statements/all.txt", text.substr(0, cut));
    src.Write("statements/bad.txt", "");
    r = src.Check();
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_TRUE(Mentions(r, "Data48 (level 24, false) has 49 statements"));
}

TEST(PackCheckTest, RejectsTextThePacksCannotCarry) {
    SourceFolder src;
    src.Write("statements/all.txt", src.FullSet(LeastPerPack) +
                                        "5 T Hash # is reserved.\n"
                                        "5 T Star * is reserved.\n"
                                        "5 T Caf\xC3\xA9 has no glyph.\n"
                                        "5 X Not a truth.\n");
    SourceReport r = src.Check();
    EXPECT_EQ(r.problems.size(), 4u);
    EXPECT_TRUE(Mentions(r, "all.txt:2401: '#' and '*' are reserved"));
    EXPECT_TRUE(Mentions(r, "all.txt:2402: '#' and '*' are reserved"));
    EXPECT_TRUE(Mentions(r, "all.txt:2403: a character the question font has no glyph for"));
    EXPECT_TRUE(Mentions(r, "all.txt:2404: expected LEVEL T|F statement"));
}

TEST(PackGeneratorTest, FalseCapitalsBelongToAnotherCountryOfTheSameContinent) {
    SourceFolder src;
    src.Write("facts/countries.csv",
              "country,capital,continent,sure,tier,source\n"
              "France,Paris,Europe,y,1,t\nSpain,Madrid,Europe,y,1,t\n"
              "Japan,Tokyo,Asia,y,1,t\nChina,Beijing,Asia,n,1,t\n");
    std::vector<Statement> out;
    std::vector<std::string> errors;
    GenerateStatements(src.root.string(), out, errors);
    EXPECT_TRUE(errors.empty());
    int falseCapitals = 0, continents = 0;
    for (const Statement& s : out) {
        if (s.text.rfind("The capital of France is ", 0) == 0) {
            EXPECT_EQ(s.truth, s.text == "The capital of France is Paris.") << s.text;
        }
        if (s.text.rfind("The capital of Japan is ", 0) == 0 && !s.truth) {
            EXPECT_EQ(s.text, "The capital of Japan is Beijing.");
            ++falseCapitals;
        }
        if (s.text.find(" is in ") != std::string::npos) {
            ++continents;
            EXPECT_EQ(s.text.rfind("China", 0), std::string::npos) << "China is not sure";
            bool right = s.text == "France is in Europe." || s.text == "Spain is in Europe." ||
                         s.text == "Japan is in Asia.";
            EXPECT_EQ(s.truth, right) << s.text;
        }
    }
    EXPECT_EQ(falseCapitals, 1);
    EXPECT_EQ(continents, 6);
}

TEST(PackGeneratorTest, FalseCitiesNeverNameAnAvoidedCountry) {
    SourceFolder src;
    src.Write("facts/cities.csv",
              "city,country,continent,lat,zone,tier,source,avoid\n"
              "Vancouver,Canada,North America,49.3,,1,t,the United States\n"
              "Seattle,the United States,North America,47.6,,1,t,\n"
              "Tijuana,Mexico,North America,32.5,,1,t,\n");
    std::vector<Statement> out;
    std::vector<std::string> errors;
    GenerateStatements(src.root.string(), out, errors);
    ASSERT_TRUE(errors.empty());
    int falseVancouver = 0;
    for (const Statement& s : out) {
        if (s.text.rfind("Vancouver is a city in ", 0) == 0 && !s.truth) {
            EXPECT_EQ(s.text, "Vancouver is a city in Mexico.");
            ++falseVancouver;
        }
        if (s.text.find("Hemisphere") != std::string::npos) {
            EXPECT_EQ(s.truth, s.text.find("Northern") != std::string::npos) << s.text;
        }
    }
    EXPECT_EQ(falseVancouver, 1);
}

TEST(PackGeneratorTest, FalseYearsMoveFarEnoughAndArithmeticIsRight) {
    SourceFolder src;
    src.Write("facts/events.csv",
              "event,year,tier,source\n"
              "\"Old, far event in {year}.\",1215,3,t\nModern event in {year}.,1990,3,t\n");
    src.Write("facts/arithmetic.csv", "level,count,source\n1,20,a\n13,8,a\n20,10,a\n");
    std::vector<Statement> out;
    std::vector<std::string> errors;
    GenerateStatements(src.root.string(), out, errors);
    ASSERT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front());
    for (const Statement& s : out) {
        int a = 0, b = 0, c = 0;
        if (std::sscanf(s.text.c_str(), "Old, far event in %d.", &a) == 1) {
            EXPECT_EQ(s.truth, a == 1215) << s.text;
            EXPECT_TRUE(a == 1215 || std::abs(a - 1215) >= 20) << s.text;
        } else if (std::sscanf(s.text.c_str(), "Modern event in %d.", &a) == 1) {
            EXPECT_EQ(s.truth, a == 1990) << s.text;
            EXPECT_TRUE(a == 1990 || (std::abs(a - 1990) >= 5 && a <= 2024)) << s.text;
        } else if (std::sscanf(s.text.c_str(), "%d plus %d is %d.", &a, &b, &c) == 3) {
            EXPECT_EQ(s.truth, a + b == c) << s.text;
        } else if (std::sscanf(s.text.c_str(), "%d times %d is %d.", &a, &b, &c) == 3) {
            EXPECT_EQ(s.truth, a * b == c) << s.text;
        } else if (std::sscanf(s.text.c_str(), "%d squared is %d.", &a, &c) == 2) {
            EXPECT_EQ(s.truth, a * a == c) << s.text;
        } else {
            ADD_FAILURE() << "unexpected statement " << s.text;
        }
    }
    EXPECT_EQ(out.size(), 4u + 2u * (20u + 8u + 10u));
}

TEST(PackFileTest, EveryStatementOfTheStarterSetComesBackThroughTheReader) {
    std::vector<Statement> statements;
    std::vector<std::string> errors;
    LoadSources(QUESTIONS_DIR, statements, errors);
    ASSERT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front());
    SourceReport report = CheckStatements(statements, nullptr);
    ASSERT_TRUE(report.problems.empty())
        << (report.problems.empty() ? "" : report.problems.front());

    std::vector<std::string> packs[48];
    for (const Statement& s : statements) packs[PackIndex(s)].push_back(s.text);
    fs::path file =
        fs::temp_directory_path() / ("bm_roundtrip_" + std::to_string(std::random_device{}()));
    size_t checked = 0;
    for (int p = 0; p < 48; ++p) {
        std::vector<uint8_t> bytes = MakePackBytes(packs[p]);
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
        std::vector<std::string> back;
        ASSERT_TRUE(ReadPackStatements(file.string(), back));
        ASSERT_EQ(back.size(), packs[p].size()) << "pack " << p + 1;
        for (size_t i = 0; i < back.size(); ++i, ++checked)
            EXPECT_EQ(ToUtf8(back[i]), ToUtf8(packs[p][i])) << "pack " << p + 1 << " line " << i;
    }
    fs::remove(file);
    EXPECT_EQ(checked, statements.size());
    EXPECT_GE(checked, 2400u);
}
