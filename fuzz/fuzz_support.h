// Shared pieces of the fuzz harnesses: the entry point's name, a reader of the fuzzer's bytes,
// and the working folder and display that the program's own loaders expect.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Each harness defines its entry with FUZZ_TARGET(name). Built for libFuzzer it is the fuzzer's
// entry point; built into the replay test every harness keeps its own name.
#ifdef BRINDLEMARK_FUZZ_REPLAY
#define FUZZ_TARGET(name) int name##FuzzOne(const uint8_t* data, size_t size)
#else
#define FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
#endif

// Takes numbers and byte runs from the front of the fuzzer's input; past its end every number
// reads as 0 and every run as empty.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t U32() { return static_cast<uint32_t>(U16()) | (static_cast<uint32_t>(U16()) << 16); }
    // Up to `most` of the next bytes.
    std::string_view Take(size_t most);
    // Everything that is left.
    std::string_view Rest() { return Take(size_ - used_); }
    size_t Left() const { return size_ - used_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

// Once per process: a fresh working folder held in memory becomes the current directory, with
// the program's three folders made in it.
void EnterFuzzFolder();
// Writes the bytes as the file at the program's path (folders made as needed).
void WriteFuzzFile(const char* path, const void* data, size_t size);
// Links a staged file or folder (the build's working directory) into the fuzz folder at the
// same path; false when the build has not staged it.
bool LinkStaged(const char* path);
// The headless display at depth 32, 24 or 16 with the virtual clock; brought up again only
// when the depth changes or it went down.
void FuzzDisplayAt(int depth);
