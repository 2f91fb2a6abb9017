#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

bool StandardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

bool ReadSecretLine(const char* prompt, std::string* line) {
    bool terminal = StandardInputIsTerminal();
    termios old{};
    if (terminal) {
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &old);
        termios quiet = old;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    bool got = static_cast<bool>(std::getline(std::cin, *line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
        std::fputs("\n", stderr);
    }
    if (got && !line->empty() && line->back() == '\r') line->pop_back();
    return got;
}
