#pragma once

#include "toolkit/outline_snap.h"

#include <QByteArray>
#include <QList>
#include <QPicture>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <optional>

class QPainter;

// A vector picture as the program carries it: drawn once, at build time, from its SVG document by the
// tools/record_picture tool into Qt's recorded painter commands, so that the program itself needs no
// SVG renderer. The marked outlines (see outline_snap.h) are kept apart, as rectangles, and drawn first,
// snapped to the device pixels of each rendering; the rest is replayed scaled, as crisp as the vectors
// it was recorded from at any size and pixel ratio.
namespace pictures {

struct Recording {
    QSize naturalSize;       // logical pixels
    QSizeF userSize;         // the view box: the user units the outlines and the rest are drawn in
    QList<Outline> outlines; // under everything else
    QPicture rest;

    bool isNull() const { return userSize.isEmpty(); }
};

// The recording as one stream, and back; nothing when the bytes are not such a stream.
QByteArray toBytes(const Recording &recording);
std::optional<Recording> fromBytes(const QByteArray &bytes);

// Draws the recording stretched to `target` (in the painter's coordinates, which are device pixels
// when `snap` is set: the outlines are then moved onto them).
void play(QPainter &painter, const Recording &recording, const QRectF &target, bool snap);

} // namespace pictures
