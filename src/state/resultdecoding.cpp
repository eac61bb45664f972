#include "resultdecoding.h"

namespace {

template <typename Result>
std::optional<TestResult::Value> Held(const std::optional<Result>& result) {
    if (!result)
        return std::nullopt;
    return *result;
}

std::optional<TestResult::Value> Burden(std::optional<double> burden) {
    if (!burden)
        return std::nullopt;
    return BurdenResult{*burden};
}

} // namespace

std::optional<TestResult::Value> DecodeResult(unsigned char code, tarvex::ReplyBytes payload) {
    using namespace tarvex;
    switch (code) {
    case 0x1A:
    case 0x1F:
        return Held(DecodeExcitationReply(payload));
    case 0x2A:
        return DecodeCtRatioReply(payload);
    case 0x7A:
        return DecodeCtTapReply(payload);
    case 0x2F:
        return DecodePtRatioReply(payload);
    case 0x3A:
        return DecodeCtErrorReply(payload);
    case 0x3F:
        return DecodePtErrorReply(payload);
    case 0x4A:
    case 0x4F:
        return Burden(DecodeBurdenReply(payload));
    case 0x6A:
        return Held(DecodeResistanceReply(payload));
    default:
        return std::nullopt;
    }
}
