#include "comname.h"

#include "systempaths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>
#include <sys/stat.h>

namespace tarvex {
namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// "COM7" or "\\.\COM12" -> 7 / 12; 0 for anything else.
int PortNumber(std::string_view name) {
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

// The tty names the kernel writes its console to: the active list of sysfs and every
// console= of the command line ("console=ttyS0,115200n8" -> ttyS0).
std::set<std::string> ConsoleDevices() {
    const SystemPaths& paths = CurrentSystemPaths();
    std::set<std::string> names;
    std::string word;
    std::ifstream active(paths.sysRoot + "/class/tty/console/active");
    while (active >> word)
        names.insert(word);
    std::ifstream cmdline(paths.kernelCmdline);
    while (cmdline >> word) {
        if (word.starts_with("console="))
            names.insert(word.substr(8, word.find(',') - 8)); // npos - 8 still means "to the end"
    }
    return names;
}

// A ttyS port whose driver found no UART reports port type 0 (unknown); opening it works but
// nothing ever answers.
bool UartMissing(const std::string& name) {
    if (!name.starts_with("ttyS"))
        return false;
    std::ifstream type(CurrentSystemPaths().sysRoot + "/class/tty/" + name + "/type");
    int value = -1;
    return (type >> value) && value == 0;
}

// The device name under /dev of a path, links followed ("/dev/ttyS0" -> "ttyS0").
std::string DeviceName(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return (error ? std::filesystem::path(path) : real).filename().string();
}

bool LeadsNowhere(const std::string& path, const std::set<std::string>& consoles) {
    const std::string name = DeviceName(path);
    return consoles.count(name) > 0 || UartMissing(name);
}

} // namespace

std::string ComDeviceName(int port) {
    std::string name = "COM" + std::to_string(port);
    return port >= 10 ? "\\\\.\\" + name : name;
}

std::string PortFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return std::string(config) + "/tarvex/ports";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/tarvex/ports";
}

std::string ResolveComDevice(const std::string& name) {
    const int number = PortNumber(name);
    if (number < 1)
        return {};
    const std::string index = std::to_string(number - 1);
    const std::string dev = CurrentSystemPaths().devRoot;
    const std::string candidates[] = {
        PortFolder() + "/COM" + std::to_string(number),
        dev + "/ttyUSB" + index,
        dev + "/ttyACM" + index,
        dev + "/ttyS" + index,
    };
    const std::set<std::string> consoles = ConsoleDevices();
    for (const std::string& path : candidates) {
        if (Exists(path) && !LeadsNowhere(path, consoles))
            return path;
    }
    return {};
}

} // namespace tarvex
