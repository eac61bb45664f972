#include "resistancereply.h"

#include "commandtable.h"
#include "replyframe.h"

#include <cmath>

namespace sim {

ResistanceReading ResistanceReadingOf(double ohm) {
    const double milliohm = ohm * 1000.0;
    if (std::fabs(milliohm) * 10.0 <= 32767.0)
        return {milliohm, true};
    return {ohm, false};
}

std::vector<std::uint8_t> EncodeResistanceReply(const ResistanceReading& reading) {
    return ReplyFrame(code::kResistance)
        .Scaled(reading.value, 10)
        .U8(reading.milliohm ? 1 : 0)
        .Finish();
}

} // namespace sim
