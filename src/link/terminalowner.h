#pragma once
#include <string>

namespace tarvex {

// The PID of a process whose controlling terminal the pseudo-terminal at path (links followed)
// is: a shell's terminal, not an instrument's line. 0 when it is none, or no pseudo-terminal.
int TerminalOwner(const std::string& path);

} // namespace tarvex
