// The terminal, for programs that ask their user for a secret.
#pragma once
#include <string>

// True when standard input is a terminal.
bool StandardInputIsTerminal();
// Reads one line from standard input without its line end; on a terminal the prompt is written
// to standard error and what is typed is not shown. False at the end of input.
bool ReadSecretLine(const char* prompt, std::string* line);
