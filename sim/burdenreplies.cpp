#include "burdenreplies.h"

#include "commandtable.h"
#include "replyframe.h"

namespace sim {

std::vector<std::uint8_t> EncodeCtBurdenReply(double ohm) {
    return ReplyFrame(code::kCtBurden).Scaled(ohm, 10).Finish();
}

std::vector<std::uint8_t> EncodePtBurdenReply(double voltAmpere) {
    return ReplyFrame(code::kPtBurden).Scaled(voltAmpere, 10).Finish();
}

} // namespace sim
