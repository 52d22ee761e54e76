#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

#include <cstdint>

// The program's vector pictures (SVG resources), each parsed once and rendered once per logical size and
// device pixel ratio. Painting only ever blits the cached pixmaps.
namespace pictures {

// The picture's own size in logical pixels.
QSize naturalSize(const QString &resource);

// The picture rendered to fill `logicalSize` on a device of the given pixel ratio. The pixmap carries that
// ratio, so it paints at `logicalSize` whatever was asked for before.
QPixmap render(const QString &resource, QSize logicalSize, qreal devicePixelRatio);

// How many renderings the cache has made so far: benchmarks and tests count them to prove that moving and
// repainting never renders again.
std::uint64_t renderCount();

} // namespace pictures
