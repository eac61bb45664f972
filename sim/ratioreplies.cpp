#include "ratioreplies.h"

#include "commandtable.h"
#include "replyframe.h"

namespace sim {

std::vector<std::uint8_t> EncodeCtRatioReply(const CtRatioReading& reading) {
    return ReplyFrame(code::kCtRatio)
        .Scaled(reading.primaryCurrent, 10)
        .Scaled(reading.secondaryCurrent, 1000)
        .Scaled(reading.ratioPrimary, 10)
        .U8(reading.ratioSecondary)
        .U8(reading.polarityPositive ? 1 : 0)
        .Finish();
}

std::vector<std::uint8_t> EncodeCtTapReply(const CtTapReading& reading) {
    ReplyFrame frame(code::kCtTaps);
    frame.U8(6).Scaled(reading.primaryCurrent, 10).Scaled(reading.secondaryCurrent, 1000);
    for (double ratio : reading.ratioPrimary)
        frame.Scaled(ratio, 10);
    for (bool positive : reading.polarityPositive)
        frame.U8(positive ? 1 : 0);
    frame.U8(reading.ratioSecondary);
    return frame.Finish();
}

std::vector<std::uint8_t> EncodePtRatioReply(const PtRatioReading& reading) {
    return ReplyFrame(code::kPtRatio)
        .Scaled(reading.primaryVoltage, 10)
        .Scaled(reading.secondaryVoltage, 1000)
        .Scaled(reading.ratioPrimaryKv, 100)
        .U8(reading.secondaryIndex)
        .U8(reading.polarityPositive ? 1 : 0)
        .Finish();
}

} // namespace sim
