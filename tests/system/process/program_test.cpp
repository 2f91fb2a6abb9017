// The cabinet program as a process: what it does with and without its credit service.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/credit_service.h"
#include "support/run_program.h"
#include "support/scratch.h"

namespace {
// True when something already answers on the cabinet's port (another service on this machine).
bool PortTaken() {
    FakeCreditService probe(6667);
    return !probe.ok();
}

TEST(Program, WithoutCreditServiceEndsWithCodeTwoAndWritesNothing) {
    if (PortTaken()) GTEST_SKIP() << "a service already listens on 127.0.0.1:6667";
    ScratchDir dir;
    ProgramResult r = RunProgram(BRINDLEMARK_BINARY);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 2);
    EXPECT_LT(r.seconds, 10.0);  // ends at once rather than waiting on a connection
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Program, FileInPlaceOfSystemFolderEndsWithStatusZeroAndNoLog) {
    FakeCreditService service(6667);
    if (!service.ok()) GTEST_SKIP() << "port 6667 is taken";
    ScratchDir dir;
    { std::ofstream("~system") << "not a folder"; }
    ProgramResult r = RunProgram(BRINDLEMARK_BINARY);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(std::filesystem::is_directory("~system"));
    EXPECT_EQ(service.received().find("TERM"), std::string::npos);
}

TEST(Program, WithCreditServiceMakesFoldersLogsAndSaysTerm) {
    FakeCreditService service(6667, [](const std::string& line) -> std::string {
        if (line.rfind("CGET", 0) == 0) return "CTEL,0\r";
        if (line.rfind("BGET", 0) == 0) return "BTEL,0\r";
        return "";
    });
    if (!service.ok()) GTEST_SKIP() << "port 6667 is taken";
    ScratchDir dir;
    ProgramResult r = RunProgram(BRINDLEMARK_BINARY, {}, 60);
    ASSERT_TRUE(r.exited);
    for (const char* folder : {"~system", "~system/logs", "~system/upload"})
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    std::ifstream in("~system/logs/Brindlemark.txt", std::ios::binary);
    std::stringstream log;
    log << in.rdbuf();
    std::string text = log.str();
    ASSERT_GE(text.size(), 22u);
    EXPECT_EQ(text.substr(19, 3), " - ");  // "DD/MM/YYYY hh:mm:ss - "
    EXPECT_EQ(text.find("Brindlemark Version 1.0.0.1 - Start of Log\r\n\r\n"), 22u);
    for (int i = 0; i < 200 && !service.clientClosed(); ++i) usleep(5000);
    std::string received = service.received();
    ASSERT_GE(received.size(), 6u);
    EXPECT_EQ(received.substr(received.size() - 6), "TERM\r\n");
    EXPECT_TRUE(service.clientClosed());
}
}  // namespace
