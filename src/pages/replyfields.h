#pragma once
#include <QString>

#include <span>

class CDlgBase;

// Reading the numbers of the instrument's result replies. A payload is the bytes after the
// reply code and its length the number of them that arrived; a field whose bytes did not all
// arrive is not shown (what the entry held stays, which after a start is nothing).
namespace tarvex {

// The big-endian 16-bit two's-complement word at p.
int SignedWord(const unsigned char* p);

// A measured value: the signed word at offset, divided by divisor, printf-formatted, shown in
// entry id.
struct ScaledWord {
    int offset;
    double divisor;
    const char* format;
    int id;
};

QString FormatScaled(const unsigned char* word, double divisor, const char* format);

// Shows every field of the layout whose two bytes lie within length.
void ShowScaledWords(CDlgBase& page, const unsigned char* payload, int length,
                     std::span<const ScaledWord> layout);

// "+" for the polarity byte 1, "-" for any other value.
QString PolarityText(unsigned char polarity);

// The rated secondary voltage of an index 0..3 ("100", "100/3", "100/sqrt(3)", "220"); any
// other index shows as its number.
QString RatedSecondaryText(int index);

} // namespace tarvex
