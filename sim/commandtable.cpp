#include "commandtable.h"

#include "link/testkinds.h"

#include <array>
#include <cstdio>

namespace sim {

namespace {

constexpr std::array<CommandInfo, 18> kCommands{{
    {0xD0, "Connect", 0, false},
    {0xD1, "Disconnect", 0, false},
    {0xE0, "RequestDeviceInfo", 0, false},
    {0xE3, "SendIdentity", 30, false},
    {0xE4, "RequestHistoryList(CT)", 0, false},
    {0xE5, "RequestHistoryRecord(CT)", 2, false},
    {0xE6, "RequestHistoryList(PT)", 0, false},
    {0xE7, "RequestHistoryRecord(PT)", 2, false},
    {0xEB, "StartTest", 0, false},
    {0xEC, "SetTestKind", 1, false},
    {0xED, "SendExcitationParams", 6, false},
    {0xEE, "SendCTRatioParams", 3, false},
    {0xEF, "SendPTRatioParams", 3, false},
    {0xF0, "SendCTErrorParams", 5, false},
    {0xF1, "SendPTErrorParams", 5, false},
    {0xF2, "SendCTBurdenParams", 1, true},
    {0xF3, "SendPTBurdenParams", 1, true},
    {0xF6, "RequestResult", 0, false},
}};

} // namespace

const CommandInfo* FindCommand(std::uint8_t command) {
    for (const CommandInfo& info : kCommands)
        if (info.code == command)
            return &info;
    return nullptr;
}

std::string ReplyName(std::uint8_t replyCode) {
    switch (replyCode) {
    case 0xD0:
        return "handshake";
    case 0xD1:
        return "disconnect";
    case 0xE0:
        return "device info";
    case 0xE4:
        return "CT record list";
    case 0xE5:
        return "CT record";
    case 0xE6:
        return "PT record list";
    case 0xE7:
        return "PT record";
    case 0xEB:
        return "test finished";
    case code::kCtExcitation:
        return "CT excitation result";
    case code::kCtRatio:
        return "CT ratio result";
    case code::kCtError:
        return "CT error result";
    case code::kCtBurden:
        return "CT burden result";
    case code::kPtExcitation:
        return "PT excitation result";
    case code::kPtRatio:
        return "PT ratio result";
    case code::kPtError:
        return "PT error result";
    case code::kPtBurden:
        return "PT burden result";
    case code::kResistance:
        return "DC resistance result";
    case code::kCtTaps:
        return "CT six-tap ratio result";
    default:
        break;
    }
    char text[16];
    std::snprintf(text, sizeof text, "reply %02X", replyCode);
    return text;
}

std::string TestName(std::uint8_t kindCode) {
    if (!IsTestKind(kindCode))
        return "no test";
    const std::string name = ReplyName(kindCode);
    return name.substr(0, name.size() - std::string(" result").size());
}

bool IsTestKind(std::uint8_t kindCode) {
    return tarvex::TestKindOfReply(kindCode) >= 0 && kindCode != tarvex::kCtTapReplyCode;
}

int ProgramWaitMs(std::uint8_t command, std::uint8_t testKindCode) {
    switch (command) {
    case 0xD0:
        return 100;
    case 0xE0:
        return 300;
    case 0xE4:
    case 0xE6:
        return 2000;
    case 0xE5:
    case 0xE7:
        return 3000;
    case 0xF6:
        return 500;
    case 0xEB: {
        const int kind = IsTestKind(testKindCode) ? tarvex::TestKindOfReply(testKindCode) : -1;
        return kind >= 0 ? tarvex::kTestKinds[kind].startWaitMs : 10000;
    }
    default:
        return 0;
    }
}

} // namespace sim
