#include "beep.h"

#include <QApplication>

#include <atomic>

namespace {
std::atomic<int> g_beeps{0};
}

void MessageBeep(unsigned /*type*/) {
    ++g_beeps;
    QApplication::beep();
}

namespace tarvex {

int BeepCount() {
    return g_beeps.load();
}

} // namespace tarvex
