// Starts a program as a child process in the current directory and waits for it with a limit.
#pragma once
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

struct ProgramResult {
    bool exited = false;  // false: killed after the time limit
    int status = -1;      // exit status, 0..255
    double seconds = 0;
};

// Starts the program over the dummy SDL drivers; `environment` holds NAME=VALUE settings given
// on top. Returns its process id, or -1.
inline pid_t StartProgram(const std::string& path, const std::vector<std::string>& args = {},
                          const std::vector<std::string>& environment = {}) {
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const auto& setting : environment) {
        size_t eq = setting.find('=');
        if (eq != std::string::npos)
            setenv(setting.substr(0, eq).c_str(), setting.substr(eq + 1).c_str(), 1);
    }
    pid_t pid;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

// Waits for a started program's end, killing it after the time limit; `seconds` counts from
// `since`.
inline ProgramResult WaitProgram(pid_t pid, double limitSeconds,
                                 std::chrono::steady_clock::time_point since) {
    ProgramResult result;
    if (pid < 0) return result;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
        if (done == pid) break;
        if (result.seconds > limitSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.exited = WIFEXITED(status);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args = {},
                                double limitSeconds = 10,
                                const std::vector<std::string>& environment = {}) {
    auto start = std::chrono::steady_clock::now();
    return WaitProgram(StartProgram(path, args, environment), limitSeconds, start);
}
