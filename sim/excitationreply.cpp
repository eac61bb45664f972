#include "excitationreply.h"

#include "replyframe.h"

#include <algorithm>

namespace sim {

std::vector<std::uint8_t> EncodeExcitationReply(std::uint8_t code, const ExcitationResult& result,
                                                int extraCount) {
    int sent = std::min<int>(static_cast<int>(result.points.size()), 255);
    extraCount = std::max(extraCount, 0);
    const int claimed = std::min(sent + extraCount, 255);
    if (extraCount > 0)
        sent = std::max(claimed - extraCount, 0);

    ReplyFrame frame(code);
    frame.U8(claimed).Scaled(result.kneeVoltage, 10).Scaled(result.kneeCurrent, 1000);
    for (int i = 0; i < sent; ++i)
        frame.Scaled(result.points[static_cast<std::size_t>(i)].current, 1000);
    for (int i = 0; i < sent; ++i)
        frame.Scaled(result.points[static_cast<std::size_t>(i)].voltage, 10);
    return frame.Finish();
}

} // namespace sim
