#pragma once
#include <string>

namespace tarvex {

// Where the port code looks at the system: the sysfs root (console device, UART type of
// ttyS ports), the kernel command line, the device folder, the folder of UUCP lock files and the
// process table (whose controlling terminal a pseudo-terminal is).
// Tests point them at a fake tree.
struct SystemPaths {
    std::string sysRoot = "/sys";
    std::string kernelCmdline = "/proc/cmdline";
    std::string devRoot = "/dev";
    std::string lockDir = "/var/lock";
    std::string procRoot = "/proc";
};

// The paths in force. Any thread; install before the threads that open ports start.
const SystemPaths& CurrentSystemPaths();
// Installs paths for a test; SetSystemPaths(SystemPaths{}) restores the real ones.
void SetSystemPaths(const SystemPaths& paths);

} // namespace tarvex
