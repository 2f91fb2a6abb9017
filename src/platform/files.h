// Files and folders: the program's paths use '\' (and sometimes '//') as folder separators and
// keep their case exactly.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The program's path with '\' turned into '/'; doubled separators are harmless and kept.
std::string TranslatePath(std::string_view path);

enum class FolderResult { Made, AlreadyExists, Failed };
FolderResult MakeFolder(const char* path);

// fopen on the translated path.
FILE* OpenFile(const char* path, const char* mode);
// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes);
// Size in bytes, or -1 when the file cannot be examined.
int64_t FileSize(const char* path);
bool FileExists(const char* path);
bool DeleteFileAt(const char* path);
// Makes the file writable by its owner (the counterpart of clearing a read-only attribute).
bool ClearReadOnly(const char* path);
// Flushes the stream and forces its bytes to the disk.
bool FlushToDisk(FILE* file);
// Writes `text` as the whole file, forced to the disk before it is closed; false when any step
// fails (what was written is then left as it is).
bool WriteFileDurably(const char* path, std::string_view text);
// Makes a new, empty folder under the system's temporary folder; its path, or empty on failure.
std::string MakeTemporaryFolder(const char* prefix);
// The same in a folder held in memory when the system has one (writes and flushes cost no disk
// time there), else in the temporary folder.
std::string MakeMemoryFolder(const char* prefix);
// Atomically replaces `to` with `from`, and makes the rename durable.
bool ReplaceFile(const char* from, const char* to);
