#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// A record stored in the instrument, in its wire units.
struct HistoryRecord {
    int year = 0, month = 1, day = 1; // two-digit year
    int hour = 0, minute = 0, second = 0;
    int lineNo = 1, groupNo = 1;
    int phase = 0;                   // 0 A, 1 B, 2 C
    std::string text1, text2, text3; // ten characters each (cut or padded with spaces)
    // Knee point raw values in the record's units: a CT record holds 25 × volts and 600 × amperes
    // (the program divides by 25 and 600), a PT record whole volts and amperes (stored as they
    // are).
    std::uint16_t kneeVoltageRaw = 0;
    std::uint16_t kneeCurrentRaw = 0;
    int testVoltage = 0;                // V
    int testCurrent = 0;                // A
    std::vector<std::int16_t> currents; // mA
    std::vector<std::int16_t> voltages; // 0.1 V, as many as currents
};

// List reply 0xE4 (CT) or 0xE6 (PT): count N (16-bit), then per record year, month, day, line
// number, group number, phase code. extraCount > 0 makes N claim that many records more than
// are sent.
std::vector<std::uint8_t>
EncodeHistoryList(std::uint8_t code, const std::vector<HistoryRecord>& records, int extraCount = 0);

// Record reply 0xE5 (CT) or 0xE7 (PT): test time (6 bytes), three ten-byte texts, knee voltage
// and current raw (16-bit), test voltage (16-bit), test current (byte), point count n (byte),
// n currents (mA), n voltages (0.1 V). At most 255 points; extraCount as for the list.
std::vector<std::uint8_t> EncodeHistoryRecord(std::uint8_t code, const HistoryRecord& record,
                                              int extraCount = 0);

} // namespace sim
