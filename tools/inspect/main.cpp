// Shows how the cabinet reads one file, through the program's own loaders.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "commands.h"

namespace {
struct Command {
    std::string usage;
    InspectHandler handler;
};

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

int Usage() {
    std::fprintf(stderr, "usage:\n");
    for (const auto& [name, command] : Commands())
        std::fprintf(stderr, "  brindlemark-inspect %s %s\n", name.c_str(), command.usage.c_str());
    return 2;
}
}  // namespace

bool RegisterInspectCommand(const char* name, const char* usage, InspectHandler handler) {
    Commands()[name] = Command{usage, handler};
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    auto it = Commands().find(argv[1]);
    if (it == Commands().end()) return Usage();
    return it->second.handler(std::vector<std::string>(argv + 2, argv + argc));
}
