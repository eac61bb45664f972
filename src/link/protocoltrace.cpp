#include "protocoltrace.h"

#include "platform/clock.h"

#include <cstdio>
#include <mutex>

namespace tarvex {
namespace {

std::mutex g_mutex;
std::FILE* g_file = nullptr;
std::int64_t g_startMs = 0;

void WriteLine(const char* arrow, const char* label, const unsigned char* bytes, int len)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_file)
        return;
    const double seconds = static_cast<double>(CurrentClock().NowMs() - g_startMs) / 1000.0;
    std::fprintf(g_file, "[%10.3f] %s %s:", seconds, arrow, label);
    for (int i = 0; i < len; ++i)
        std::fprintf(g_file, " %02X", bytes[i]);
    std::fputc('\n', g_file);
    std::fflush(g_file); // a trace is read when something went wrong, maybe after a crash
}

void WriteCommand(const char* arrow, unsigned char command, const unsigned char* bytes, int len)
{
    char label[48];
    std::snprintf(label, sizeof label, "%02X %s", command, ProtocolTrace::CommandName(command));
    WriteLine(arrow, label, bytes, len);
}

} // namespace

bool ProtocolTrace::Open(const std::string& path)
{
    Close();
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_file = file;
    g_startMs = CurrentClock().NowMs();
    return true;
}

void ProtocolTrace::Close()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_file)
        std::fclose(g_file);
    g_file = nullptr;
}

bool ProtocolTrace::IsOpen()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_file != nullptr;
}

void ProtocolTrace::Sent(unsigned char command, const unsigned char* bytes, int len)
{
    WriteCommand("->", command, bytes, len);
}

void ProtocolTrace::Read(unsigned char command, const unsigned char* bytes, int len)
{
    WriteCommand("<-", command, bytes, len);
}

void ProtocolTrace::Discarded(const unsigned char* bytes, int len)
{
    WriteLine("??", "discarded", bytes, len);
}

const char* ProtocolTrace::CommandName(unsigned char command)
{
    switch (command) {
    case 0xD0: return "Connect";
    case 0xD1: return "Disconnect";
    case 0xE0: return "RequestDeviceInfo";
    case 0xE3: return "SendIdentity";
    case 0xE4:
    case 0xE6: return "RequestHistoryList";
    case 0xE5:
    case 0xE7: return "RequestHistoryRecord";
    case 0xEB: return "StartTest";
    case 0xEC: return "SetTestKind";
    case 0xED: return "SendExcitationParams";
    case 0xEE: return "SendCTRatioParams";
    case 0xEF: return "SendPTRatioParams";
    case 0xF0: return "SendCTErrorParams";
    case 0xF1: return "SendPTErrorParams";
    case 0xF2: return "SendCTBurdenParams";
    case 0xF3: return "SendPTBurdenParams";
    case 0xF6: return "RequestResult";
    default: return "unknown";
    }
}

} // namespace tarvex
