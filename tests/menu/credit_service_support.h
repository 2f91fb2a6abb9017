// A real credit service for a test: brindlemark-credit serving a scratch database on a free
// loopback port, the game's link connected to it, and the operator's commands run against it.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/process.h"

class CreditServiceForTest {
  public:
    CreditServiceForTest();
    ~CreditServiceForTest();
    bool ok() const { return ok_; }
    uint16_t port() const { return port_; }
    // Runs `brindlemark-credit args...` (with --port or --db added as the command needs) and
    // returns its exit code; its standard output is kept in output().
    int Run(const std::vector<std::string>& args);
    const std::string& output() const { return output_; }
    // A coin: `brindlemark-credit insert pence`.
    bool Insert(int pence) { return Run({"insert", std::to_string(pence)}) == 0; }

  private:
    std::filesystem::path dir_;
    uint16_t port_ = 0;
    ProcessId process_ = NoProcess;
    bool ok_ = false;
    std::string output_;
};
