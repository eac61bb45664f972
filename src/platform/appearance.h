#pragma once
#include <QMargins>
#include <QRect>

class QWidget;

namespace tarvex {

// Loads Qt's own Chinese translations (qtbase_zh_CN), so the file dialogs, print preview and
// print dialog speak the interface's language. False when the translation file is missing.
// Call once at start-up, after the QApplication exists.
bool InstallQtTranslations();

// Disabled entries keep their text readable: the default disabled grey on the dialog grey is
// too faint for an operator to read the record values shown in history mode.
void InstallReadablePalette();

// Where a window of the wanted outer size goes on a screen with the given available area and
// window-manager frame: at the area's top-left corner, shrunk to fit, title bar included.
// Returns the inner (client) rectangle.
QRect FitIntoScreen(QSize wantedOuter, const QRect& available, const QMargins& frame);

// Moves and sizes a shown top-level window by FitIntoScreen, with its real frame. Call again
// once the window manager has framed it (the frame is unknown before).
void FitWindowIntoScreen(QWidget* window, QSize wantedOuter);

// Where a tool window of the wanted inner size goes: centred over its owner's frame, shrunk to
// fit the available area with its frame, title bar included, and moved as little as needed to
// lie wholly inside it. Returns the inner (client) rectangle.
QRect PlaceOverOwner(QSize wantedInner, const QRect& ownerFrame, const QRect& available,
                     const QMargins& frame);

// Moves and sizes a tool window by PlaceOverOwner, over its owner's window on the owner's
// screen, with its real frame.
void PlaceOverOwner(QWidget* window, QSize wantedInner);

} // namespace tarvex
