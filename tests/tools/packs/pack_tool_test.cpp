#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "check.h"
#include "game/packs.h"
#include "pack_file.h"
#include "question_sources.h"
#include "support/pack_files.h"
#include "support/scratch.h"

namespace {
namespace fs = std::filesystem;

// A scratch question source folder with statements/ and facts/.
struct SourceFolder {
    ScratchFolder scratch{"questions"};
    fs::path root = scratch.path();
    SourceFolder() {
        fs::create_directories(root / "statements");
        fs::create_directories(root / "facts");
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(root / name, std::ios::binary) << text;
    }
    // Every pack filled with n distinct statements, spread evenly over all the families.
    std::string FullSet(int n) {
        std::string text;
        const std::vector<Family>& families = Families();
        for (size_t f = 0; f < families.size(); ++f) {
            text += std::string("% family: ") + families[f].key + "\n% source: a test\n";
            for (int level = 1; level <= 24; ++level)
                for (const char* truth : {"T", "F"})
                    for (int i = static_cast<int>(f); i < n; i += static_cast<int>(families.size()))
                        text += std::to_string(level) + " " + truth + " Statement " + truth +
                                std::to_string(level) + " number " + std::to_string(i) + ".\n";
        }
        return text;
    }
    // Generates the statements of the facts/ tables written so far.
    std::vector<Statement> Generate(std::vector<std::string>& errors) {
        std::vector<Statement> out;
        GenerateStatements(root.string(), out, errors);
        return out;
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
    EXPECT_EQ(r.perSource["statements/all.txt"], 48 * LeastPerPack);
    EXPECT_EQ(r.perFamily.size(), Families().size());
}

TEST(PackCheckTest, FailsOnDuplicateLongLevelAndThinPack) {
    SourceFolder src;
    std::string text = src.FullSet(LeastPerPack);
    src.Write("statements/all.txt", text);
    src.Write("statements/bad.txt",
              "% family: art\n% source: a test\n"
              "3 T statement t3 number 7\n"  // the same as one in all.txt, bar case and stop
              "25 T A statement for no pack.\n"
              "0 F Another for no pack.\n" +
                  std::string("4 F ") + std::string(LongestStatement + 1, 'x') + "\n");
    SourceReport r = src.Check();
    EXPECT_TRUE(Mentions(r, "bad.txt:3: duplicate of statements/all.txt"));
    EXPECT_TRUE(Mentions(r, "bad.txt:4: level 25 is outside 1 to 24"));
    EXPECT_TRUE(Mentions(r, "bad.txt:5: level 0 is outside 1 to 24"));
    EXPECT_TRUE(Mentions(r, "bad.txt:6: longer than"));

    // One statement short in the level 24 false pack.
    size_t cut = text.rfind("24 F ");
    src.Write("statements/all.txt", text.substr(0, cut));
    src.Write("statements/bad.txt", "");
    r = src.Check();
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_TRUE(Mentions(
        r, "Data48 (level 24, false) has " + std::to_string(LeastPerPack - 1) + " statements"));
}

TEST(PackCheckTest, RejectsTextThePacksCannotCarry) {
    SourceFolder src;
    src.Write("statements/all.txt", src.FullSet(LeastPerPack));
    src.Write("statements/bad.txt",
              "% family: art\n% source: a test\n"
              "5 T Hash # is reserved.\n"
              "5 T Star * is reserved.\n"
              "5 T Caf\xC3\xA9 has no glyph.\n"
              "5 X Not a truth.\n"
              "5 T Under the family and source above.\n"
              "% family: gardening\n");
    src.Write("statements/orphan.txt", "5 T A statement with no family and no source.\n");
    SourceReport r = src.Check();
    EXPECT_EQ(r.problems.size(), 6u);
    EXPECT_TRUE(Mentions(r, "bad.txt:3: '#' and '*' are reserved"));
    EXPECT_TRUE(Mentions(r, "bad.txt:4: '#' and '*' are reserved"));
    EXPECT_TRUE(Mentions(r, "bad.txt:5: a character the question font has no glyph for"));
    EXPECT_TRUE(Mentions(r, "bad.txt:6: expected LEVEL T|F statement"));
    EXPECT_TRUE(Mentions(r, "bad.txt:8: unknown family gardening"));
    EXPECT_TRUE(Mentions(r, "orphan.txt:1: no % family: and % source: line above it"));
}

// Purpose-made bad lines, each failing one house-style rule, and good lines that look like them.
TEST(PackCheckTest, HouseStyleCatchesBadLinesAndPassesGoodOnes) {
    SourceFolder src;
    src.Write("statements/all.txt", src.FullSet(LeastPerPack));
    src.Write("statements/style.txt",
              "% family: art\n% source: a test\n"
              "5 T The capital is Washington, D.C..\n"
              "5 T Is this a question?\n"
              "5 T A statement without a stop\n"
              "5 T Two  spaces inside.\n"
              "5 T A list,, with a doubled comma.\n"
              "5 T An (unclosed bracket.\n"
              "5 T A closing) bracket.\n"
              "5 T An 'unclosed quote.\n"
              "5 T A closing' quote nothing opened.\n"
              "5 T An \"unclosed double quote.\n"
              "5 T The flag's color is red.\n"
              "5 T The tank holds 20 liters.\n"
              "5 T The poem 'Tam o' Shanter' was written by Robert Burns.\n"
              "5 T The players' bench is by the touchline.\n"
              "5 T The novel 'The Picture of Dorian Gray' was written by Oscar Wilde.\n"
              "5 T A parsec is about 3.26 light years (a unit of distance).\n"
              "5 T Singin' hinnies are griddle cakes from Tyneside.\n");
    SourceReport r = src.Check();
    EXPECT_TRUE(Mentions(r, "style.txt:3: doubled punctuation \"..\""));
    EXPECT_TRUE(Mentions(r, "style.txt:4: does not end in a full stop"));
    EXPECT_TRUE(Mentions(r, "style.txt:5: does not end in a full stop"));
    EXPECT_TRUE(Mentions(r, "style.txt:6: double space"));
    EXPECT_TRUE(Mentions(r, "style.txt:7: doubled punctuation \",,\""));
    EXPECT_TRUE(Mentions(r, "style.txt:8: an unclosed bracket"));
    EXPECT_TRUE(Mentions(r, "style.txt:9: a closing bracket that nothing opened"));
    EXPECT_TRUE(Mentions(r, "style.txt:10: an unclosed quote"));
    EXPECT_TRUE(Mentions(r, "style.txt:11: a closing quote that nothing opened"));
    EXPECT_TRUE(Mentions(r, "style.txt:12: an unclosed double quote"));
    EXPECT_TRUE(Mentions(r, "style.txt:13: American spelling \"color\": British is colour"));
    EXPECT_TRUE(Mentions(r, "style.txt:14: American spelling \"liters\""));
    EXPECT_EQ(r.problems.size(), 12u) << r.problems.back();
}

// The bank is spread over enough families, none of which fills too much of it or of one level.
TEST(PackCheckTest, SpreadByFamilyIsChecked) {
    SourceFolder src;
    src.Write("statements/all.txt", src.FullSet(LeastPerPack));
    // One family made large: a fifth of the whole bank, and most of level 7.
    std::string big = "% family: sport\n% source: a test\n";
    for (int i = 0; i < 48 * LeastPerPack / 5; ++i)
        big += std::to_string(i < 2 * LeastPerPack ? 7 : 8 + i % 17) + " T Extra sport fact " +
               std::to_string(i) + ".\n";
    src.Write("statements/big.txt", big);
    SourceReport r = src.Check();
    EXPECT_TRUE(Mentions(r, "family sport has ")) << r.problems.front();
    EXPECT_TRUE(Mentions(r, " statements, more than 15 %"));
    EXPECT_TRUE(Mentions(r, " statements of level 7, more than 25 %"));
    EXPECT_FALSE(Mentions(r, "family art"));

    // Thirteen families are too few, however even.
    SourceFolder few;
    std::string text;
    for (size_t f = 0; f < 13; ++f) {
        text += std::string("% family: ") + Families()[f].key + "\n% source: a test\n";
        for (int p = 0; p < 48; ++p)
            for (int i = 0; i < LeastPerPack / 13 + 1; ++i)
                text += std::to_string(p / 2 + 1) + (p % 2 ? " F" : " T") + " Fact " +
                        std::to_string(f) + " of pack " + std::to_string(p) + " number " +
                        std::to_string(i) + ".\n";
    }
    few.Write("statements/few.txt", text);
    r = few.Check();
    ASSERT_EQ(r.problems.size(), 1u) << r.problems.front();
    EXPECT_TRUE(Mentions(r, "the bank has 13 families, fewer than 14"));
}

// Tables that say their statements themselves: falses never true for any row, ambiguous names
// never used, avoided and wrong values honoured.
TEST(PackGeneratorTest, SayingsMakeFalsesThatNoRowMakesTrue) {
    SourceFolder src;
    // A city on two rivers: neither river is ever its wrong one.
    src.Write("facts/rivers.csv",
              "% family: british\n% grading: a test\n"
              "% say: vary=river | {city} stands on the River {river}.\n"
              "city,river,tier,source\n"
              "Reading,Thames,1,t\nReading,Kennet,1,t\nBath,Avon,1,t\nLeeds,Aire,1,t\n"
              "Perth,Tay,1,t\n");
    // Continents within a group, an ambiguous capital, a value ending in its own stop.
    src.Write("facts/ambiguous.txt", "Perth # Scotland; Western Australia\nVictoria\n");
    src.Write("facts/capitals.csv",
              "% family: geography\n% grading: a test\n"
              "% say: vary=capital within=continent | The capital of {country} is {capital}.\n"
              "% say: when=sure=y vary=continent avoid=avoid | {^country} is in {continent}.\n"
              "country,capital,continent,sure,avoid,tier,source\n"
              "the United States,\"Washington, D.C.\",North America,y,,1,t\n"
              "Canada,Ottawa,North America,y,Asia,1,t\n"
              "Seychelles,Victoria,Africa,y,,1,t\n"
              "Kenya,Nairobi,Africa,y,,1,t\n"
              "Russia,Moscow,Europe,n,,1,t\n"
              "Japan,Tokyo,Asia,y,,1,t\n");
    src.Write("facts/counts.csv",
              "% family: numbers\n% grading: a test\n"
              "% say: vary=count wrong=wrong | There are {count} {small} in {big}.\n"
              "small,big,count,wrong,tier,source\n"
              "days,a week,7,6;8,1,t\nmonths,a year,12,7,1,t\n");
    std::vector<std::string> errors;
    std::vector<Statement> out = src.Generate(errors);
    ASSERT_TRUE(errors.empty()) << errors.front();
    std::set<std::string> said;
    for (const Statement& s : out) {
        said.insert(s.text);
        EXPECT_EQ(s.text.find("Perth"), std::string::npos) << s.text;
        EXPECT_EQ(s.text.find("Victoria"), std::string::npos) << s.text;
        EXPECT_EQ(s.text.find(".."), std::string::npos) << s.text;
        EXPECT_EQ(s.source, "t");
        if (s.text.rfind("Reading stands on", 0) == 0 && !s.truth) {
            EXPECT_TRUE(s.text.find("Thames") == std::string::npos &&
                        s.text.find("Kennet") == std::string::npos)
                << s.text;
        }
        EXPECT_NE(s.text, "Canada is in Asia.");
        if (s.text.rfind("Russia is in", 0) == 0) ADD_FAILURE() << "Russia is not sure";
        if (!s.truth && s.text.rfind("The capital of Kenya is", 0) == 0)
            ADD_FAILURE() << "Kenya's only neighbour in the table is ambiguous: " << s.text;
        EXPECT_EQ(s.family, s.text.find("River") != std::string::npos ? "british"
                            : s.text.find("There are") == 0           ? "numbers"
                                                                      : "geography")
            << s.text;
    }
    EXPECT_TRUE(said.count("The capital of the United States is Washington, D.C."));
    EXPECT_TRUE(said.count("The capital of the United States is Ottawa."));
    EXPECT_TRUE(said.count("The capital of Canada is Washington, D.C."));
    EXPECT_TRUE(said.count("Bath stands on the River Thames.") ||
                said.count("Bath stands on the River Kennet.") ||
                said.count("Bath stands on the River Aire.") ||
                said.count("Bath stands on the River Tay."));
    EXPECT_TRUE(said.count("There are 12 months in a year."));
    EXPECT_TRUE(said.count("There are 7 months in a year."));
    EXPECT_TRUE(said.count("There are 6 days in a week.") ||
                said.count("There are 8 days in a week."));
}

TEST(PackGeneratorTest, TablesMustSayTheirFamilyGradingAndSources) {
    SourceFolder src;
    src.Write("facts/nofamily.csv", "% grading: g\n% say: | {a}.\na,tier,source\nX,1,t\n");
    src.Write("facts/nograding.csv", "% family: art\n% say: | {a}.\na,tier,source\nX,1,t\n");
    src.Write("facts/nosource.csv",
              "% family: art\n% grading: g\n% say: | {a}.\na,tier,source\nX,1,\n");
    src.Write("facts/badsay.csv",
              "% family: art\n% grading: g\n% say: vary=b | {a}.\na,tier,source\nX,1,t\n");
    src.Write("facts/badoption.csv",
              "% family: art\n% grading: g\n% say: shout=y | {a}.\na,tier,source\nX,1,t\n");
    src.Write("facts/wrongistrue.csv",
              "% family: art\n% grading: g\n% say: vary=b wrong=w | {a} is {b}.\n"
              "a,b,w,tier,source\nX,red,blue,1,t\nX,blue,red,1,t\n");
    std::vector<std::string> errors;
    src.Generate(errors);
    auto said = [&](const std::string& what) {
        for (const std::string& e : errors)
            if (e.find(what) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(said("nofamily.csv: needs a % family: line"));
    EXPECT_TRUE(said("nograding.csv: needs a % grading: line"));
    EXPECT_TRUE(said("nosource.csv:5: no source"));
    EXPECT_TRUE(said("badsay.csv:3: no column b"));
    EXPECT_TRUE(said("badoption.csv:3: unknown option shout=y"));
    EXPECT_TRUE(said("wrongistrue.csv:5: the wrong value blue is true"));
}

TEST(PackGeneratorTest, FalseYearsMoveFarEnoughAndArithmeticIsRight) {
    SourceFolder src;
    src.Write("facts/events.csv",
              "% family: history\n% grading: a test\nevent,year,tier,source\n"
              "\"Old, far event in {year}.\",1215,3,t\nModern event in {year}.,1990,3,t\n");
    src.Write(
        "facts/arithmetic.csv",
        "% family: numbers\n% grading: a test\nlevel,count,source\n1,20,a\n13,8,a\n20,10,a\n");
    std::vector<std::string> errors;
    std::vector<Statement> out = src.Generate(errors);
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

TEST(PackFileTest, EveryStatementOfTheBankComesBackThroughTheReader) {
    std::vector<Statement> statements;
    std::vector<std::string> errors;
    LoadSources(QUESTIONS_DIR, statements, errors);
    ASSERT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front());
    SourceReport report = CheckStatements(statements, nullptr);
    ASSERT_TRUE(report.problems.empty())
        << (report.problems.empty() ? "" : report.problems.front());

    std::vector<std::string> packs[48];
    for (const Statement& s : statements) packs[PackIndex(s)].push_back(s.text);
    ScratchFolder scratch("roundtrip");
    fs::path file = scratch.path() / "pack";
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
    EXPECT_EQ(checked, statements.size());
    EXPECT_GE(checked, 10000u);
}
