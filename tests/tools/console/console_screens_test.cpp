// Every page of the console in headless Chromium at a laptop's and a phone's width. Chromium
// cannot be handed a cookie on its command line, so it browses through a small proxy of the
// test's own that adds the cookie of a session signed in through the real sign-in form: the
// console is unchanged and has no way in for tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "support/capture.h"
#include "support/console_rig.h"

namespace {
class CookieProxy {
  public:
    CookieProxy(int consolePort, std::string cookie)
        : upstream_("127.0.0.1", consolePort), cookie_(std::move(cookie)) {
        auto forward = [this](const httplib::Request& req, httplib::Response& res) {
            httplib::Headers headers{{"Cookie", cookie_}};
            std::string target = req.target;
            httplib::Result r = upstream_.Get(target.c_str(), headers);
            if (!r) {
                res.status = 502;
                return;
            }
            res.status = r->status;
            for (const auto& [k, v] : r->headers)
                if (k != "Content-Length" && k != "Transfer-Encoding" && k != "Keep-Alive" &&
                    k != "Connection")
                    res.set_header(k, v);
            res.body = r->body;
        };
        server_.Get(".*", forward);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~CookieProxy() {
        server_.stop();
        thread_.join();
    }
    int port() const { return port_; }

  private:
    httplib::Client upstream_;
    std::string cookie_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// One Chromium taking one picture, each with a new, empty profile. A start takes several seconds
// of waiting (little of it on the processor), so the pictures are taken a few at a time.
struct Shot {
    std::string url, png;
    int width = 0, height = 0;
    ProcessId process = NoProcess;
    std::string log;
};

void StartShot(Shot& shot, const std::string& scratch, int n) {
    std::string profile = scratch + "/profile-" + std::to_string(n);
    shot.log = scratch + "/chromium-" + std::to_string(n) + ".log";
    std::filesystem::remove_all(profile);
    std::filesystem::create_directories(profile);
    std::filesystem::remove(shot.png);
    shot.process = StartProcess(
        {"/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--hide-scrollbars", "--user-data-dir=" + profile,
         "--screenshot=" + shot.png,
         "--window-size=" + std::to_string(shot.width) + "," + std::to_string(shot.height),
         shot.url},
        shot.log, shot.log);
}

// Waits for the picture (Chromium says when it is written), then ends Chromium.
bool FinishShot(Shot& shot) {
    if (shot.process == NoProcess) return false;
    bool written = false;
    for (int i = 0; i < 600 && !written; ++i) {
        written = ReadText(shot.log).find("bytes written to file") != std::string::npos;
        if (!written) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    StopProcess(shot.process);
    WaitProcess(shot.process);
    return written && std::filesystem::exists(shot.png) &&
           std::filesystem::file_size(shot.png) > 2000;
}

TEST(ConsoleScreens, EveryPageAtALaptopAndAPhoneWidth) {
    if (!std::filesystem::exists("/usr/bin/chromium")) GTEST_SKIP() << "no chromium";
    ConsoleRig rig("console-screens");
    ASSERT_TRUE(rig.started()) << rig.Log();
    // A few games of play, a coin, a prize and a cash collection to show.
    Captured sim = CaptureCommand(std::string(SIM_TOOL) + " --stage " + BRINDLEMARK_STAGE_DIR +
                                  " --games 30 --seed 5 --skill 0.9 --cash-out 600 --port " +
                                  std::to_string(rig.service().port()) + " --folder " +
                                  rig.cabinet() + " 2>&1");
    ASSERT_EQ(sim.status, 0) << sim.out;
    RawClient game(rig.service().port());
    ASSERT_TRUE(game.Send("BADD,1200\r\n"));
    ASSERT_EQ(game.Receive(), "BTEL,1200\r");
    ASSERT_EQ(
        RunCreditCommand({"payout", "--port", std::to_string(rig.service().port())}, rig.folder())
            .exitCode,
        0);
    ASSERT_TRUE(game.Send("BADD,300\r\n"));
    ASSERT_EQ(game.Receive(), "BTEL,300\r");
    // Until the cabinet keeps a recall of its own, games in the recall's documented format.
    if (!std::filesystem::exists(rig.cabinet() + "/data/recall")) {
        const char* statements[] = {"The Thames flows through Oxford.",
                                    "A hexagon has seven sides.", "Mercury is a planet."};
        for (long seq = 1; seq <= 30; ++seq)
            WriteRecalledGame(rig.cabinet(), seq, static_cast<int>(seq % 4),
                              seq % 3 == 0 ? static_cast<int>(seq % 4) : 0, statements[seq % 3]);
    }

    ConsoleClient op(rig.port());
    ASSERT_EQ(op.SignIn(OperatorPassword), 303);
    CookieProxy proxy(rig.port(), op.cookie);
    std::string base = "http://127.0.0.1:" + std::to_string(proxy.port());
    std::filesystem::create_directories(SCREENSHOT_DIR);

    // The sign-in page is taken straight from the console, without the cookie.
    const std::pair<const char*, std::string> pages[] = {
        {"login", "http://127.0.0.1:" + std::to_string(rig.port()) + "/login"},
        {"overview", base + "/"},
        {"meters", base + "/meters"},
        {"money", base + "/money?period=day"},
        {"games", base + "/games"},
        {"events", base + "/events"},
        {"actions", base + "/actions"},
    };
    std::vector<Shot> shots;
    for (const auto& [name, url] : pages)
        for (const auto& [size, w, h] : {std::tuple{"laptop", 1280, 1000}, {"phone", 390, 1700}}) {
            // The money page shows its report below the ledger: taken at its full length.
            int tall = std::string(name) == "money" ? h * 3 : h;
            Shot shot;
            shot.url = url;
            shot.png = std::string(SCREENSHOT_DIR) + "/" + name + "-" + size + ".png";
            shot.width = w, shot.height = tall;
            shots.push_back(shot);
        }
    const size_t together = 4;
    for (size_t first = 0; first < shots.size(); first += together) {
        size_t end = std::min(shots.size(), first + together);
        for (size_t i = first; i < end; ++i)
            StartShot(shots[i], rig.folder().path().string(), static_cast<int>(i));
        for (size_t i = first; i < end; ++i)
            EXPECT_TRUE(FinishShot(shots[i])) << shots[i].png << "\n" << ReadText(shots[i].log);
    }
    // Chromium's requests went through the signed-in session: the console saw no sign-in page
    // request through the proxy, and logged no refusal.
    EXPECT_EQ(rig.Log().find("refused"), std::string::npos) << rig.Log();
}
}  // namespace
