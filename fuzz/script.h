#pragma once
// The layout of a fuzz_replies input: chunks separated by the two bytes C5 5C. A chunk whose
// first byte is below 0x10 is an operator action (below), the bytes after it its parameters.
// Any other chunk is a reply: its first byte is its timing (see fuzz::Reply), the rest the bytes
// the instrument sends. Replies answer, in their order, the commands of the action before them;
// those at the start answer a connect.

namespace fuzz {

enum Action : unsigned char {
    kConnect = 0x00,
    kFirstTest = 0x01, // 0x01..0x09: the test of kind 0..8 chosen in the tree and started
    kSearchCt = 0x0A,
    kSearchPt = 0x0B,
    kUpload = 0x0C,     // parameters: the rows of the record list to upload (at most eight)
    kShowRecord = 0x0D, // parameter: bit 0 PT, the rest the uploaded record chosen in the tree
    kSave = 0x0E,
    kErrorCurve = 0x0F, // parameter: bit 0 PT, the page the window is opened from
    kActions = 0x10
};

inline constexpr unsigned char kSeparator[] = {0xC5, 0x5C};
// The timing byte of a reply that arrives whole, at once.
inline constexpr unsigned char kWhole = 0x10;

} // namespace fuzz
