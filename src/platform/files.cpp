#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

std::string TranslatePath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

FolderResult MakeFolder(const char* path) {
    std::string p = TranslatePath(path);
    if (mkdir(p.c_str(), 0777) == 0) return FolderResult::Made;
    if (errno == EEXIST) {
        struct stat st {};
        // A plain file in the folder's place is not an existing folder.
        if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FolderResult::AlreadyExists;
    }
    return FolderResult::Failed;
}

FILE* OpenFile(const char* path, const char* mode) {
    return std::fopen(TranslatePath(path).c_str(), mode);
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    // Room for the whole file at once: growing by chunks copies a large picture many times.
    struct stat st {};
    if (fstat(fileno(f), &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<size_t>(st.st_size));
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

int64_t FileSize(const char* path) {
    struct stat st {};
    if (stat(TranslatePath(path).c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool FileExists(const char* path) {
    return access(TranslatePath(path).c_str(), F_OK) == 0;
}

bool DeleteFileAt(const char* path) {
    return unlink(TranslatePath(path).c_str()) == 0;
}

bool ClearReadOnly(const char* path) {
    std::string p = TranslatePath(path);
    struct stat st {};
    if (stat(p.c_str(), &st) != 0) return false;
    return chmod(p.c_str(), st.st_mode | S_IWUSR) == 0;
}

bool FlushToDisk(FILE* file) {
    if (!file || std::fflush(file) != 0) return false;
    return fsync(fileno(file)) == 0;
}

bool WriteFileDurably(const char* path, std::string_view text) {
    FILE* f = OpenFile(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = FlushToDisk(f) && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool ReplaceFile(const char* from, const char* to) {
    std::string src = TranslatePath(from), dst = TranslatePath(to);
    if (rename(src.c_str(), dst.c_str()) != 0) return false;
    std::string folder = ".";
    if (auto slash = dst.find_last_of('/'); slash != std::string::npos)
        folder = dst.substr(0, slash);
    int fd = open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return true;
}

std::string MakeTemporaryFolder(const char* prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

std::string MakeMemoryFolder(const char* prefix) {
    std::string pattern = std::string("/dev/shm/") + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data())) return pattern;
    return MakeTemporaryFolder(prefix);
}
