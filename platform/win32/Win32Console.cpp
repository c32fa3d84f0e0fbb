#include <io.h>
#include <windows.h>
#include <cstdio>

#include "platform/Console.h"

bool StdoutIsTerminal() {
    SetConsoleOutputCP(CP_UTF8);
    return _isatty(_fileno(stdout)) != 0;
}
