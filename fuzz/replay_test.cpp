// Every fuzz harness run on its seed inputs (made from the staged files) and on every input it
// once failed on (committed under fuzz/regressions/), under the ordinary sanitised build. A
// harness ends the process on a fault, so a passing run is each input read without one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define HARNESS(name) int name##FuzzOne(const uint8_t* data, size_t size);
HARNESS(Images)
HARNESS(Sprites)
HARNESS(Wave)
HARNESS(Mp3)
HARNESS(Packs)
HARNESS(Audit)
HARNESS(Link)
HARNESS(Service)
HARNESS(Fonts)

namespace fs = std::filesystem;

namespace {
struct Harness {
    const char* folder;
    int (*run)(const uint8_t*, size_t);
};

// The inputs of a harness: its seeds and its regressions; the number fed.
size_t FeedAll(const Harness& h) {
    size_t fed = 0;
    for (const char* root : {FUZZ_SEEDS_DIR, FUZZ_REGRESSIONS_DIR}) {
        fs::path dir = fs::path(root) / h.folder;
        std::error_code e;
        if (!fs::is_directory(dir, e)) continue;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            SCOPED_TRACE(file.string());
            h.run(bytes.data(), bytes.size());
            ++fed;
        }
    }
    return fed;
}

class FuzzReplay : public ::testing::TestWithParam<Harness> {};
}  // namespace

TEST_P(FuzzReplay, EveryInputIsReadWithoutAFault) {
    EXPECT_GE(FeedAll(GetParam()), 3u) << "too few inputs for " << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(
    Readers, FuzzReplay,
    ::testing::Values(Harness{"images", ImagesFuzzOne}, Harness{"sprites", SpritesFuzzOne},
                      Harness{"wave", WaveFuzzOne}, Harness{"mp3", Mp3FuzzOne},
                      Harness{"packs", PacksFuzzOne}, Harness{"audit", AuditFuzzOne},
                      Harness{"link", LinkFuzzOne}, Harness{"service", ServiceFuzzOne},
                      Harness{"fonts", FontsFuzzOne}),
    [](const ::testing::TestParamInfo<Harness>& info) { return std::string(info.param.folder); });
