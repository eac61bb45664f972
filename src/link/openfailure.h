#pragma once
#include <QString>

#include <string>

namespace tarvex {

// Why a port did not open, told to the operator under "串口打开失败".
struct OpenFailure {
    enum Cause {
        None,
        NoDevice,     // nothing behind the port name
        NoPermission, // the device exists but this user may not open it
        Busy,         // another program holds the port
        Settings,     // the driver refused the settings or did not set the baud rate asked for
        Terminal,     // a pseudo-terminal that is a process's controlling terminal
    };
    Cause cause = None;
    std::string device;   // the device path, where one was found
    std::string group;    // NoPermission: the group that owns the device
    int ownerPid = 0;     // Busy: the process named by the lock file, 0 when unknown;
                          // Terminal: the process whose terminal it is
    std::string lockFile; // Busy: the lock file that holds the port, where one does
    int baud = 0;         // Settings: the rate asked for

    // The second line of the operator's message; empty for None.
    QString Text() const;
};

// The failure of the latest open attempt on the calling thread (the termios opener sets it).
OpenFailure& LastOpenFailure();

} // namespace tarvex
