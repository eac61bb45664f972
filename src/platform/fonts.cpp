#include "fonts.h"

#include <QStringList>

#include <algorithm>

namespace tarvex {

void InstallFontSubstitutions()
{
    const QString song = "AR PL UMing CN";
    for (const char* family : {"宋体", "SimSun"}) {
        if (!QFont::substitutes(family).contains(song, Qt::CaseInsensitive))
            QFont::insertSubstitution(family, song);
    }
}

QFont SongFont(int pixelHeight, int weight)
{
    QFont font("宋体");
    font.setPixelSize(pixelHeight);
    // 0 is the framework's "don't care"; Qt's weights are the same 1 to 1000 scale.
    font.setWeight(weight <= 0 ? QFont::Normal
                               : static_cast<QFont::Weight>(std::min(weight, 1000)));
    return font;
}

} // namespace tarvex
