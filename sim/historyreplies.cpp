#include "historyreplies.h"

#include "replyframe.h"

#include <algorithm>

namespace sim {

std::vector<std::uint8_t>
EncodeHistoryList(std::uint8_t code, const std::vector<HistoryRecord>& records, int extraCount) {
    const int sent =
        std::min<int>(static_cast<int>(records.size()), 32767 - std::max(extraCount, 0));
    ReplyFrame frame(code);
    frame.U16(static_cast<unsigned>(sent + std::max(extraCount, 0)));
    for (int i = 0; i < sent; ++i) {
        const HistoryRecord& r = records[static_cast<std::size_t>(i)];
        frame.U8(r.year).U8(r.month).U8(r.day).U8(r.lineNo).U8(r.groupNo).U8(r.phase);
    }
    return frame.Finish();
}

std::vector<std::uint8_t> EncodeHistoryRecord(std::uint8_t code, const HistoryRecord& record,
                                              int extraCount) {
    const std::size_t pairs = std::min(record.currents.size(), record.voltages.size());
    int sent = std::min<int>(static_cast<int>(pairs), 255);
    extraCount = std::max(extraCount, 0);
    const int claimed = std::min(sent + extraCount, 255);
    if (extraCount > 0)
        sent = std::max(claimed - extraCount, 0);

    ReplyFrame frame(code);
    frame.U8(record.year).U8(record.month).U8(record.day);
    frame.U8(record.hour).U8(record.minute).U8(record.second);
    frame.Text(record.text1, 10).Text(record.text2, 10).Text(record.text3, 10);
    frame.U16(record.kneeVoltageRaw).U16(record.kneeCurrentRaw);
    frame.U16(static_cast<std::uint16_t>(record.testVoltage)).U8(record.testCurrent);
    frame.U8(claimed);
    for (int i = 0; i < sent; ++i)
        frame.U16(static_cast<std::uint16_t>(record.currents[static_cast<std::size_t>(i)]));
    for (int i = 0; i < sent; ++i)
        frame.U16(static_cast<std::uint16_t>(record.voltages[static_cast<std::size_t>(i)]));
    return frame.Finish();
}

} // namespace sim
