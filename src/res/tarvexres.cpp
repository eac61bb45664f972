#include "tarvexres.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitTarvexResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace tarvex {

void InitResources()
{
    static const bool done = (InitTarvexResources(), true);
    (void)done;
}

QString IconPath(int id)
{
    return QString(":/icons/%1.png").arg(id);
}

QIcon Icon(int id)
{
    InitResources();
    QIcon icon(IconPath(id));
    if (id == 128) {
        icon.addFile(":/icons/128-16.png");
        icon.addFile(":/icons/128-64.png");
    }
    return icon;
}

} // namespace tarvex
