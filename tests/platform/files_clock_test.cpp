// Paths, folders and the clock of the platform layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "support/scratch.h"

namespace {
TEST(Files, PathsTurnBackslashesIntoSlashesAndKeepCase) {
    EXPECT_EQ(TranslatePath("Graphic_resource\\Menu\\OptionBackgroundBLank.BMP"),
              "Graphic_resource/Menu/OptionBackgroundBLank.BMP");
    EXPECT_EQ(TranslatePath("sounds//MainTune.mp3"), "sounds//MainTune.mp3");
}

TEST(Files, FolderCreationTellsExistingApartFromFailure) {
    ScratchDir dir;
    EXPECT_EQ(MakeFolder("data"), FolderResult::Made);
    EXPECT_EQ(MakeFolder("data"), FolderResult::AlreadyExists);
    { std::ofstream("plain") << "x"; }
    EXPECT_EQ(MakeFolder("plain"), FolderResult::Failed);
    EXPECT_EQ(MakeFolder("missing\\child"), FolderResult::Failed);
    EXPECT_EQ(MakeFolder("data\\child"), FolderResult::Made);
    EXPECT_TRUE(std::filesystem::is_directory("data/child"));
}

TEST(Files, ReadWholeFileAndReplace) {
    ScratchDir dir;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadWholeFile("nothing.bin", bytes));
    EXPECT_EQ(FileSize("nothing.bin"), -1);
    { std::ofstream("a.bin", std::ios::binary) << std::string(70000, 'a'); }
    { std::ofstream("b.bin", std::ios::binary) << "bb"; }
    ASSERT_TRUE(ReadWholeFile("a.bin", bytes));
    EXPECT_EQ(bytes.size(), 70000u);
    EXPECT_TRUE(ReplaceFile("b.bin", "a.bin"));
    EXPECT_EQ(FileSize("a.bin"), 2);
    EXPECT_FALSE(FileExists("b.bin"));
}

TEST(Files, MemoryFoldersAreNewEmptyAndWritable) {
    std::string a = MakeMemoryFolder("brindlemark-test");
    std::string b = MakeMemoryFolder("brindlemark-test");
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(std::filesystem::is_empty(a));
    std::string file = a + "/record.bin";
    FILE* f = OpenFile(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_GE(std::fputs("bytes", f), 0);
    EXPECT_TRUE(FlushToDisk(f));
    std::fclose(f);
    EXPECT_EQ(FileSize(file.c_str()), 5);
    std::filesystem::remove_all(a);
    std::filesystem::remove_all(b);
}

TEST(Clock, VirtualClockStepsPerReadAndWraps) {
    ClockUseVirtual(0xFFFFFFFEu, 1);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFEu);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
    EXPECT_EQ(timeGetTime(), 0u);
    ClockSetStep(0);
    ClockAdvance(10);
    EXPECT_EQ(timeGetTime(), 11u);
    EXPECT_EQ(timeGetTime(), 11u);
    ClockUseReal();
    uint32_t a = timeGetTime();
    uint32_t b = timeGetTime();
    EXPECT_LE(b - a, 1000u);  // monotonic: never runs backwards
}
}  // namespace
