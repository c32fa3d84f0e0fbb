#pragma once
// The terminal the command-line programs write to.

// True when standard output is an interactive terminal (progress lines are then rewritten
// in place). On Windows the console is also switched to UTF-8 output.
bool StdoutIsTerminal();
