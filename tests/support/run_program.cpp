#include "support/run_program.h"

#include <stdlib.h>

#include <thread>

ProcessId StartProgram(const std::string& path, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment) {
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const auto& setting : environment) {
        size_t eq = setting.find('=');
        if (eq != std::string::npos)
            setenv(setting.substr(0, eq).c_str(), setting.substr(eq + 1).c_str(), 1);
    }
    return StartProcess(argv, "", "");
}

ProgramResult WaitProgram(ProcessId process, double limitSeconds,
                          std::chrono::steady_clock::time_point since) {
    ProgramResult result;
    if (process == NoProcess) return result;
    for (;;) {
        bool ended = ProcessEnded(process, &result.status);
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
        if (ended) break;
        if (result.seconds > limitSeconds) {
            KillProcessHard(process);
            WaitProcess(process);
            result.status = -1;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.exited = true;
    return result;
}

ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                         double limitSeconds, const std::vector<std::string>& environment) {
    auto start = std::chrono::steady_clock::now();
    return WaitProgram(StartProgram(path, args, environment), limitSeconds, start);
}
