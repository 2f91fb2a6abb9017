// The log's stamp, line ends, truncation and system folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless.h"
#include "platform/localtime.h"
#include "records/log.h"
#include "support/scratch.h"

namespace {
std::string ReadLog() {
    std::ifstream in(LogPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLocalTimeOverride(LocalTime{2026, 12, 8, 7, 4, 3});
        ASSERT_EQ(MakeSystemFolders(), 0);
    }
    void TearDown() override {
        CloseLog();
        ClearLocalTimeOverride();
    }
    ScratchDir dir;
};

TEST_F(LogTest, StartLineIsStampedAndFollowedByAnEmptyLine) {
    ASSERT_EQ(OpenLog(), 0);
    WriteLog("Closing log\n");
    EXPECT_EQ(ReadLog(),
              "08/12/2026 07:04:03 - Brindlemark Version 1.0.0.1 - Start of Log\r\n\r\n"
              "08/12/2026 07:04:03 - Closing log\r\n");
    EXPECT_EQ(CloseLog(), 0);
    EXPECT_EQ(CloseLog(), -1);
}

TEST_F(LogTest, NothingIsWrittenBeforeOpenOrAfterClose) {
    EXPECT_EQ(WriteLog("early %d\n", 1), 0);
    ASSERT_EQ(OpenLog(), 0);
    CloseLog();
    WriteLog("late\n");
    std::string log = ReadLog();
    EXPECT_EQ(log.find("early"), std::string::npos);
    EXPECT_EQ(log.find("late"), std::string::npos);
    EXPECT_EQ(WriteLog(nullptr), 0);
}

TEST_F(LogTest, LongMessagesAreCutAt999Characters) {
    ASSERT_EQ(OpenLog(), 0);
    std::string message(1500, 'x');
    WriteLog("%s", message.c_str());
    std::string log = ReadLog();
    size_t stamp = log.rfind(" - ");
    EXPECT_EQ(log.size() - (stamp + 3), 999u);
}

TEST_F(LogTest, SecondStartReplacesTheLog) {
    ASSERT_EQ(OpenLog(), 0);
    WriteLog("first run\n");
    CloseLog();
    ASSERT_EQ(OpenLog(), 0);
    std::string log = ReadLog();
    EXPECT_EQ(log.find("first run"), std::string::npos);
    EXPECT_EQ(log.rfind("08/12/2026 07:04:03 - Brindlemark Version", 0), 0u);
}

TEST_F(LogTest, SystemFoldersExistingAreFineAndAFileInTheWayIsNot) {
    EXPECT_EQ(MakeSystemFolders(), 0);
    for (const char* folder : {"~system", "~system/logs", "~system/upload"})
        EXPECT_TRUE(std::filesystem::is_directory(folder));
    std::filesystem::remove_all("~system");
    { std::ofstream("~system") << "x"; }
    EXPECT_EQ(MakeSystemFolders(), -1);
    EXPECT_EQ(OpenLog(), -1);
}
}  // namespace
