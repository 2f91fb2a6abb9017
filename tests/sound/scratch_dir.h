// A fresh working folder for one test, entered on construction and left (and removed) at the end.
#pragma once
#include <filesystem>
#include <string>

#include <unistd.h>

class ScratchDir {
  public:
    explicit ScratchDir(const std::string& tag) {
        old_ = std::filesystem::current_path();
        path_ = std::filesystem::temp_directory_path() /
                ("bm_" + tag + "_" + std::to_string(getpid()) + "_" + std::to_string(counter_++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_ / "sounds");
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::filesystem::current_path(old_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    static inline int counter_ = 0;
    std::filesystem::path old_, path_;
};
