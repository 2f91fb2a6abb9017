// The real cabinet ended from outside at its menu: SIGTERM (a service manager's stop), SIGINT and
// SIGHUP each end it as the Main Menu does, at once: "Closing log", "TERM" to the credit service,
// exit code 0. With systemd running, the kiosk's way of stopping (systemd-run, then stop) too.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/credit_service.h"
#include "support/run_program.h"
#include "support/scratch.h"

namespace {
size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The credit service as the menu sees it with no money in.
std::string EmptyCabinet(const std::string& line) {
    if (line.rfind("CGET", 0) == 0) return "CTEL,0\r";
    if (line.rfind("BGET", 0) == 0) return "BTEL,0\r";
    return "";
}

// Waits until the menu is polling the balances: it is then on screen.
bool WaitForMenu(FakeCreditService& service, double limitSeconds) {
    auto start = std::chrono::steady_clock::now();
    while (Count(service.received(), "CGET") < 5) {
        if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(limitSeconds))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(Signals, EachEndSignalEndsTheCabinetAtTheMenuAsMainMenuDoes) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        FakeCreditService service(6667, EmptyCabinet);
        if (!service.ok()) GTEST_SKIP() << "port 6667 is taken";
        ScratchDir dir;
        for (const char* folder : {"Graphic_resource", "sounds", "Questions"})
            std::filesystem::create_directory_symlink(
                std::string(BRINDLEMARK_STAGE_DIR) + "/" + folder, folder);
        pid_t pid = StartProgram(BRINDLEMARK_BINARY);
        ASSERT_GT(pid, 0);
        bool atMenu = WaitForMenu(service, 60);
        auto sent = std::chrono::steady_clock::now();
        kill(pid, signal);
        ProgramResult r = WaitProgram(pid, 30, sent);
        ASSERT_TRUE(atMenu) << "signal " << signal << ": the menu never came";
        ASSERT_TRUE(r.exited) << "signal " << signal << " did not end the cabinet";
        EXPECT_EQ(r.status, 0) << "signal " << signal;
        // A generous bound: the figure itself is printed (the menu ends within its next poll).
        EXPECT_LT(r.seconds, 5.0) << "signal " << signal;
        std::printf("signal %d at the menu: ended with %d after %.3f s\n", signal, r.status,
                    r.seconds);
        std::string log = ReadText("~system/logs/Brindlemark.txt");
        EXPECT_NE(log.find("Asked to end by signal " + std::to_string(signal)), std::string::npos)
            << log;
        ASSERT_GE(log.size(), 14u);
        EXPECT_EQ(log.substr(log.size() - 13), "Closing log\r\n") << log;
        for (int i = 0; i < 200 && !service.clientClosed(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::string received = service.received();
        ASSERT_GE(received.size(), 6u);
        EXPECT_EQ(received.substr(received.size() - 6), "TERM\r\n") << "signal " << signal;
        EXPECT_EQ(received.find("CUSE"), std::string::npos);
    }
}

TEST(Signals, TheKioskUnitsStopEndsTheCabinetCleanly) {
    if (!std::filesystem::exists("/run/systemd/system"))
        GTEST_SKIP() << "systemd is not running here: the signals were sent to the process";
    FakeCreditService service(6667, EmptyCabinet);
    if (!service.ok()) GTEST_SKIP() << "port 6667 is taken";
    ScratchDir dir;
    for (const char* folder : {"Graphic_resource", "sounds", "Questions"})
        std::filesystem::create_directory_symlink(std::string(BRINDLEMARK_STAGE_DIR) + "/" + folder,
                                                  folder);
    std::string unit = "brindlemark-signal-test-" + std::to_string(getpid());
    std::string start = "systemd-run --unit=" + unit +
                        " --property=RemainAfterExit=yes --setenv=SDL_VIDEODRIVER=dummy"
                        " --setenv=SDL_AUDIODRIVER=dummy --working-directory=" +
                        dir.path().string() + " " + BRINDLEMARK_BINARY;
    ASSERT_EQ(std::system(start.c_str()), 0);
    ASSERT_TRUE(WaitForMenu(service, 60));
    ASSERT_EQ(std::system(("systemctl stop " + unit).c_str()), 0);
    std::string log = ReadText("~system/logs/Brindlemark.txt");
    EXPECT_NE(log.find("Asked to end by signal 15"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 13), "Closing log\r\n") << log;
    std::system(("systemctl reset-failed " + unit + " 2>/dev/null").c_str());
}
}  // namespace
