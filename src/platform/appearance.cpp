#include "appearance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QPalette>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

namespace tarvex {

bool InstallQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void InstallReadablePalette()
{
    QPalette palette = QApplication::palette();
    const QColor readable(64, 64, 64); // about 8:1 against the window and base greys
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, readable);
    QApplication::setPalette(palette);
}

QRect FitIntoScreen(QSize wantedOuter, const QRect& available, const QMargins& frame)
{
    const QSize outer = wantedOuter.boundedTo(available.size());
    QRect inner(available.topLeft(), outer);
    return inner.marginsRemoved(frame);
}

void FitWindowIntoScreen(QWidget* window, QSize wantedOuter)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    window->setGeometry(FitIntoScreen(wantedOuter, screen->availableGeometry(), frame));
}

void PlaceOverOwner(QWidget* window)
{
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect outer = window->frameGeometry();
    if (owner)
        outer.moveCenter(owner->frameGeometry().center());
    const QRect area = screen->availableGeometry();
    outer.moveLeft(std::clamp(outer.left(), area.left(), std::max(area.left(), area.right() - outer.width() + 1)));
    outer.moveTop(std::clamp(outer.top(), area.top(), std::max(area.top(), area.bottom() - outer.height() + 1)));
    window->move(outer.topLeft());
}

} // namespace tarvex
