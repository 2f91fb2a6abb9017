// brindlemark-inspect: each kind of file (image, sprite, font, mp3, wav) is a subcommand that
// registers itself from its own source file.
#pragma once
#include <string>
#include <vector>

using InspectHandler = int (*)(const std::vector<std::string>& args);

// Registers a subcommand; used as the initialiser of a file-level constant.
bool RegisterInspectCommand(const char* name, const char* usage, InspectHandler handler);
