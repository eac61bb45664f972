#pragma once
#include <string>

namespace tarvex {

// The device name of a port number: "COM9" for 1 to 9, the device-namespace form "\\.\COM10"
// for 10 and above.
std::string ComDeviceName(int port);

// The Linux device behind a port name, the first that exists of: the link COMn in the port
// folder ($XDG_CONFIG_HOME/tarvex/ports, default ~/.config/tarvex/ports), /dev/ttyUSB<n-1>,
// /dev/ttyACM<n-1>, /dev/ttyS<n-1>. The kernel's console and ttyS ports without a UART are
// skipped: they open, but no instrument can answer there. Empty when none is left or the name
// is not a COM name.
std::string ResolveComDevice(const std::string& name);

// The port folder above.
std::string PortFolder();

} // namespace tarvex
