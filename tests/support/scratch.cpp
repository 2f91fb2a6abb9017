#include "support/scratch.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& name) {
    std::string pattern =
        (fs::temp_directory_path() / ("brindlemark-" + name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return;
    path_ = pattern;
    // Readable by others, as an ordinary folder: services started as their own user (the
    // private PostgreSQL cluster) work inside it.
    fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty() && !keep_) fs::remove_all(path_, ignored);
}

ScratchDir::ScratchDir() : old_(fs::current_path()) {
    fs::current_path(path());
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::current_path(old_, ignored);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}
