#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "core/random.h"
#include "game/packs.h"
#include "game/session.h"
#include "records/audit.h"
#include "shell/startup.h"
#include "support/pack_files.h"

namespace {
int gShutdowns = 0;
void CountShutdown() {
    ++gShutdowns;
}

// Opens pack n for reading the way LoadQuestion does, with the key measured.
class PackReading : public ::testing::Test {
  protected:
    void SetUp() override {
        gPackReader.keyLength = MeasurePackKey();
        gStartup.shutdownDisplay = CountShutdown;
        gShutdowns = 0;
    }
    void TearDown() override { gStartup = DefaultStartupSteps(); }
    ScratchPackFolder folder;
};
}  // namespace

TEST(PackTableTest, RowsFollowFileNumber) {
    EXPECT_STREQ(PackTable[0].path, "Questions\\trueorfalse\\Data01.pck");
    EXPECT_EQ(PackTable[0].level, 1);
    EXPECT_EQ(PackTable[0].answer, 1);
    EXPECT_STREQ(PackTable[0].label, " TRUE ");
    EXPECT_STREQ(PackTable[47].path, "Questions\\trueorfalse\\Data48.pck");
    EXPECT_EQ(PackTable[47].level, 24);
    EXPECT_EQ(PackTable[47].answer, 0);
    EXPECT_STREQ(PackTable[47].label, " FALSE");
    EXPECT_EQ(PackTable[48].path, nullptr);
    for (int n = 1; n <= PackCount; ++n) {
        char want[64];
        std::snprintf(want, sizeof want, "Questions\\trueorfalse\\Data%02d.pck", n);
        EXPECT_STREQ(PackTable[n - 1].path, want);
        EXPECT_EQ(PackTable[n - 1].level, (n + 1) / 2);
        EXPECT_EQ(PackTable[n - 1].answer, n % 2);
    }
}

TEST(PackTableTest, KeyIsSixtySevenBytesWithinRange) {
    ASSERT_EQ(MeasurePackKey(), 67);
    for (int i = 0; i < 67; ++i) {
        EXPECT_GE(PackKey[i], 1);
        EXPECT_LE(PackKey[i], 240);
    }
}

TEST(PackTableTest, ScrambleAndUnscrambleAreInverseOnlyInsideTheRange) {
    int32_t keyLength = MeasurePackKey();
    for (int offset = 0; offset < 2 * keyLength; ++offset) {
        for (int b = 0; b < 256; ++b) {
            uint8_t s = ScramblePackByte(static_cast<uint8_t>(b), offset, keyLength);
            EXPECT_EQ(UnscramblePackByte(s, offset, keyLength), b);
            if (b < 8 || b > 247)
                EXPECT_EQ(s, b);
            else
                EXPECT_TRUE(s >= 8 && s <= 247);
        }
    }
}

TEST(PackExpandTest, DictionaryAndSpecialBytes) {
    std::string want = std::string(PackWords[0]) + "S" + PackWords[0xE9 - 0x80] + "s*x";
    EXPECT_EQ(Expanded({0x80, 'S', 0xE9, 's', '*', 'x'}), want);
    EXPECT_EQ(Expanded({'#', '5', '*'}), std::string("\x7f") + "5*");
    EXPECT_EQ(Expanded({'a', '\t', 'b', 1, '\r', 'c'}), "a bc");
    EXPECT_EQ(Expanded({}), "");
}

TEST(PackExpandTest, OutputStopsAtOneHundredNinetyNineCharacters) {
    std::vector<uint8_t> line(300, 0x80);  // "Which " six characters each
    std::string out = Expanded(line);
    EXPECT_EQ(out.size(), 199u);
    EXPECT_EQ(out.substr(0, 12), "Which Which ");
}

TEST_F(PackReading, LineCountWithAndWithoutFinalLineFeed) {
    folder.WriteAll();
    folder.WritePlain(1, Bytes("one*\ntwo*\nthree*\n"));
    folder.WritePlain(2, Bytes("one*\ntwo*\nthree*"));
    folder.WritePlain(3, {});
    ASSERT_TRUE(CheckQuestionPacks());
    EXPECT_EQ(PackTable[0].lineCount, 3);
    EXPECT_EQ(PackTable[1].lineCount, 2);
    EXPECT_EQ(PackTable[2].lineCount, 0);
    EXPECT_EQ(PackTable[3].lineCount, 3);
    EXPECT_EQ(gShutdowns, 0);
}

TEST_F(PackReading, MissingPackFailsAndTheStartUpStepTearsTheDisplayDown) {
    folder.WriteAll();
    std::filesystem::remove(folder.root / "Questions" / "trueorfalse" / "Data30.pck");
    EXPECT_FALSE(CheckQuestionPacks());
    EXPECT_EQ(gShutdowns, 0) << "the reader reports the missing pack and leaves the display";
    EXPECT_EQ(gPackReader.pack, nullptr);
    EXPECT_FALSE(DefaultStartupSteps().checkQuestionPacks());
    EXPECT_EQ(gShutdowns, 1);
}

TEST_F(PackReading, BytesOutsideTheRangePassButAdvanceThePosition) {
    // Byte 7 and byte 248 are stored as they are; the bytes after them still use the key at
    // their own offsets.
    folder.WriteAll();
    folder.WritePlain(5, {'a', 7, 248, 'b', '\n'});
    ASSERT_TRUE(CheckQuestionPacks());
    LoadQuestion(3, 1);
    EXPECT_EQ(gPackReader.position, 5);
    const uint8_t want[] = {'a', 7, 248, 'b', 0};
    EXPECT_EQ(std::memcmp(gPackReader.line, want, sizeof want), 0);
}

TEST_F(PackReading, RawTenIsNotALineEndUnlessItUnscramblesToOne) {
    folder.WriteAll();
    int32_t keyLength = MeasurePackKey();
    // An offset at which a stored 10 reads as a plain letter.
    int32_t at = 0;
    auto letter = [&](int32_t o) {
        return std::isalpha(UnscramblePackByte(10, o, keyLength)) != 0;
    };
    while (at < keyLength && !letter(at)) ++at;
    ASSERT_LT(at, keyLength);
    std::string plain = std::string(static_cast<size_t>(at), 'a') + "?cd*\n";
    std::vector<uint8_t> stored;
    for (uint8_t c : Bytes(plain))
        stored.push_back(ScramblePackByte(c, static_cast<int32_t>(stored.size()), keyLength));
    stored[static_cast<size_t>(at)] = 10;
    folder.WriteRaw(7, stored);
    ASSERT_TRUE(CheckQuestionPacks());
    EXPECT_EQ(PackTable[6].lineCount, 1);
    LoadQuestion(4, 1);
    std::string text = QuestionText();
    plain[static_cast<size_t>(at)] = static_cast<char>(UnscramblePackByte(10, at, keyLength));
    EXPECT_EQ(text, plain.substr(0, plain.size() - 2));

    // And a stored byte that does unscramble to 10 ends the line.
    stored[static_cast<size_t>(at)] = ScramblePackByte('\n', at, keyLength);
    folder.WriteRaw(7, stored);
    ASSERT_TRUE(CheckQuestionPacks());
    EXPECT_EQ(PackTable[6].lineCount, 2);
}

TEST_F(PackReading, KeyLengthZeroReadsBytesAsStored) {
    folder.WriteRaw(1, Bytes("plain text*\n"));
    gPackReader.keyLength = 0;
    gPackReader.pack = std::fopen((folder.root / "Questions/trueorfalse/Data01.pck").c_str(), "rb");
    gPackReader.atEnd = false;
    gPackReader.position = 0;
    ReadPackLine();
    EXPECT_STREQ(reinterpret_cast<const char*>(gPackReader.line), "plain text*");
    EXPECT_EQ(gPackReader.position, 12);
    std::fclose(static_cast<FILE*>(gPackReader.pack));
    gPackReader.pack = nullptr;
}

TEST_F(PackReading, OverLongLineIsCutAndReadingGoesOnAtTheNextLine) {
    folder.WriteAll();
    std::string longLine(700, 'q');
    folder.WritePlain(9, Bytes(longLine + "*\nshort*\n"));
    ASSERT_TRUE(CheckQuestionPacks());
    EXPECT_EQ(PackTable[8].lineCount, 2);
    // Draw until each line has come up once.
    bool sawLong = false, sawShort = false;
    for (uint32_t seed = 1; seed < 50 && !(sawLong && sawShort); ++seed) {
        SeedRandom(seed);
        LoadQuestion(5, 1);
        std::string text = QuestionText();
        if (text == "short") sawShort = true;
        if (text.size() == 199 && text.find_first_not_of('q') == std::string::npos) sawLong = true;
    }
    EXPECT_TRUE(sawLong);
    EXPECT_TRUE(sawShort);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(gPackReader.line)) <= PackLineSize - 1,
              true);
}

TEST_F(PackReading, LoadQuestionCutsAtTheLastAsterisk) {
    folder.WriteAll();
    folder.WritePlain(11, Bytes("#5 a*b*tail\r\n"));
    ASSERT_TRUE(CheckQuestionPacks());
    LoadQuestion(6, 1);
    EXPECT_STREQ(QuestionText(),
                 "\x7f"
                 "5 a*b");
    EXPECT_EQ(gPackReader.pack, nullptr);
}

TEST_F(PackReading, MissingLevelGivesNotFoundText) {
    folder.WriteAll();
    ASSERT_TRUE(CheckQuestionPacks());
    LoadQuestion(25, 1);
    EXPECT_STREQ(QuestionText(), "NOT FOUND! 25, 1");
    LoadQuestion(3, 7);
    EXPECT_STREQ(QuestionText(), "NOT FOUND! 3, 7");
}

TEST_F(PackReading, ChooseQuestionDrawsAnswerColumnLevelLineInOrder) {
    folder.WriteAll();
    ASSERT_TRUE(CheckQuestionPacks());
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        // Replay the same generator by hand to know each draw.
        SeedRandom(seed);
        int32_t answer = RandomBelow(2) != 0 ? 1 : 0;
        bool harder = RandomBelow(100) < 20;
        int32_t col = harder ? 1 : 2;
        int32_t g = GradeTable[8][col];
        int32_t level = g == 1   ? 1 + RandomBelow(4)
                        : g == 2 ? 5 + RandomBelow(10)
                                 : 15 + RandomBelow(10);
        int32_t line = static_cast<int32_t>(RandomBelow(3));
        char want[64];
        std::snprintf(want, sizeof want, "pack %d line %d", (level - 1) * 2 + (answer ? 1 : 2),
                      line);

        SeedRandom(seed);
        EXPECT_EQ(ChooseQuestionFor(false, 0, 8, 2), g);
        EXPECT_EQ(CorrectAnswer(), answer);
        EXPECT_STREQ(QuestionText(), want) << "seed " << seed;
    }
}

TEST_F(PackReading, ChooseQuestionSkipsTheColumnDrawOutsideOneToThree) {
    folder.WriteAll();
    ASSERT_TRUE(CheckQuestionPacks());
    for (int32_t plan : {0, 4}) {
        SeedRandom(77);
        int32_t answer = RandomBelow(2) != 0 ? 1 : 0;
        int32_t level = 5 + static_cast<int32_t>(RandomBelow(10));  // row 4: grade 2 in col 0
        int32_t g = GradeTable[4][plan];
        if (g == 1) {
            SeedRandom(77);
            RandomBelow(2);
            level = 1 + static_cast<int32_t>(RandomBelow(4));
        }
        SeedRandom(77);
        EXPECT_EQ(ChooseQuestionFor(false, 0, 4, plan), g);
        EXPECT_EQ(CorrectAnswer(), answer);
        std::string text = QuestionText();
        EXPECT_EQ(text.rfind("pack " + std::to_string((level - 1) * 2 + (answer ? 1 : 2)) + " ", 0),
                  0u)
            << text;
    }
}

TEST_F(PackReading, FinalStageUsesTheCallersGrade) {
    folder.WriteAll();
    ASSERT_TRUE(CheckQuestionPacks());
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(ChooseQuestionFor(true, 3, 0, 4), 3);
        int pack = std::atoi(QuestionText() + 5);
        EXPECT_GE((pack + 1) / 2, 15) << QuestionText();
        EXPECT_EQ(pack % 2, CorrectAnswer());
    }
}

TEST_F(PackReading, ChooseQuestionReadsTheGameAndThePlan) {
    folder.WriteAll();
    ASSERT_TRUE(CheckQuestionPacks());
    gGameSession.TotalTasksCompleted = 10;
    gWinPlan.grade[0] = 3;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SeedRandom(seed);
        int32_t want = ChooseQuestionFor(false, 0, 10, 3);
        std::string text = QuestionText();
        SeedRandom(seed);
        EXPECT_EQ(ChooseQuestion(false, 0), want);
        EXPECT_EQ(text, QuestionText());
    }
}
