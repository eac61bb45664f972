// tarvex-svg2png IN.svg OUT.png SIZE: draws one icon SVG of src/res/icons through Qt SVG at
// SIZE x SIZE pixels. Run through the res_icons target (see src/res/README.md).
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN.svg OUT.png SIZE\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv); // finds the image plugins, Qt SVG's among them
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[3]);
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
