// tarvex-svg2png IN.svg OUT.png SIZE: renders one icon SVG of src/res/icons with RenderIconSvg.
// Run through the res_icons target (see src/res/README.md), which re-renders every PNG.
#include "svgrender.h"

#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN.svg OUT.png SIZE\n", argv[0]);
        return 2;
    }
    // QPainter on a QImage needs no application object (and no display).
    QString error;
    const QImage image =
        tarvex::RenderIconSvg(QString::fromLocal8Bit(argv[1]), std::atoi(argv[3]), &error);
    if (image.isNull()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
