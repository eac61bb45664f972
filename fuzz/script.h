#pragma once
// The layout of a fuzz_replies input: chunks separated by the two bytes C5 5C. A chunk whose
// first byte is below 0x10 is an operator action (below), the bytes after it its parameters.
// Any other chunk is a reply: its first byte is its timing (see fuzz::Reply), the rest the bytes
// the instrument sends. Replies answer, in their order, the commands of the action before them;
// those at the start answer a connect.

namespace fuzz {

enum Action : unsigned char {
    kConnect = 0x00,
    kStartTest = 0x01, // parameter: the test kind (its index in the table of test kinds), chosen
                       // in the tree and started; a new kind renumbers no action
    kSearchCt = 0x02,
    kSearchPt = 0x03,
    kUpload = 0x04,     // parameters: the rows of the record list to upload (at most eight)
    kShowRecord = 0x05, // parameter: bit 0 PT, the rest the uploaded record chosen in the tree
    kSave = 0x06,
    kErrorCurve = 0x07, // parameter: bit 0 PT, the page the window is opened from
    kActions = 0x10     // 0x08..0x0F: no action
};

inline constexpr unsigned char kSeparator[] = {0xC5, 0x5C};
// The timing byte of a reply that arrives whole, at once.
inline constexpr unsigned char kWhole = 0x10;

} // namespace fuzz
