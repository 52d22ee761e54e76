#pragma once

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

class QPainter;

// The program's vector pictures (SVG resources), each parsed once and rendered once per logical size and
// device pixel ratio. Painting only ever blits the cached pixmaps.
namespace pictures {

// The picture's own size in logical pixels.
QSize naturalSize(const QString &resource);

// The picture rendered to fill `logicalSize` on a device of the given pixel ratio. The pixmap carries that
// ratio, so it paints at `logicalSize` whatever was asked for before.
QPixmap render(const QString &resource, QSize logicalSize, qreal devicePixelRatio);

// Paints the part `exposed` (logical pixels) of the picture rendered to fill `logicalSize` at the painter's
// origin, on a device of the given pixel ratio: the same pixels as painting render()'s pixmap there. The
// rendering is kept in a compact form, since pictures painted this way stay for the window's life.
void paint(QPainter &painter, const QString &resource, QSize logicalSize, qreal devicePixelRatio,
           const QRect &exposed);

// How many renderings the cache has made so far: benchmarks and tests count them to prove that moving and
// repainting never renders again.
std::uint64_t renderCount();

} // namespace pictures
