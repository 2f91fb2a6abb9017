// Child processes, for the tools and tests that run other programs of the system: start one with
// its output sent to files, stop it gently or hard, and wait for its end.
#pragma once
#include <string>
#include <vector>

using ProcessId = int;
constexpr ProcessId NoProcess = -1;

// Starts argv[0] (a path) with the arguments that follow; its standard output and standard error
// go to the files named (created or replaced; empty: inherited). NoProcess on failure.
ProcessId StartProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                       const std::string& errorPath);
// Ends the process at once, as a power cut would end it (no clean-up of any kind).
void KillProcessHard(ProcessId process);
// Asks the process to end.
void StopProcess(ProcessId process);
// Waits for the process to end: its exit code, or 128 + the signal that ended it, or -1.
int WaitProcess(ProcessId process);
// Without waiting: true once the process has ended, with its code as WaitProcess gives it.
bool ProcessEnded(ProcessId process, int* exitCode);
// Keeps this process (and the children it starts afterwards) on one processor; false on failure.
bool PinToProcessor(int processor);
