#include "appearance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QPalette>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

#include <algorithm>

namespace tarvex {

bool InstallQtTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void InstallReadablePalette() {
    QPalette palette = QApplication::palette();
    const QColor readable(64, 64, 64); // about 8:1 against the window and base greys
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, readable);
    QApplication::setPalette(palette);
}

QRect FitIntoScreen(QSize wantedOuter, const QRect& available, const QMargins& frame) {
    const QSize outer = wantedOuter.boundedTo(available.size());
    QRect inner(available.topLeft(), outer);
    return inner.marginsRemoved(frame);
}

namespace {

QMargins FrameMargins(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

void FitWindowIntoScreen(QWidget* window, QSize wantedOuter) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->setGeometry(
        FitIntoScreen(wantedOuter, screen->availableGeometry(), FrameMargins(window)));
}

QRect PlaceOverOwner(QSize wantedInner, const QRect& ownerFrame, const QRect& available,
                     const QMargins& frame) {
    const QSize framed = wantedInner.grownBy(frame);
    QRect outer(QPoint(), framed.boundedTo(available.size()));
    outer.moveCenter(ownerFrame.isValid() ? ownerFrame.center() : available.center());
    outer.moveLeft(
        std::clamp(outer.left(), available.left(), available.right() - outer.width() + 1));
    outer.moveTop(
        std::clamp(outer.top(), available.top(), available.bottom() - outer.height() + 1));
    return outer.marginsRemoved(frame);
}

void PlaceOverOwner(QWidget* window, QSize wantedInner) {
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect ownerFrame = owner ? owner->frameGeometry() : QRect();
    window->setGeometry(
        PlaceOverOwner(wantedInner, ownerFrame, screen->availableGeometry(), FrameMargins(window)));
}

} // namespace tarvex
