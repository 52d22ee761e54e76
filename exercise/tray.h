#pragma once

// The tray: the strip above the reactions panel where the compound tiles wait, five columns of
// stacked tiles, one column for each compound kind (facts::KindCount).

#include "exercise/facts.h"
#include "toolkit/twips.h"

#include <QPointF>

#include <array>
#include <cstdint>
#include <functional>

namespace tray {

// The x coordinate, in the client area, where the tray ends: the left edge of the grade label.
inline constexpr float RightEnd = 8460.0f;

// Where a tile of the given size stands in a tray column (0 leftmost): the strip from the panel's
// left edge to RightEnd holds five tile widths and six equal gaps, and the tile is centred
// vertically between the top of the client area (clientTop) and the panel's top edge.
QPointF place(int column, const twips::Rect &panel, float tileWidth, float tileHeight, float clientTop = 0);

// A random order of the tray columns: entry k is the column of compound kind k. Each entry is drawn
// uniformly from 0..4 until it differs from those already taken, using `random` for numbers in
// [0, 1).
std::array<std::int16_t, facts::KindCount> shuffleColumns(const std::function<double()> &random);

} // namespace tray
