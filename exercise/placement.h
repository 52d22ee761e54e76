#pragma once

// Where a dragged tile goes: hanging above the pointer during a drag, and snapped into the
// blank of a reaction picture when dropped there.

#include "toolkit/twips.h"

#include <QPointF>
#include <QSizeF>

namespace placement {

// The tile hangs with its bottom edge this far above the pointer's hot spot.
inline constexpr float HangAbovePointer = 60.0f;
// Over the window background, a pointer this close to the client area's edge ends the drag.
inline constexpr float EdgeMargin = 180.0f;

// The top-left corner of a tile of the given size that hangs centred above the pointer.
QPointF hangingTile(const QPointF &pointer, const QSizeF &tile);

// Whether a pointer over the window background lies strictly inside the edge margin of a client
// area with the given origin and size.
bool inEdgeMargin(const QPointF &pointer, const QPointF &origin, const QSizeF &client);

// The top-left corner of a tile snapped into the blank of reaction 0..4's picture.
QPointF slot(int reaction, const twips::Rect &picture, const QSizeF &tile);

} // namespace placement
