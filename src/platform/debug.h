// Debug output and the failure message box.
#pragma once

// The system's debug output: standard error.
void OutputDebugText(const char* text);

// A failure message box that never blocks: writes title and text to standard error and to the
// sink (the log, once it is open).
void ShowFailureMessage(const char* text, const char* title);
using MessageSink = void (*)(const char* title, const char* text);
void SetFailureMessageSink(MessageSink sink);
