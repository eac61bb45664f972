#include "replyfields.h"

#include <array>

namespace tarvex {

QString PolarityText(bool positive) {
    return positive ? "+" : "-";
}

QString RatedSecondaryText(int index) {
    static const std::array<const char*, 4> texts = {"100", "100/3", "100/sqrt(3)", "220"};
    if (index >= 0 && index < int(texts.size()))
        return texts[index];
    return QString::number(index);
}

} // namespace tarvex
