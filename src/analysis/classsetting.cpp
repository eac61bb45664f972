#include "classsetting.h"

#include "platform/usersettings.h"

namespace tarvex {

namespace {

QString SettingKey(bool pt) {
    return pt ? "analysis/ptClass" : "analysis/ctClass";
}

} // namespace

// Kept by its name, as a rating plate writes it.
AccuracyClass RememberedAccuracyClass(bool pt) {
    const QString name = RememberedValue(SettingKey(pt)).toString();
    for (AccuracyClass cls : ClassesFor(pt)) {
        if (AccuracyClassName(cls) == name)
            return cls;
    }
    return ClassesFor(pt).front();
}

void RememberAccuracyClass(AccuracyClass cls) {
    Remember(SettingKey(IsPtClass(cls)), AccuracyClassName(cls));
}

bool RememberedGappedCore() {
    return RememberedValue("analysis/gappedCore").toBool();
}

void RememberGappedCore(bool gapped) {
    Remember("analysis/gappedCore", gapped);
}

} // namespace tarvex
