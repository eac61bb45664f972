#pragma once
#include <QFont>

namespace tarvex {

// Makes "宋体" and "SimSun" resolve to a Song/Ming face: Nimbus Roman for Latin letters and
// digits, AR PL UMing CN for the Han characters; without it Qt takes DejaVu Sans with a
// fallback for the Han glyphs. Call once at start-up, before any window is built. Calling it
// again changes nothing.
void InstallFontSubstitutions();

// The "宋体" font of the given height in pixels (the framework's font height) and weight
// (the Windows weights: 400 normal, 600 semi-bold, 700 bold).
QFont SongFont(int pixelHeight, int weight = QFont::Normal);

} // namespace tarvex
