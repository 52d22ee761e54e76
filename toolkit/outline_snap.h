#pragma once

#include <QByteArray>
#include <QSize>

// Outlines about one pixel wide, drawn at positions that fall between device pixels, come out as
// two-pixel blends of the outline colour and what lies beside it. The pictures mark such outlines
// with class="outline" (on the rectangle or on a group of rectangles); before a picture is rendered
// to a given number of device pixels, each marked rectangle is moved onto the pixel grid: every
// edge to the centre of the device pixel it falls in (never more than half a pixel away, ties going
// inwards), with a stroke exactly one device pixel wide. The outline then covers whole pixels.
namespace pictures {

// The SVG document `svg` with its marked outlines snapped for rendering its view box stretched to
// `pixels` device pixels; empty when the document marks no outline (render it as it is).
QByteArray snapOutlines(const QByteArray &svg, QSize pixels);

} // namespace pictures
