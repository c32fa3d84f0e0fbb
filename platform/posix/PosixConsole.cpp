#include <unistd.h>

#include "platform/Console.h"

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }
