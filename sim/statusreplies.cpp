#include "statusreplies.h"

#include "replyframe.h"

namespace sim {

std::vector<std::uint8_t> EncodeHandshake() {
    return ReplyFrame(0xD0).Finish();
}

std::vector<std::uint8_t> EncodeDeviceInfo(std::uint8_t model, std::uint8_t type,
                                           std::uint8_t range) {
    return ReplyFrame(0xE0).U8(model).U8(type).U8(range).Finish();
}

std::vector<std::uint8_t> EncodeTestFinished() {
    return ReplyFrame(0xEB).Finish();
}

} // namespace sim
