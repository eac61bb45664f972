#include "errorreplies.h"

#include "commandtable.h"
#include "replyframe.h"

namespace sim {

std::vector<std::uint8_t> EncodeCtErrorReply(const CtErrorReading& reading) {
    ReplyFrame frame(code::kCtError);
    for (double phase : reading.phaseMinutes)
        frame.SignMagnitude(phase, 1000);
    for (double ratio : reading.ratioPercent)
        frame.SignMagnitude(ratio, 1000);
    return frame.Finish();
}

std::vector<std::uint8_t> EncodePtErrorReply(const PtErrorReading& reading) {
    ReplyFrame frame(code::kPtError);
    for (double phase : reading.phaseMinutes)
        frame.SignMagnitude(phase, 1000);
    for (double ratio : reading.ratioPercent)
        frame.SignMagnitude(ratio, 1000);
    return frame.Finish();
}

} // namespace sim
