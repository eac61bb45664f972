#include "terminalowner.h"

#include "systempaths.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace tarvex {
namespace {

constexpr unsigned kFirstPtySlaveMajor = 136; // Unix98 pty slaves: majors 136 to 143
constexpr unsigned kPtySlaveMajors = 8;

// Field tty_nr of /proc/<pid>/stat (the kernel's encoding of the device number); 0 when none.
long ControllingTtyNumber(const std::filesystem::path& statFile) {
    std::ifstream in(statFile);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t nameEnd = text.rfind(')'); // the command name may hold spaces and ')'
    if (nameEnd == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(nameEnd + 1));
    std::string state;
    long ppid = 0, pgrp = 0, session = 0, ttyNr = 0;
    fields >> state >> ppid >> pgrp >> session >> ttyNr;
    return ttyNr;
}

long EncodedTtyNumber(dev_t device) {
    const unsigned long minorNumber = ::minor(device);
    return static_cast<long>((::major(device) << 8) | (minorNumber & 0xFF) |
                             ((minorNumber & ~0xFFUL) << 12));
}

} // namespace

int TerminalOwner(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode) ||
        ::major(st.st_rdev) - kFirstPtySlaveMajor >= kPtySlaveMajors)
        return 0;
    const long wanted = EncodedTtyNumber(st.st_rdev);
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(CurrentSystemPaths().procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos &&
            ControllingTtyNumber(entry.path() / "stat") == wanted)
            return std::stoi(name);
    }
    return 0;
}

} // namespace tarvex
