#pragma once

#include <QCursor>
#include <QString>

// Mouse pointers drawn from the program's pictures at the screen's device pixel ratio; their hot spots
// scale with them.
namespace cursors {

// The pointing hand shown over whatever can be pressed or dragged: tiles and links.
QCursor hand();

// The pointer shown while something is dragged: the drag icon `resource`, held by its middle.
QCursor dragIcon(const QString &resource);

// How a cursor's picture is drawn and handed to the window system, for a screen of `ratio` device pixels
// per logical pixel. X11 shows the image pixel for pixel and takes the hot spot in those pixels: the
// picture is drawn at `ratio`. Wayland takes the pixmap's ratio as the cursor buffer's scale, a whole
// number, and the hot spot in the surface's own units, of which the output has `outputScale` device
// pixels (Qt's own scaling, QT_SCALE_FACTOR, comes on top of that): at a whole output scale the picture
// is drawn at `ratio` too, at a fractional one a little coarser, so that it keeps its size.
struct Placement {
    qreal drawRatio;   // device pixels per logical pixel of the drawn picture
    qreal pixmapRatio; // the ratio the pixmap carries
    QPoint hotSpot;
};
Placement placement(QPoint logicalHotSpot, qreal ratio, bool wayland, qreal outputScale);

} // namespace cursors
