#include "fonts.h"

#include <QStringList>

#include <algorithm>

namespace tarvex {

// AR PL UMing's own Latin letters and digits are thin and small beside its Han characters, so
// values and units looked faint next to their labels. Nimbus Roman, a Times face of the same
// size and weight, draws them; the Han characters fall through to AR PL UMing.
void InstallFontSubstitutions() {
    const QStringList faces = {"Nimbus Roman", "AR PL UMing CN"};
    for (const char* family : {"宋体", "SimSun"}) {
        if (QFont::substitutes(family).join(',') != faces.join(',').toLower()) {
            QFont::removeSubstitutions(family);
            QFont::insertSubstitutions(family, faces);
        }
    }
}

QFont SongFont(int pixelHeight, int weight) {
    QFont font("宋体");
    font.setPixelSize(pixelHeight);
    // 0 is the framework's "don't care"; Qt's weights are the same 1 to 1000 scale.
    font.setWeight(weight <= 0 ? QFont::Normal
                               : static_cast<QFont::Weight>(std::min(weight, 1000)));
    return font;
}

} // namespace tarvex
