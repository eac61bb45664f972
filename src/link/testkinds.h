#pragma once
#include <iterator>

namespace tarvex {

// One test the instrument runs, as every layer knows it: the index by which tree items, tabs
// and pages name it, the parameter command its page sends before the start (0: none), the code
// byte sent with 0xEC that is also the reply code of its result, its name in the tree and on
// its tab, the wait after 0xEB, the id of its page's start button, and whether Save and Print
// compose a report of it.
struct TestKindInfo {
    int index;
    unsigned char parameterCommand;
    unsigned char code;
    const char* name;
    int startWaitMs;
    int startButtonId;
    bool composesReport;
};

inline constexpr TestKindInfo kTestKinds[] = {
    {0, 0xED, 0x1A, "CT伏安特性", 10000, 1009, true},
    {1, 0xEE, 0x2A, "CT变比极性", 15000, 1013, true},
    {2, 0xF0, 0x3A, "CT角差比差", 20000, 1013, false},
    {3, 0xF2, 0x4A, "CT二次负荷", 15000, 1013, false},
    {4, 0xED, 0x1F, "PT伏安特性", 35000, 1009, true},
    {5, 0xEF, 0x2F, "PT变比极性", 15000, 1013, true},
    {6, 0xF1, 0x3F, "PT角差比差", 15000, 1013, false},
    {7, 0xF3, 0x4F, "PT二次负荷", 15000, 1013, false},
    {8, 0x00, 0x6A, "直流电阻测试", 15000, 1013, false},
};
inline constexpr int kTestKindCount = static_cast<int>(std::size(kTestKinds));

// The indices of the table by name.
inline constexpr int kCtExcitationKind = 0;
inline constexpr int kCtRatioKind = 1;
inline constexpr int kCtErrorKind = 2;
inline constexpr int kCtBurdenKind = 3;
inline constexpr int kPtExcitationKind = 4;
inline constexpr int kPtRatioKind = 5;
inline constexpr int kPtErrorKind = 6;
inline constexpr int kPtBurdenKind = 7;
inline constexpr int kResistanceKind = 8;

// The tap results of the CT ratio test come with a reply code of their own.
inline constexpr unsigned char kCtTapReplyCode = 0x7A;

// The test kind whose page receives a result reply code; -1 for any other code.
constexpr int TestKindOfReply(unsigned char code) {
    if (code == kCtTapReplyCode)
        return kCtRatioKind;
    for (const TestKindInfo& kind : kTestKinds) {
        if (kind.code == code)
            return kind.index;
    }
    return -1;
}

// The entry of a kind; nullptr outside the table.
constexpr const TestKindInfo* FindTestKind(int index) {
    return index >= 0 && index < kTestKindCount ? &kTestKinds[index] : nullptr;
}

} // namespace tarvex
