#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "display/display.h"
#include "display/resource_images.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/display_device.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace fs = std::filesystem;

std::string_view FuzzInput::Take(size_t most) {
    size_t n = most < size_ - used_ ? most : size_ - used_;
    std::string_view run(reinterpret_cast<const char*>(data_) + used_, n);
    used_ += n;
    return run;
}

void EnterFuzzFolder() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    std::string folder = MakeMemoryFolder("brindlemark-fuzz");
    if (folder.empty()) std::abort();
    fs::current_path(folder);
    for (const char* dir : {"data", "~system", "~system/logs", "Graphic_resource", "sounds"})
        fs::create_directories(dir);
    SelectBackend(Backend::Headless);
    HeadlessResetInput();
    ClockUseVirtual(1000, 1);
}

void WriteFuzzFile(const char* path, const void* data, size_t size) {
    fs::path file = TranslatePath(path);
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) std::abort();
    if (size) std::fwrite(data, 1, size, out);
    std::fclose(out);
}

bool LinkStaged(const char* path) {
#ifdef BRINDLEMARK_STAGE_DIR
    const fs::path stage = BRINDLEMARK_STAGE_DIR;
    const fs::path from = stage / TranslatePath(path);
    std::error_code e;
    if (!fs::exists(from, e)) return false;
    // Each file on its own, into the folders that are already there.
    std::vector<fs::path> files;
    if (fs::is_directory(from, e)) {
        for (const auto& entry : fs::recursive_directory_iterator(from, e))
            if (entry.is_regular_file()) files.push_back(entry.path());
    } else {
        files.push_back(from);
    }
    for (const fs::path& file : files) {
        const fs::path to = fs::relative(file, stage);
        if (fs::exists(fs::symlink_status(to, e))) continue;
        if (to.has_parent_path()) fs::create_directories(to.parent_path(), e);
        fs::create_symlink(file, to, e);
        if (e) return false;
    }
    return true;
#else
    return false;
#endif
}

void FuzzDisplayAt(int depth) {
    static int up = 0;
    if (up == depth && DisplayIsUp()) return;
    // Pictures decoded for another depth are decoded again for this one.
    ReleaseResourceImages();
    ShutdownDisplay();
    ResetDisplayDeviceFaults();
    for (int d = 32; d > depth; d -= 8) RefuseDisplayMode(d, DDERR_INVALIDMODE);
    if (!InitDisplay() || DisplayDepth() != depth) std::abort();
    up = depth;
}
