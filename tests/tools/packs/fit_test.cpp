#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "check.h"
#include "question_sources.h"
#include "support/picture_files.h"
#include "support/scratch.h"

namespace {
namespace fs = std::filesystem;

// Loads as the question font a 24-bit BMP font of 96 frames, each `frameWidth` x `frameHeight`,
// magenta but for a glyph block in columns 1 to `inkRight` of every frame; false with `error` when
// it is refused.
bool LoadBlockFont(int frameWidth, int frameHeight, int inkRight, std::string& error) {
    // White ink from x = 1 to inkRight on magenta, in every one of the 96 frames.
    RgbPicture font{frameWidth, frameHeight * 96,
                    std::vector<uint8_t>(static_cast<size_t>(frameWidth) * frameHeight * 96 * 3)};
    for (int y = 0; y < font.height; ++y)
        for (int x = 0; x < frameWidth; ++x) {
            bool ink = x >= 1 && x <= inkRight;
            font.Set(x, y, 255, ink ? 255 : 0, 255);
        }
    ScratchFolder scratch("font");
    WriteBytes(scratch.File("font.bmp"), EncodeBmp(font));
    return LoadQuestionFont(scratch.File("font.bmp"), error);
}

std::string Words(int count, int letters) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? " " : "") + std::string(static_cast<size_t>(letters), 'x');
    return text;
}
}  // namespace

// Glyphs 10 wide (ink to column 8, plus 2 for the question font's slot), the space 6, lines 20
// high: six four-letter words make a line of 270, and five lines fill 100 of the 110 rows.
TEST(PackFitTest, LinesAndHeightOfTheQuestionBox) {
    std::string error;
    ASSERT_TRUE(LoadBlockFont(12, 20, 8, error)) << error;
    FitTest fits = QuestionBoxFitTest();
    ASSERT_NE(fits, nullptr);
    EXPECT_TRUE(fits(Words(30, 4)));
    EXPECT_FALSE(fits(Words(31, 4)));          // a sixth line is 120 rows
    EXPECT_TRUE(fits(Words(1, 31)));           // 310 wide
    EXPECT_FALSE(fits(Words(1, 32)));          // one word of 320 cannot be broken
    EXPECT_TRUE(fits("\xA3" + Words(1, 30)));  // the pound sign has its glyph too
}

TEST(PackFitTest, CheckReportsAStatementTooLongForTheBox) {
    std::string error;
    ASSERT_TRUE(LoadBlockFont(12, 20, 8, error)) << error;
    std::vector<Statement> statements;
    const std::vector<Family>& families = Families();
    for (int p = 0; p < 48; ++p)
        for (int i = 0; i < LeastPerPack; ++i)
            statements.push_back({"Short " + std::to_string(p) + " and " + std::to_string(i) + ".",
                                  p / 2 + 1, p % 2 == 0, "test", "test:" + std::to_string(p),
                                  families[static_cast<size_t>(i) % families.size()].key});
    statements.push_back({Words(31, 4) + ".", 3, true, "test", "long:1", "science"});
    SourceReport r = CheckStatements(statements, QuestionBoxFitTest());
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].rfind("long:1: does not fit the question box", 0), 0u) << r.problems[0];
    EXPECT_TRUE(r.fitChecked);
}

TEST(PackFitTest, UnreadableFontIsAnError) {
    std::string error;
    EXPECT_FALSE(LoadQuestionFont("/nonexistent/Font2.BMP", error));
    EXPECT_NE(error.find("cannot be read"), std::string::npos);
    EXPECT_EQ(QuestionBoxFitTest(), nullptr);
}

// The committed set against the question font the build stages, when the assets are built.
TEST(PackFitTest, StarterSetFitsTheStagedQuestionFont) {
    if (!fs::exists(BRINDLEMARK_STAGE_DIR "/Graphic_resource/Font2.BMP"))
        GTEST_SKIP() << "no staged question font at "
                     << BRINDLEMARK_STAGE_DIR "/Graphic_resource/Font2.BMP";
    std::string error;
    ASSERT_TRUE(LoadQuestionFont(BRINDLEMARK_STAGE_DIR "/Graphic_resource/Font2.BMP", error))
        << error;
    std::vector<Statement> statements;
    std::vector<std::string> errors;
    LoadSources(QUESTIONS_DIR, statements, errors);
    ASSERT_TRUE(errors.empty());
    FitTest fits = QuestionBoxFitTest();
    for (const Statement& s : statements)
        EXPECT_TRUE(fits(s.text)) << s.origin << ": " << ToUtf8(s.text);
}
