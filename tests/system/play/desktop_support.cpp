#include "desktop_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/png.h"
#include "support/capture.h"

extern char** environ;

namespace {
constexpr int DisplayFd = 3;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string NameOf(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// This process's environment with `env` set over it and the `unset` names removed.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& env,
                                          const std::vector<std::string>& unset) {
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = NameOf(entry);
        bool dropped = false;
        for (const std::string& u : unset) dropped = dropped || u == name;
        for (const std::string& s : env) dropped = dropped || NameOf(s) == name;
        if (!dropped) result.push_back(entry);
    }
    result.insert(result.end(), env.begin(), env.end());
    return result;
}
}  // namespace

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::string& dir,
                         const std::vector<std::string>& env, const std::vector<std::string>& unset,
                         const std::string& logPath, int extraFd) {
    std::vector<std::string> environment = ChildEnvironment(env, unset);
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    if (!logPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    if (extraFd >= 0) posix_spawn_file_actions_adddup2(&actions, extraFd, DisplayFd);
    int failed = posix_spawnp(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    reaped_ = false;
    if (failed != 0) pid_ = -1;
    return failed == 0;
}

bool ChildProcess::Running() {
    int status = 0;
    return Wait(0, status) == false && pid_ > 0;
}

bool ChildProcess::Wait(double seconds, int& status) {
    if (pid_ <= 0) return false;
    if (reaped_) {
        status = status_;
        return true;
    }
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        int raw = 0;
        pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            reaped_ = true;
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            status = status_;
            return true;
        }
        if (SecondsSince(start) >= seconds) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ChildProcess::Stop() {
    int status = 0;
    if (pid_ <= 0 || Wait(0, status)) return;
    kill(pid_, SIGTERM);
    if (Wait(1.0, status)) return;
    kill(pid_, SIGKILL);
    Wait(5.0, status);
}

bool ParsePpm(const std::string& bytes, Screenshot& shot, std::string& error) {
    // Header: "P6", width, height, maxval, each after white space, then one white-space byte.
    size_t at = 0;
    auto word = [&](std::string& out) {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        out = bytes.substr(start, at - start);
        return !out.empty();
    };
    std::string magic, w, h, maxval;
    if (!word(magic) || magic != "P6" || !word(w) || !word(h) || !word(maxval)) {
        error = "not a binary PPM picture";
        return false;
    }
    int width = std::atoi(w.c_str()), height = std::atoi(h.c_str()),
        max = std::atoi(maxval.c_str());
    if (width <= 0 || height <= 0 || width > 10000 || height > 10000 ||
        (max != 255 && max != 65535)) {
        error = "PPM header out of range: " + w + " x " + h + ", maxval " + maxval;
        return false;
    }
    ++at;
    size_t sample = max == 255 ? 1 : 2;
    size_t need = static_cast<size_t>(width) * static_cast<size_t>(height) * 3 * sample;
    if (bytes.size() < at + need) {
        error = "PPM picture cut short";
        return false;
    }
    shot.width = width;
    shot.height = height;
    shot.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < shot.rgb.size(); ++i)
        shot.rgb[i] = static_cast<uint8_t>(bytes[at + i * sample]);  // high byte first in 16-bit
    return true;
}

bool SaveScreenshot(const Screenshot& shot, const std::string& path) {
    std::vector<uint8_t> rgba(static_cast<size_t>(shot.width) * static_cast<size_t>(shot.height) *
                              4);
    for (size_t i = 0, o = 0; i < shot.rgb.size(); i += 3, o += 4) {
        rgba[o] = shot.rgb[i];
        rgba[o + 1] = shot.rgb[i + 1];
        rgba[o + 2] = shot.rgb[i + 2];
        rgba[o + 3] = 255;
    }
    return WritePng(path, rgba, shot.width, shot.height);
}

VirtualDesktop::VirtualDesktop(int width, int height) : width_(width), height_(height) {
    for (const char* tool : {"Xvfb", "xdotool", "import"}) {
        if (!OnPath(tool)) {
            why_ = std::string(tool) + " is not installed";
            return;
        }
    }
    int fds[2];
    if (pipe(fds) != 0) {
        why_ = "no pipe for the X server's display number";
        return;
    }
    bool started = server_.Start({"Xvfb", "-displayfd", std::to_string(DisplayFd), "-screen", "0",
                                  std::to_string(width) + "x" + std::to_string(height) + "x24",
                                  "-nolisten", "tcp", "-noreset"},
                                 "", {}, {}, "/dev/null", fds[1]);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        why_ = "Xvfb did not start";
        return;
    }
    // The server writes its display number once it accepts clients.
    std::string number;
    auto start = std::chrono::steady_clock::now();
    while (SecondsSince(start) < 20) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1) break;
            if (c == '\n') break;
            number += c;
        }
        if (!server_.Running()) break;
    }
    close(fds[0]);
    if (number.empty() || !server_.Running()) {
        why_ = "Xvfb could not open a display";
        server_.Stop();
        return;
    }
    display_ = ":" + number;
}

VirtualDesktop::~VirtualDesktop() {
    windowManager_.Stop();
    server_.Stop();
}

bool VirtualDesktop::StartWindowManager(const std::string& program) {
    if (!OnPath(program) ||
        !windowManager_.Start({program}, "", {"DISPLAY=" + display_}, {}, "/dev/null"))
        return false;
    // A window manager takes the screen's root window in its first moments; one that cannot
    // (another holds it, the display refused it) ends at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return windowManager_.Running();
}

bool VirtualDesktop::Touch(int x, int y) {
    return CaptureCommand("DISPLAY=" + display_ + " xdotool mousemove " + std::to_string(x) + " " +
                          std::to_string(y) + " click 1")
               .status == 0;
}

bool VirtualDesktop::Capture(Screenshot& shot) {
    Captured screen =
        CaptureCommand("DISPLAY=" + display_ + " import -window root -depth 8 ppm:- 2>/dev/null");
    if (screen.status != 0) {
        why_ = "import could not read the screen";
        return false;
    }
    return ParsePpm(screen.out, shot, why_);
}
