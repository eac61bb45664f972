#pragma once
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Decoders of the instrument's reply payloads: pure functions from the bytes that arrived after
// the reply code to plain values. None reads past the bytes it is given. A field whose bytes did
// not all arrive is absent (an empty optional, or left out of a list); a count that runs past the
// bytes is cut to what arrived. Values are in the units named beside them, decoded from the wire
// (two's-complement words scaled as each layout says, error values from sign-and-magnitude
// words); how a page rounds or prints them is the page's business.
namespace tarvex {

using ReplyBytes = std::span<const unsigned char>;

// 0xE0: the instrument's model, ratio type and range bytes, as sent.
struct DeviceInfo {
    std::optional<unsigned char> model;      // 0xAB..0xAE choose the tests offered
    std::optional<unsigned char> deviceType; // 0xA1 single CT ratio, 0xA2 six taps
    std::optional<unsigned char> range;      // 0xA1 2500 V / 1000 A, 0xA2 1000 V / 600 A
};
DeviceInfo DecodeDeviceInfo(ReplyBytes payload);

// One point of an excitation curve. The voltage is as sent; the excitation pages show it cut
// to 0.5 V steps (VoltsCutToHalf), the knee voltage not.
struct ExcitationPoint {
    double current = 0; // A (raw / 1000)
    double voltage = 0; // V (raw / 10)
};

// 0x1A (CT) and 0x1F (PT).
struct ExcitationReply {
    double kneeVoltage = 0; // V (raw / 10)
    double kneeCurrent = 0; // A (raw / 1000)
    int claimedPoints = 0;  // N as sent; more than points.size() when the reply was cut short
    std::vector<ExcitationPoint> points; // those whose current and voltage both arrived
};
// Empty when the count and knee point (5 bytes) did not all arrive.
std::optional<ExcitationReply> DecodeExcitationReply(ReplyBytes payload);

// A voltage in volts brought down to a multiple of 0.5 V toward zero, as a CT curve is shown.
double VoltsCutToHalf(double volts);

// 0x2A: a single CT ratio.
struct CtRatioReply {
    std::optional<double> primaryCurrent;   // A (raw / 10)
    std::optional<double> secondaryCurrent; // A (raw / 1000)
    std::optional<double> ratioPrimary;     // A (raw / 10)
    std::optional<int> ratioSecondary;      // A, unsigned byte
    std::optional<bool> polarityPositive;   // byte 1 "+", any other "-"
};
CtRatioReply DecodeCtRatioReply(ReplyBytes payload);

inline constexpr int kCtTapCount = 6;

// One tap L<i>-K<i> of a multi-ratio CT.
struct CtTap {
    double ratioPrimary = 0; // A (raw / 10)
    bool polarityPositive = false;
};

// The six taps, which only count when the whole reply arrived.
struct CtTapList {
    std::array<CtTap, kCtTapCount> taps{};
    int ratioSecondary = 0; // A, common to the taps
};

// 0x7A: the CT ratio of six taps (its byte 0 is not read).
struct CtTapReply {
    std::optional<double> primaryCurrent;   // A (raw / 10)
    std::optional<double> secondaryCurrent; // A (raw / 1000)
    std::optional<CtTapList> taps;          // only when all 24 bytes arrived
};
CtTapReply DecodeCtTapReply(ReplyBytes payload);

// 0x2F: a PT ratio.
struct PtRatioReply {
    std::optional<double> primaryVoltage;   // V (raw / 10)
    std::optional<double> secondaryVoltage; // V (raw / 1000)
    std::optional<double> ratioPrimary;     // kV (raw / 100)
    std::optional<int> secondaryIndex;      // 0 "100", 1 "100/3", 2 "100/sqrt(3)", 3 "220"
    std::optional<bool> polarityPositive;   // byte 1 "+", any other "-"
};
PtRatioReply DecodePtRatioReply(ReplyBytes payload);

// 0x3A and 0x3F: phase errors in minutes, then ratio errors in percent, at the load points in
// ascending order (CT 5, 20, 100, 120 %; PT 80, 100, 120 %). Each value is a sign-and-magnitude
// word / 1000, from -32.767 to 32.767 (0x8000 is +0). Each list holds the values that arrived.
struct ErrorReply {
    std::vector<double> phaseMinutes;
    std::vector<double> ratioPercent;
};
ErrorReply DecodeCtErrorReply(ReplyBytes payload);
ErrorReply DecodePtErrorReply(ReplyBytes payload);

// 0x4A (CT, ohm) and 0x4F (PT, VA): the burden (raw / 10).
std::optional<double> DecodeBurdenReply(ReplyBytes payload);

// 0x6A: a DC resistance; nothing unless the value and its unit byte both arrived.
struct ResistanceReply {
    double value = 0;      // raw / 10, in the unit below
    bool milliohm = false; // unit byte nonzero: mΩ, zero: Ω
};
std::optional<ResistanceReply> DecodeResistanceReply(ReplyBytes payload);

// One stored record of a history list (0xE4 CT, 0xE6 PT), fields as sent.
struct HistoryListEntry {
    int year = 0; // two digits
    int month = 0;
    int day = 0;
    int lineNo = 0;
    int groupNo = 0;
    int phaseCode = 0; // 0 A, 1 B, 2 C; other codes passed on as sent
};

struct HistoryList {
    int claimedRecords = 0;                // the count as sent (signed; 0 or less means none)
    std::vector<HistoryListEntry> entries; // the records that arrived whole
};
HistoryList DecodeHistoryList(ReplyBytes payload);

enum class RecordKind { Ct, Pt };

// A history record (0xE5 CT, 0xE7 PT).
struct HistoryRecordReply {
    int year = 0; // two digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::array<std::string, 3> texts; // ten single-byte characters each, as sent
    // The knee point: a CT record sends 25 × V and 600 × A, a PT record V and A unscaled.
    double kneeVoltage = 0; // V
    double kneeCurrent = 0; // A
    int testVoltage = 0;    // V, signed 16-bit
    int testCurrent = 0;    // A, unsigned byte
    int claimedPoints = 0;  // n as sent
    // Points whose current and voltage both arrived, voltages as sent; CT records are shown cut
    // to 0.5 V steps (VoltsCutToHalf), PT records as sent.
    std::vector<ExcitationPoint> points;
};
// Empty when the 44 bytes before the points did not all arrive.
std::optional<HistoryRecordReply> DecodeHistoryRecord(ReplyBytes payload, RecordKind kind);

} // namespace tarvex
