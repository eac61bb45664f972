#pragma once
#include <QImage>
#include <QString>

namespace tarvex {

// Renders one of our own icon SVGs to a size x size image (ARGB32, transparent background) with
// QPainter, because Qt's SVG module is not installed here and ImageMagick's built-in SVG renderer
// drops gradients. Only the subset our icons use is understood: svg (viewBox), g, defs,
// linearGradient/stop, rect (rx), circle, ellipse, line, polyline, polygon and path (M L H V C S Q
// T A Z, absolute or relative; arcs without axis rotation), with the presentation attributes
// fill, stroke, stroke-width, stroke-linecap, stroke-linejoin, fill-rule, opacity, fill-opacity
// and stroke-opacity, inherited through g. Anything else makes it return a null image and say
// what in *error: an icon never silently renders differently from its SVG.
QImage RenderIconSvg(const QString& fileName, int size, QString* error = nullptr);

} // namespace tarvex
