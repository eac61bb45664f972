#include "usersettings.h"

#include <QSettings>

namespace tarvex {
namespace {

// Organisation and application name give the folder and the file: tarvex/tarvex.conf, beside
// the ports folder tarvex/ports.
constexpr const char* kName = "tarvex";

} // namespace

QVariant RememberedValue(const QString& key, const QVariant& fallback) {
    return QSettings(kName, kName).value(key, fallback);
}

void Remember(const QString& key, const QVariant& value) {
    QSettings(kName, kName).setValue(key, value);
}

} // namespace tarvex
