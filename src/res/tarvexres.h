#pragma once
#include <QIcon>
#include <QImage>
#include <QString>

// The program's icons (resources.qrc, prefix "/icons"): our own SVG drawings, loaded through
// Qt SVG's image and icon-engine plugins.
namespace tarvex {

// Registers resources.qrc. Call once at start-up, before any window (or Ui class) is built:
// the resources live in the static library tarvex_res, and the linker pulls them in only
// through this call. Calling it again changes nothing.
void InitResources();

// ":/icons/<id>.svg" for the icon resource numbers: 128 (application),
// 131, 132 (tree, 16 x 16), 155, 158 to 163 (toolbar, 32 x 32), 168 (Ω), 169 (mΩ).
QString IconPath(int id);

// The icon of that number drawn at size x size pixels (a null image for an unknown number).
QImage IconImage(int id, int size);

// The icon of that number, drawn at whatever size it is shown; 128 carries its 16, 32 and 64
// pixel images, which the window manager picks from.
QIcon Icon(int id);

} // namespace tarvex
