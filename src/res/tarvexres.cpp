#include "tarvexres.h"

#include <QImageReader>
#include <QPixmap>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitTarvexResources() {
    Q_INIT_RESOURCE(resources);
}

namespace tarvex {

void InitResources() {
    static const bool done = (InitTarvexResources(), true);
    (void)done;
}

QString IconPath(int id) {
    return QString(":/icons/%1.svg").arg(id);
}

QImage IconImage(int id, int size) {
    InitResources();
    QImageReader reader(IconPath(id));
    reader.setScaledSize(QSize(size, size));
    return reader.read();
}

QIcon Icon(int id) {
    InitResources();
    if (id != 128)
        return QIcon(IconPath(id));
    QIcon icon;
    for (int size : {16, 32, 64})
        icon.addPixmap(QPixmap::fromImage(IconImage(id, size)));
    return icon;
}

} // namespace tarvex
