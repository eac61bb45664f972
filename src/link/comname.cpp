#include "comname.h"

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>

namespace tarvex {
namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// "COM7" or "\\.\COM12" -> 7 / 12; 0 for anything else.
int PortNumber(std::string_view name)
{
    constexpr std::string_view kNamespace = "\\\\.\\";
    if (name.starts_with(kNamespace))
        name.remove_prefix(kNamespace.size());
    if (!name.starts_with("COM") || name.size() == 3)
        return 0;
    int number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9' || number > 9999)
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

} // namespace

std::string ComDeviceName(int port)
{
    std::string name = "COM" + std::to_string(port);
    return port >= 10 ? "\\\\.\\" + name : name;
}

std::string PortFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return std::string(config) + "/tarvex/ports";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/tarvex/ports";
}

std::string ResolveComDevice(const std::string& name)
{
    const int number = PortNumber(name);
    if (number < 1)
        return {};
    const std::string index = std::to_string(number - 1);
    const std::string candidates[] = {
        PortFolder() + "/COM" + std::to_string(number),
        "/dev/ttyUSB" + index,
        "/dev/ttyACM" + index,
        "/dev/ttyS" + index,
    };
    for (const std::string& path : candidates) {
        if (Exists(path))
            return path;
    }
    return {};
}

} // namespace tarvex
