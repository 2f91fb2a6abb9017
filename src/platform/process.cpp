#include "platform/process.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// In the child: points descriptor `target` at the file, or leaves it when no path is given.
void RedirectTo(const std::string& path, int target) {
    if (path.empty()) return;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) _exit(127);
    if (dup2(fd, target) < 0) _exit(127);
}
}  // namespace

ProcessId StartProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                       const std::string& errorPath) {
    if (argv.empty()) return NoProcess;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) return NoProcess;
    if (pid == 0) {
        RedirectTo(outputPath, STDOUT_FILENO);
        RedirectTo(errorPath, STDERR_FILENO);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void KillProcessHard(ProcessId process) {
    if (process > 0) kill(process, SIGKILL);
}

void StopProcess(ProcessId process) {
    if (process > 0) kill(process, SIGTERM);
}

namespace {
int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}
}  // namespace

int WaitProcess(ProcessId process) {
    if (process <= 0) return -1;
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(process, &status, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) return -1;
    return ExitCodeOf(status);
}

bool ProcessEnded(ProcessId process, int* exitCode) {
    if (process <= 0) return true;
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(process, &status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc == 0) return false;
    *exitCode = rc < 0 ? -1 : ExitCodeOf(status);
    return true;
}

bool PinToProcessor(int processor) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    return sched_setaffinity(0, sizeof set, &set) == 0;
}
