// Runs a command line through the shell and captures its standard output and exit status.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct Captured {
    std::string out;
    int status = -1;
};

inline Captured CaptureCommand(const std::string& command) {
    Captured c;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return c;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) c.out.append(buf, n);
    int status = pclose(pipe);
    c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return c;
}
