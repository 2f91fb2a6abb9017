// Scratch folders for tests, and files read or written whole.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh, empty folder under the system's temporary folder, removed at the end.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name = "test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Leaves the folder in place at the end, for a failed test's files to be looked at.
    void Keep() { keep_ = true; }

  private:
    std::filesystem::path path_;
    bool keep_ = false;
};

// A scratch folder that is the working directory while it lives.
class ScratchDir : public ScratchFolder {
  public:
    ScratchDir();
    ~ScratchDir();

  private:
    std::filesystem::path old_;
};

// Reads a whole file as bytes in a string ("" when missing).
std::string ReadText(const std::string& path);
// Reads a whole file as bytes (none when missing).
std::vector<uint8_t> ReadBytes(const std::string& path);
// Writes the bytes as the whole file; false when it cannot be written.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
