#pragma once
#include <QString>
#include <QVariant>

namespace tarvex {

// What the program remembers between runs: tarvex/tarvex.conf in the user's configuration
// folder ($XDG_CONFIG_HOME, by default ~/.config), written through QSettings. GUI thread only.

// The value stored under key, or fallback when none is.
QVariant RememberedValue(const QString& key, const QVariant& fallback = QVariant());
void Remember(const QString& key, const QVariant& value);

} // namespace tarvex
