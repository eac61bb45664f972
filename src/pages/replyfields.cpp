#include "replyfields.h"

#include "platform/dlgbase.h"

#include <array>
#include <cstdint>

namespace tarvex {

int SignedWord(const unsigned char* p) {
    return std::int16_t((p[0] << 8) | p[1]);
}

QString FormatScaled(const unsigned char* word, double divisor, const char* format) {
    return QString::asprintf(format, SignedWord(word) / divisor);
}

void ShowScaledWords(CDlgBase& page, const unsigned char* payload, int length,
                     std::span<const ScaledWord> layout) {
    for (const ScaledWord& field : layout) {
        if (field.offset + 2 <= length)
            page.SetDlgItemText(field.id,
                                FormatScaled(payload + field.offset, field.divisor, field.format));
    }
}

QString PolarityText(unsigned char polarity) {
    return polarity == 1 ? "+" : "-";
}

QString RatedSecondaryText(int index) {
    static const std::array<const char*, 4> texts = {"100", "100/3", "100/sqrt(3)", "220"};
    if (index >= 0 && index < int(texts.size()))
        return texts[index];
    return QString::number(index);
}

} // namespace tarvex
