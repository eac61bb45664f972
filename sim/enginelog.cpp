#include "enginelog.h"

#include <cstdio>

namespace sim {

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += hex;
    }
    return text;
}

std::string FormatLogEntry(const LogEntry& entry) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%10.3f] ", static_cast<double>(entry.timeMs) / 1000.0);
    char codeText[8];
    std::snprintf(codeText, sizeof codeText, "%02X ", entry.code);
    std::string line = stamp;
    switch (entry.kind) {
    case LogEntry::Kind::Received:
        line += std::string("<- ") + codeText + entry.name + ": " + HexBytes(entry.bytes);
        break;
    case LogEntry::Kind::Sent:
        line += std::string("-> ") + codeText + entry.name + ": " + HexBytes(entry.bytes);
        break;
    case LogEntry::Kind::Discarded:
        line += "?? discarded: " + HexBytes(entry.bytes);
        break;
    case LogEntry::Kind::Note:
        line += "-- " + entry.note;
        return line;
    }
    if (!entry.note.empty())
        line += "  (" + entry.note + ")";
    return line;
}

} // namespace sim
