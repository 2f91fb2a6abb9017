// Runs a program of the system as a child process in the current directory, over the dummy SDL
// drivers, and waits for it with a time limit.
#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "platform/process.h"

struct ProgramResult {
    bool exited = false;  // false: killed after the time limit
    int status = -1;      // exit code, or 128 + the signal that ended it
    double seconds = 0;
};

// Starts the program; `environment` holds NAME=VALUE settings given on top (they stay set in
// this process too). Its output is inherited. Returns NoProcess on failure.
ProcessId StartProgram(const std::string& path, const std::vector<std::string>& args = {},
                       const std::vector<std::string>& environment = {});
// Waits for a started program's end, killing it after the time limit; `seconds` counts from
// `since`.
ProgramResult WaitProgram(ProcessId process, double limitSeconds,
                          std::chrono::steady_clock::time_point since);
ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args = {},
                         double limitSeconds = 10,
                         const std::vector<std::string>& environment = {});
