#include "records/log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/debug.h"
#include "platform/files.h"
#include "platform/localtime.h"

namespace {
FILE* gLog = nullptr;

// The log is a text file: each "\n" is stored as CR LF.
void WriteText(const char* text) {
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') std::fputc('\r', gLog);
        std::fputc(*p, gLog);
    }
}

void LogFailureMessage(const char* title, const char* text) {
    WriteLog("%s: %s\n", title, text);
}
}  // namespace

int MakeSystemFolders() {
    int result = 0;
    for (const char* folder : {"~system", "~system/logs", "~system/upload"})
        if (MakeFolder(folder) == FolderResult::Failed) result = -1;
    return result;
}

int OpenLog() {
    if (gLog) std::fclose(gLog);
    gLog = OpenFile(LogPath, "wb");
    if (!gLog) return -1;
    SetFailureMessageSink(LogFailureMessage);
    WriteLog("Brindlemark Version %s - Start of Log\n\n", ProgramVersion);
    return 0;
}

int WriteLog(const char* format, ...) {
    if (!format || !gLog) return 0;
    LocalTime t = GetLocalTime();
    char text[1000];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d - ", t.day, t.month, t.year,
                  t.hour, t.minute, t.second);
    WriteText(text);
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);  // a longer message is cut at 999 characters
    va_end(args);
    WriteText(text);
    FlushToDisk(gLog);
    OutputDebugText(text);
    return 0;
}

int CloseLog() {
    if (!gLog) return -1;
    std::fclose(gLog);
    gLog = nullptr;
    SetFailureMessageSink(nullptr);
    return 0;
}

bool LogIsOpen() {
    return gLog != nullptr;
}
