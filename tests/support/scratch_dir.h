// A fresh, empty working directory for a test, removed afterwards.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>

class ScratchDir {
  public:
    ScratchDir() {
        char pattern[] = "/tmp/brindlemark-test-XXXXXX";
        path_ = mkdtemp(pattern);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::filesystem::current_path(old_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_, old_;
};
