// The run's log: "~system/logs/Brindlemark.txt", every message stamped and flushed at once.
#pragma once

constexpr const char* LogPath = "~system/logs/Brindlemark.txt";
constexpr const char* ProgramVersion = "1.0.0.1";

// Makes "~system", "~system/logs" and "~system/upload"; 0 when all three exist, else -1.
int MakeSystemFolders();
// Opens the log (replacing the last run's) and writes the start line; 0, or -1.
int OpenLog();
// Writes one stamped message; 0 always. Does nothing when the log is not open.
int WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Closes the log; 0, or -1 when none was open.
int CloseLog();
bool LogIsOpen();
