// The operator's commands: a coin or note inserted, the balances shown, the bank paid out, the
// last changes listed.
#pragma once
#include <string>
#include <vector>

// Each takes the arguments after its own name and returns the process exit code: 0 done,
// 1 failed (the service did not answer or refused), 2 a usage error.
int RunInsert(const std::vector<std::string>& args);
int RunShow(const std::vector<std::string>& args);
int RunPayout(const std::vector<std::string>& args);
int RunLedger(const std::vector<std::string>& args);
int RunServe(const std::vector<std::string>& args);
// Prints how the commands are used, and returns 2.
int PrintUsage(const char* problem);
// Pence as the operator reads them: "£12.05".
std::string Pounds(int64_t pence);
