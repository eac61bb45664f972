#pragma once
#include <QIcon>
#include <QString>

// The program's icons (resources.qrc, prefix "/icons"): PNG images rendered from our own SVG
// drawings in icons/ (Qt's SVG module is not installed, so QIcon cannot read the SVGs).
namespace tarvex {

// Registers resources.qrc. Call once at start-up, before any window (or Ui class) is built:
// the resources live in the static library tarvex_res, and the linker pulls them in only
// through this call. Calling it again changes nothing.
void InitResources();

// ":/icons/<id>.png" for the icon resource numbers: 128 (application),
// 131, 132 (tree), 155, 158 to 163 (toolbar, 32 x 32), 168 (Ω), 169 (mΩ).
QString IconPath(int id);

// The icon of that number; 128 carries its 16, 32 and 64 pixel images.
QIcon Icon(int id);

} // namespace tarvex
