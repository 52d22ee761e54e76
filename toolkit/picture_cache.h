#pragma once

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

class QPainter;

// The program's vector pictures, each named by its SVG document (":/pictures/tile_carbon.svg") and carried
// as the recording the build makes of it (toolkit/recording.h), read once and rendered once per logical
// size and device pixel ratio. Painting only ever blits the cached pixmaps.
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

// How many renderings the cache has taken in so far, drawn now or drawn at build time: benchmarks and tests
// count them to prove that moving and repainting never renders again.
std::uint64_t renderCount();

// The picture drawn at `pixels` device pixels, outlines snapped to them: what every rendering holds. It
// neither looks in nor fills the cache.
QImage rasterise(const QString &resource, QSize pixels);

// The picture drawn as vectors stretched to `target`, its outlines as designed: for a printed page.
void draw(QPainter &painter, const QString &resource, const QRectF &target);

// Where the build puts the recording of the picture named `resource`.
QString recordingResource(const QString &resource);

// One rendering: the picture drawn to fill `logicalSize` at `devicePixelRatio`.
struct Rendering {
    QString resource;
    QSize logicalSize;
    qreal devicePixelRatio = 1;
    QImage image;
};

// Every rendering the cache holds now. The build's prerender tool stores those of the main window with the
// program, and the cache takes a stored one instead of drawing it again (see builtIn()).
QList<Rendering> cached();

// Where the renderings drawn at build time lie in the program's resources, and their format.
inline const QString BuiltInResource = QStringLiteral(":/prerendered/pictures.dat");
// The stored renderings written as one stream, for that resource.
QByteArray serialise(const QList<Rendering> &renderings);
// The renderings of such a stream; none when it is not one.
QList<Rendering> deserialise(const QByteArray &data);
// The renderings stored with the program at build time; none when it carries no such resource.
QList<Rendering> builtIn();

// Whether the cache takes the renderings drawn at build time (by default it does). A test switches it off
// before anything is drawn, to compare them with what the window draws itself.
void setBuiltInUsed(bool used);

} // namespace pictures
