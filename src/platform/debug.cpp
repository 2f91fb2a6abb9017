#include "platform/debug.h"

#include <cstdio>

namespace {
MessageSink gSink = nullptr;
}

void OutputDebugText(const char* text) {
    if (!text) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void ShowFailureMessage(const char* text, const char* title) {
    std::fprintf(stderr, "[%s] %s\n", title ? title : "", text ? text : "");
    std::fflush(stderr);
    if (gSink) gSink(title ? title : "", text ? text : "");
}

void SetFailureMessageSink(MessageSink sink) {
    gSink = sink;
}
