// brindlemark-credit: the cabinet's credit service, and the operator's commands for it.
#include <string>
#include <vector>

#include "operator.h"

int main(int argc, char** argv) {
    if (argc < 2) return PrintUsage("no command given");
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "serve") return RunServe(args);
    if (command == "insert") return RunInsert(args);
    if (command == "show") return RunShow(args);
    if (command == "payout") return RunPayout(args);
    if (command == "ledger") return RunLedger(args);
    return PrintUsage(("unknown command \"" + command + "\"").c_str());
}
