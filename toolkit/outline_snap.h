#pragma once

#include <QColor>
#include <QList>
#include <QRectF>

class QPainter;

// Outlines about one pixel wide, drawn at positions that fall between device pixels, come out as
// two-pixel blends of the outline colour and what lies beside it. The pictures mark such outlines
// with class="outline" (on the rectangle or on a group of rectangles); when a picture is drawn to a
// given number of device pixels, each marked rectangle is moved onto the pixel grid: every edge to the
// centre of the device pixel it falls in (never more than half a pixel away, ties going inwards), with
// a stroke exactly one device pixel wide. The outline then covers whole pixels.
namespace pictures {

// One marked rectangle, in the picture's user units (its view box), as its SVG document draws it.
struct Outline {
    QRectF rect;
    qreal rx = 0;
    qreal ry = 0;
    QColor fill;   // transparent for none
    QColor stroke; // transparent for none
    qreal strokeWidth = 1;
    QList<qreal> dashes; // user units; empty for a solid stroke
    qreal dashOffset = 0;

    friend bool operator==(const Outline &, const Outline &) = default;
};

// The rectangle `user` of a picture whose user space is scaled by (scaleX, scaleY) to device pixels,
// in device pixels, its edges moved to the centres of the pixels they fall in. A rectangle thinner than
// a pixel is only scaled.
QRectF snappedRect(const QRectF &user, qreal scaleX, qreal scaleY);

// Draws `outline` on a painter that works in device pixels: snapped, with a stroke of one device pixel,
// or, when `snap` is false (a printed page), where and as wide as the design has it.
void paintOutline(QPainter &painter, const Outline &outline, qreal scaleX, qreal scaleY, bool snap);

} // namespace pictures
